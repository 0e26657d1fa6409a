#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>

#include <string>
#include <vector>

#include "analysis/mark_passing.h"
#include "analysis/standings.h"
#include "race/model.h"
#include "support/test_support.h"
#include "view/rankings.h"

using namespace kw;

namespace {

const QRgb kBlack = qRgb(0, 0, 0), kBlue = qRgb(0, 0, 255), kWhite = qRgb(255, 255, 255);

QRgb ColourOf(int b) {
  return qRgb(40 * b, 200 - 30 * b, 100);
}

// A two-entry course (start line, finish line); finish times by boat, negative for "did not
// finish". Ranks and the lead time are worked out as mark passing does.
struct Race {
  RaceData race;
  PassingResults passing;

  explicit Race(const std::vector<double>& finish, const std::vector<int>& classes = {}) {
    kwtest::EnsureGuiApp();
    RaceData& r = race;
    r.BoatCount = static_cast<int>(finish.size());
    SetBoatTableCapacity(r);
    r.LineCount = 2;
    r.CourseCount = 2;
    r.CourseEntry[0] = "L1";
    r.CourseEntry[1] = "L2";
    passing.Resize(r.BoatCount, r.CourseCount);
    for (int b = 1; b <= r.BoatCount; ++b) {
      r.BoatName[b] = "Boat" + std::to_string(b);
      const QRgb c = ColourOf(b);
      r.BoatColor[b] = Rgb{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                           static_cast<std::uint8_t>(qBlue(c))};
      r.BoatClass[b] = classes.empty() ? 0 : classes[b - 1];
      const double t = finish[b - 1];
      passing.MarkPassTime[b][2] = t < 0 ? NotPassed : t;
      if (t >= 0 && t < passing.EntryLeadTime[2]) passing.EntryLeadTime[2] = t;
    }
    for (int b = 1; b <= r.BoatCount; ++b) {
      int rank = 1;
      for (int c = 1; c <= r.BoatCount; ++c)
        if (passing.MarkPassTime[c][2] < passing.MarkPassTime[b][2]) ++rank;
      passing.FinishRank[b] = rank;
    }
    if (!classes.empty()) {
      r.ClassesDeclared = 1;
      r.ClassCount = 2;
      r.ClassName[1] = "Alpha";
      r.ClassName[2] = "Bravo";
    }
  }
};

// Whether any pixel of the image has the colour.
bool Contains(const QImage& img, QRgb colour) {
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) == colour) return true;
  return false;
}

// Colour of the right end of ranking-list row r (clear of the text).
QRgb ListRow(const QImage& img, int r) {
  return img.pixel(178, 15 * r - 10 + 6);
}

// Colour of class column c, position p, at its right end.
QRgb ClassCell(const QImage& img, int c, int p) {
  return img.pixel(100 * (c - 1) + 5 + 93, 15 * (p - 1) + 21 + 6);
}

TEST(RankingsTest, RowTextShowsRankNameAndRoundedGap) {
  Race t({3000, 3083.6, 3010.5, 3011.5, -1});
  EXPECT_EQ(RankingRowText(t.race, t.passing, 1), " 1  Boat1  (+0sec)");
  EXPECT_EQ(RankingRowText(t.race, t.passing, 2), " 4  Boat2  (+84sec)");
  // Halves go to the even second.
  EXPECT_EQ(RankingRowText(t.race, t.passing, 3), " 2  Boat3  (+10sec)");
  EXPECT_EQ(RankingRowText(t.race, t.passing, 4), " 3  Boat4  (+12sec)");
  EXPECT_EQ(RankingRowText(t.race, t.passing, 0), QString());
  EXPECT_EQ(RankingRowText(t.race, t.passing, 6), QString());
}

TEST(RankingsTest, ListPlacesFinishersAtTheirRank) {
  Race t({3100, 3000, -1, 3050});  // ranks 3, 1, -, 2
  const QImage img = DrawRankingList(t.race, t.passing);
  ASSERT_EQ(img.size(), QSize(185, 15 * 4 + 6));
  EXPECT_EQ(ListRow(img, 1), ColourOf(2));
  EXPECT_EQ(ListRow(img, 2), ColourOf(4));
  EXPECT_EQ(ListRow(img, 3), ColourOf(1));
  EXPECT_EQ(ListRow(img, 4), kBlack);  // nobody at rank 4
  EXPECT_FALSE(Contains(img, ColourOf(3)));
  // Rectangle of row 1 spans x 5..179 and y 5..17; the far edges stay black.
  EXPECT_EQ(img.pixel(5, 5), ColourOf(2));
  EXPECT_EQ(img.pixel(179, 17), ColourOf(2));
  EXPECT_EQ(img.pixel(4, 10), kBlack);
  EXPECT_EQ(img.pixel(180, 10), kBlack);
  // Text in white inside the row.
  bool white = false;
  for (int x = 6; x < 120 && !white; ++x)
    for (int y = 5; y < 18 && !white; ++y) white = img.pixel(x, y) == kWhite;
  EXPECT_TRUE(white);
}

