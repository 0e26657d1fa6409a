#include "view/rankings.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <utility>

#include "analysis/mark_passing.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"

namespace kw {

namespace {

// Passing times from this value on mean the boat never got there.
constexpr double kFinishedBelow = 864000;

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

// A rectangle given by two corners with the right and bottom edges excluded, filled and
// outlined in one colour.
void FillBox(QPainter& p, int x1, int y1, int x2, int y2, const QColor& colour) {
  if (x2 <= x1 || y2 <= y1) return;
  p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), colour);
}

// Fonts are sized in points on a 96-dpi screen, whatever resolution the image claims.
void SetFontPoints(QPainter& p, int points) {
  QFont f = p.font();
  f.setPixelSize(RoundInt(points * 96.0 / 72.0));
  p.setFont(f);
}

// Text with its top left corner at (x, y), drawn over whatever is there.
void TextAt(QPainter& p, int x, int y, const QString& text, const QColor& fg) {
  const QFontMetrics fm(p.font());
  p.setPen(fg);
  p.drawText(QRect(x, y, fm.horizontalAdvance(text) + 1, fm.height()), Qt::AlignLeft | Qt::AlignTop,
             text);
}

// The first n characters; a character outside the basic plane is never split in two.
QString FirstChars(const QString& s, int n) {
  int i = 0;
  for (int count = 0; i < s.size() && count < n; ++count) {
    i += (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ? 2 : 1;
  }
  return s.left(i);
}

// The finish entry when the passing tables hold it for every boat of the race, else 0.
int FinishEntry(const RaceData& race, const PassingResults& passing) {
  const int n = race.CourseCount;
  if (n < 1 || race.BoatCount < 0) return 0;
  const size_t boats = static_cast<size_t>(race.BoatCount) + 1;
  if (passing.MarkPassTime.size() < boats || passing.FinishRank.size() < boats) return 0;
  if (passing.EntryLeadTime.size() <= static_cast<size_t>(n)) return 0;
  for (size_t b = 1; b < boats; ++b)
    if (passing.MarkPassTime[b].size() <= static_cast<size_t>(n)) return 0;
  return n;
}

bool BoatInTables(const RaceData& race, int b) {
  return b >= 1 && b <= race.BoatCount && static_cast<size_t>(b) < race.BoatName.size() &&
         static_cast<size_t>(b) < race.BoatColor.size() &&
         static_cast<size_t>(b) < race.BoatClass.size();
}

bool Finished(const PassingResults& passing, int n, int b) {
  return passing.MarkPassTime[b][n] < kFinishedBelow;
}

}  // namespace

QString RankingRowText(const RaceData& race, const PassingResults& passing, int boat) {
  const int n = FinishEntry(race, passing);
  if (n == 0 || !BoatInTables(race, boat)) return QString();
  // Bounded before rounding so that a stray sentinel cannot overflow the integer.
  const double gap =
      std::clamp(passing.MarkPassTime[boat][n] - passing.EntryLeadTime[n], -1.0e9, 1.0e9);
  return QStringLiteral(" ") + QString::number(passing.FinishRank[boat]) + QStringLiteral("  ") +
         DisplayText(race.BoatName[boat]) + QStringLiteral("  (+") +
         QString::number(RoundInt(gap)) + QStringLiteral("sec)");
}

QImage DrawRankingList(const RaceData& race, const PassingResults& passing) {
  if (race.LineCount <= 0) return QImage();
  const int boats = std::clamp(race.BoatCount, 0, kMaxBoats);
  QImage img(185, 15 * boats + 6, QImage::Format_RGB32);
  img.fill(Qt::black);
  const int n = FinishEntry(race, passing);
  if (n == 0) return img;

  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  SetFontPoints(p, 9);
  // Rows sit at their rank, so boats of equal rank share a row (the later boat on top) and the
  // window can reveal the list by growing the panel.
  for (int b = 1; b <= boats; ++b) {
    if (!BoatInTables(race, b) || !Finished(passing, n, b)) continue;
    const int rank = passing.FinishRank[b];
    if (rank < 1) continue;
    const int y = 15 * rank - 10;
    FillBox(p, 5, y, 180, y + 13, ToQColor(race.BoatColor[b]));
    TextAt(p, 6, y, RankingRowText(race, passing, b), Qt::white);
  }
  return img;
}

