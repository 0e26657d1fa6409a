#include "view/rankings.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <utility>

#include "analysis/mark_passing.h"
#include "analysis/standings.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"
#include "view/paint.h"

namespace kw {

namespace {

// A rectangle given by two corners with the right and bottom edges excluded, filled and
// outlined in one colour.
void FillBox(QPainter& p, int x1, int y1, int x2, int y2, const QColor& colour) {
  if (x2 <= x1 || y2 <= y1) return;
  p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), colour);
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

}  // namespace

QString RankingRowText(const RaceData& race, const PassingResults& passing, int boat) {
  const int n = FinishEntry(race, passing);
  if (n == 0 || !BoatInTables(race, boat)) return QString();
  return QStringLiteral(" ") + QString::number(passing.FinishRank[boat]) + QStringLiteral("  ") +
         DisplayText(race.BoatName[boat]) + QStringLiteral("  (+") +
         QString::number(FinishGap(passing, n, boat)) + QStringLiteral("sec)");
}

QImage DrawRankingList(const RaceData& race, const PassingResults& passing) {
  if (race.LineCount <= 0) return QImage();
  const int boats = std::clamp(race.BoatCount, 0, kMaxBoats);
  QImage img(185, 15 * boats + 6, QImage::Format_RGB32);
  img.fill(Qt::black);
  if (FinishEntry(race, passing) == 0) return img;

  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  SetFontPoints(p, 9);
  // Rows sit at their rank, so boats of equal rank share a row (the later boat on top) and the
  // window can reveal the list by growing the panel.
  for (const StandingRow& row : Standings(race, passing)) {
    if (!BoatInTables(race, row.boat) || row.rank < 1) continue;
    const int y = 15 * row.rank - 10;
    FillBox(p, 5, y, 180, y + 13, ToQColor(race.BoatColor[row.boat]));
    // A long name makes the row smaller rather than run out of its box.
    FittedText(p, QRect(5, y, 175, 13), 6, y, RankingRowText(race, passing, row.boat),
               Qt::white);
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
  // Finishers of each class in finish order; equal ranks keep boat order.
  std::vector<std::vector<int>> byClass(static_cast<size_t>(classes) + 1);
  if (FinishEntry(race, passing) != 0) {
    const auto standings = ClassStandings(race, passing);
    for (size_t c = 1; c < byClass.size() && c < standings.size(); ++c)
      for (int b : standings[c])
        if (BoatInTables(race, b)) byClass[c].push_back(b);
  }
  size_t m = 0;
  for (const auto& column : byClass) m = std::max(m, column.size());

  QImage img(100 * classes + 5, 15 * static_cast<int>(m) + 24, QImage::Format_RGB32);
  img.fill(QColor(0, 0, 255));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  SetFontPoints(p, 9);

  for (int c = 1; c <= classes; ++c) {
    const int x = 100 * (c - 1) + 5, y = 4;
    FillBox(p, x, y, x + 95, y + 13, Qt::white);
    PlainText(p, x + 3, y + 1, ClassHeaderText(race, c), Qt::red);
  }

  // Positions count every finisher, shown or not, so a boat keeps its place in the column
  // while the replay catches up with the boats ahead of it.
  for (int c = 1; c <= classes; ++c) {
    int pos = 0;
    for (int b : byClass[c]) {
      ++pos;
      if (static_cast<size_t>(b) >= finishShown.size() || finishShown[b] == 0) continue;
      const int x = 100 * (c - 1) + 5, y = 15 * (pos - 1) + 21;
      FillBox(p, x, y, x + 95, y + 13, ToQColor(race.BoatColor[b]));
      PlainText(p, x + 1, y, ClassRowText(race, pos, b), Qt::white);
    }
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
    FittedText(p, QRect(x, y, 180, 13), x + 1, y, RankingRowText(race, passing, b), Qt::white);
  }
  return img;
}

}  // namespace kw