// A long name makes its row smaller or cuts it, but no text leaves the row's box, in the list
// and on the final board; a short one keeps the 9-point font.
TEST(RankingsTest, LongNamesStayInsideTheirBoxes) {
  Race t({3000, 3010});
  t.race.BoatName[1] = "An Uncommonly Long Yacht Name Indeed";
  t.race.BoatName[2] = "Orca";
  const QImage list = DrawRankingList(t.race, t.passing);
  const QImage board = DrawFinalBoard(t.race, t.passing, 800, 480, Rgb{0, 0, 128});
  struct {
    const QImage* img;
    int left, right, top;  // the box of rank 1 (right and below excluded)
  } boxes[] = {{&list, 5, 180, 5}, {&board, 10, 190, 20}};
  for (const auto& b : boxes) {
    int rightmostText = 0;
    for (int y = b.top; y < b.top + 13; ++y)
      for (int x = 0; x < b.img->width(); ++x)
        if (qGray(b.img->pixel(x, y)) > 200) rightmostText = std::max(rightmostText, x);
    EXPECT_GT(rightmostText, b.left + 100);
    EXPECT_LT(rightmostText, b.right);
  }
  EXPECT_EQ(list.pixel(180, 10), kBlack);
  // The short name's row is as it always was: its text ends well inside the box.
  int rightmost = 0;
  for (int y = 20; y < 33; ++y)
    for (int x = 0; x < list.width(); ++x)
      if (qGray(list.pixel(x, y)) > 200) rightmost = std::max(rightmost, x);
  EXPECT_LT(rightmost, 150);
}

TEST(RankingsTest, EqualTimesShareARow) {
  Race t({3000, 3000, 3020});
  const QImage img = DrawRankingList(t.race, t.passing);
  EXPECT_EQ(ListRow(img, 1), ColourOf(2));  // the later boat is drawn over the earlier
  EXPECT_EQ(ListRow(img, 2), kBlack);
  EXPECT_EQ(ListRow(img, 3), ColourOf(3));
}

TEST(RankingsTest, ListIsNullWithoutLinesAndEmptyWithoutUsableTables) {
  Race t({3000, 3010});
  t.race.LineCount = 0;
  EXPECT_TRUE(DrawRankingList(t.race, t.passing).isNull());

  // A course longer than the passing tables: nothing is read past their end.
  Race u({3000, 3010});
  u.race.CourseCount = 7;
  QImage img = DrawRankingList(u.race, u.passing);
  ASSERT_EQ(img.size(), QSize(185, 36));
  EXPECT_FALSE(Contains(img, ColourOf(1)));
  EXPECT_EQ(RankingRowText(u.race, u.passing, 1), QString());
  u.race.CourseCount = 0;
  EXPECT_FALSE(Contains(DrawRankingList(u.race, u.passing), ColourOf(1)));
  EXPECT_FALSE(Contains(DrawClassRanking(u.race, PassingResults(), {0, 1, 1}), ColourOf(1)));
}

TEST(RankingsTest, ClassColumnsListShownFinishersInOrder) {
  // Class 2: boats 1 (rank 1) and 3 (rank 3); class 1: boat 2 (rank 2), boat 4 did not finish.
  Race t({3000, 3010, 3020, -1}, {2, 1, 2, 1});
  const QImage img = DrawClassRanking(t.race, t.passing, {0, 1, 1, 1, 1});
  ASSERT_EQ(img.size(), QSize(205, 15 * 2 + 24));
  EXPECT_EQ(ClassCell(img, 2, 1), ColourOf(1));
  EXPECT_EQ(ClassCell(img, 2, 2), ColourOf(3));
  EXPECT_EQ(ClassCell(img, 1, 1), ColourOf(2));
  EXPECT_EQ(ClassCell(img, 1, 2), kBlue);
  EXPECT_FALSE(Contains(img, ColourOf(4)));
  // Headers: white boxes x 5..99 / 105..199, y 4..16, blue between them.
  EXPECT_EQ(img.pixel(98, 16), kWhite);
  EXPECT_EQ(img.pixel(100, 10), kBlue);
  // A cell spans x .. x + 94 and y .. y + 12.
  EXPECT_EQ(img.pixel(105 + 94, 21 + 12), ColourOf(1));
  EXPECT_EQ(img.pixel(105 + 95, 21), kBlue);
}