QString ClassHeaderText(const RaceData& race, int cls) {
  if (cls < 1 || cls > kMaxClasses) return QString();
  return FirstChars(
      QStringLiteral(" ") + DisplayText(race.ClassName[cls]) + QStringLiteral(" class"), 16);
}

QString ClassRowText(const RaceData& race, int position, int boat) {
  if (!BoatInTables(race, boat)) return QString();
  return FirstChars(QStringLiteral(" ") + QString::number(position) + QStringLiteral(" ") +
                        DisplayText(race.BoatName[boat]),
                    13);
}

QImage DrawClassRanking(const RaceData& race, const PassingResults& passing,
                        const std::vector<int>& finishShown) {
  if (race.ClassesDeclared == 0) return QImage();
  const int classes = std::clamp(race.ClassCount, 0, kMaxClasses);
  const int boats = std::clamp(race.BoatCount, 0, kMaxBoats);
  const int n = FinishEntry(race, passing);

  // Finishers of a declared class, in finish order; equal ranks keep boat order.
  std::vector<int> order;
  if (n != 0) {
    for (int b = 1; b <= boats; ++b) {
      if (!BoatInTables(race, b) || !Finished(passing, n, b)) continue;
      const int c = race.BoatClass[b];
      if (c >= 1 && c <= classes) order.push_back(b);
    }
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return passing.FinishRank[a] < passing.FinishRank[b]; });

  std::vector<int> count(static_cast<size_t>(classes) + 1, 0);
  for (int b : order) ++count[race.BoatClass[b]];
  const int m = *std::max_element(count.begin(), count.end());

  QImage img(100 * classes + 5, 15 * m + 24, QImage::Format_RGB32);
  img.fill(QColor(0, 0, 255));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  SetFontPoints(p, 9);

  for (int c = 1; c <= classes; ++c) {
    const int x = 100 * (c - 1) + 5, y = 4;
    FillBox(p, x, y, x + 95, y + 13, Qt::white);
    TextAt(p, x + 3, y + 1, ClassHeaderText(race, c), Qt::red);
  }

  // Positions count every finisher, shown or not, so a boat keeps its place in the column
  // while the replay catches up with the boats ahead of it.
  std::vector<int> position(static_cast<size_t>(classes) + 1, 0);
  for (int b : order) {
    const int c = race.BoatClass[b];
    const int pos = ++position[c];
    const bool shown = static_cast<size_t>(b) < finishShown.size() && finishShown[b] != 0;
    if (!shown) continue;
    const int x = 100 * (c - 1) + 5, y = 15 * (pos - 1) + 21;
    FillBox(p, x, y, x + 95, y + 13, ToQColor(race.BoatColor[b]));
    TextAt(p, x + 1, y, ClassRowText(race, pos, b), Qt::white);
  }
  return img;
}

QImage DrawFinalBoard(const RaceData& race, const PassingResults& passing, int mapWidth,
                      int mapHeight, Rgb sea) {
  if (race.LineCount <= 0 || mapWidth <= 0 || mapHeight <= 0) return QImage();
  QImage img(mapWidth, mapHeight, QImage::Format_RGB32);
  img.fill(QColor(sea.r, sea.g, sea.b));
  const int n = FinishEntry(race, passing);
  if (n == 0) return img;
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  SetFontPoints(p, 9);
  // A map shorter than two rows still gets one row a column.
  const int rows = std::max(1, RoundInt((mapHeight - 30) / 15.0));
  const int boats = std::clamp(race.BoatCount, 0, kMaxBoats);
  for (int b = 1; b <= boats; ++b) {
    if (!BoatInTables(race, b) || !(passing.MarkPassTime[b][n] < 604800)) continue;
    const int r = passing.FinishRank[b];
    if (r < 1) continue;
    const int y = 15 * ((r - 1) % rows) + 20;
    const int x = 210 * ((r - 1) / rows) + 10;
    FillBox(p, x, y, x + 180, y + 13, ToQColor(race.BoatColor[b]));
    TextAt(p, x + 1, y, RankingRowText(race, passing, b), Qt::white);
  }
  return img;
}

}  // namespace kw