TEST(RankingsTest, ClassRankingWaitsForTheReplay) {
  Race t({3000, 3010, 3020, 3020}, {1, 1, 1, 2});
  // Boat 2's finish is not reached yet: its place stays empty, boat 3 keeps position 3.
  QImage img = DrawClassRanking(t.race, t.passing, {0, 1, 0, 1, 1});
  EXPECT_EQ(ClassCell(img, 1, 1), ColourOf(1));
  EXPECT_EQ(ClassCell(img, 1, 2), kBlue);
  EXPECT_EQ(ClassCell(img, 1, 3), ColourOf(3));
  EXPECT_FALSE(Contains(img, ColourOf(2)));
  // Equal times: both listed, one under the other, in boat order.
  t.race.BoatClass[4] = 1;
  img = DrawClassRanking(t.race, t.passing, {0, 1, 1, 1, 1});
  ASSERT_EQ(img.size(), QSize(205, 15 * 4 + 24));
  EXPECT_EQ(ClassCell(img, 1, 3), ColourOf(3));
  EXPECT_EQ(ClassCell(img, 1, 4), ColourOf(4));
  // A shown-flag table shorter than the boat table hides the boats it does not cover.
  img = DrawClassRanking(t.race, t.passing, {0, 1});
  EXPECT_EQ(ClassCell(img, 1, 1), ColourOf(1));
  EXPECT_FALSE(Contains(img, ColourOf(2)));
}

TEST(RankingsTest, ClassTextsAreCutAndUndeclaredClassesDrawNothing) {
  Race t({3000}, {1});
  t.race.ClassName[1] = "Longclassname";
  EXPECT_EQ(ClassHeaderText(t.race, 1), " Longclassname c");
  t.race.ClassName[1] = "\xe3\x83\xa8\xe3\x83\x83\xe3\x83\x88";  // three characters in UTF-8
  EXPECT_EQ(ClassHeaderText(t.race, 1),
            QString::fromUtf8(" \xe3\x83\xa8\xe3\x83\x83\xe3\x83\x88 class"));
  t.race.BoatName[1] = "AVeryLongBoatName";
  EXPECT_EQ(ClassRowText(t.race, 12, 1), " 12 AVeryLong");

  t.race.ClassesDeclared = 0;
  EXPECT_TRUE(DrawClassRanking(t.race, t.passing, {0, 1}).isNull());
}

}  // namespace

// The order the list and the summary share: ties keep boat order, non-finishers are left out,
// gaps round to the second; classes split the same order.
TEST(RankingsTest, StandingsOrderTiesGapsAndClasses) {
  Race t({3683.6, 3600, -1, 3600, 3700.4}, {2, 1, 1, 2, 1});
  const std::vector<StandingRow> rows = Standings(t.race, t.passing);
  ASSERT_EQ(rows.size(), 4u);
  const int expected[][3] = {{2, 1, 0}, {4, 1, 0}, {1, 3, 84}, {5, 4, 100}};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].boat, expected[i][0]) << i;
    EXPECT_EQ(rows[i].rank, expected[i][1]) << i;
    EXPECT_EQ(rows[i].gap, expected[i][2]) << i;
  }
  const auto byClass = ClassStandings(t.race, t.passing);
  ASSERT_EQ(byClass.size(), 3u);
  EXPECT_EQ(byClass[1], (std::vector<int>{2, 5}));
  EXPECT_EQ(byClass[2], (std::vector<int>{4, 1}));
  t.race.ClassesDeclared = 0;
  EXPECT_TRUE(ClassStandings(t.race, t.passing).empty());
}

// Thirty rows a column on a 480-high map: rank 30 closes the first column, rank 31 opens the
// second at x = 220; a boat that did not finish is not on the board.
TEST(RankingsTest, FinalBoardColumns) {
  std::vector<double> finish;
  for (int b = 1; b <= 32; ++b) finish.push_back(b == 32 ? -1 : 3000.0 + b);
  Race t(finish);
  for (int b = 1; b <= 32; ++b) t.race.BoatColor[b] = Rgb{static_cast<uint8_t>(b * 7), 90, 20};
  const Rgb sea{0, 0, 128};
  const QImage board = DrawFinalBoard(t.race, t.passing, 800, 480, sea);
  ASSERT_EQ(board.size(), QSize(800, 480));
  auto cell = [&](int x, int y) { return board.pixel(x + 178, y + 6); };
  auto colour = [&](int b) { return qRgb(b * 7, 90, 20); };
  EXPECT_EQ(cell(10, 20), colour(1));
  EXPECT_EQ(cell(10, 15 * 29 + 20), colour(30));
  EXPECT_EQ(cell(220, 20), colour(31));
  EXPECT_EQ(cell(220, 35), qRgb(0, 0, 128));  // rank 32 did not finish
  t.race.LineCount = 0;
  EXPECT_TRUE(DrawFinalBoard(t.race, t.passing, 800, 480, sea).isNull());
}
