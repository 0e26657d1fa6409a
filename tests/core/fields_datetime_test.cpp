#include <gtest/gtest.h>

#include <cmath>

#include "race/datetime.h"
#include "race/fields.h"
#include "race/numbers.h"

using namespace kw;

TEST(SplitFields, TrimsEmptiesAndCounts) {
  Fields f;
  SplitFields("  BN , a.gpx ,Boat A,, 5 ", ',', f);
  ASSERT_EQ(f.FieldCount, 5);
  EXPECT_EQ(f[0], "BN");
  EXPECT_EQ(f[1], "a.gpx");
  EXPECT_EQ(f[3], "0");  // an empty field reads "0"
  EXPECT_EQ(f[4], "5");
  EXPECT_EQ(f[5], "");  // beyond the count: absent

  SplitFields("CRS,L1,MK1,", ',', f);
  EXPECT_EQ(f.FieldCount, 4);  // a trailing comma gives one more field, "0"
  EXPECT_EQ(f[3], "0");

  SplitFields("CLSSEP", ',', f);
  EXPECT_EQ(f.FieldCount, 1);
  SplitFields("", ',', f);
  EXPECT_EQ(f.FieldCount, 1);
}

TEST(SplitFields, BlankRunsAreOneSeparatorAndOverflowIsFlagged) {
  Fields f;
  SplitFields("T   N3539.7234 \t E13946.9876  12-05-2007 10:00:00   0\r", ' ', f);
  ASSERT_EQ(f.FieldCount, 6);
  EXPECT_EQ(f[1], "N3539.7234");
  EXPECT_EQ(f[2], "E13946.9876");
  EXPECT_EQ(f[5], "0");

  std::string many = "CRS";
  for (int i = 0; i < 25; ++i) many += ",E" + std::to_string(i);
  SplitFields(many, ',', f);
  EXPECT_EQ(f.FieldCount, kMaxFields);
  EXPECT_TRUE(f.Overflow);
}

TEST(Numbers, ParseStrictly) {
  int i;
  double d;
  EXPECT_TRUE(ParseInt("-12", i));
  EXPECT_EQ(i, -12);
  EXPECT_TRUE(ParseInt("+5", i));
  EXPECT_EQ(i, 5);
  EXPECT_FALSE(ParseInt("5x", i));
  EXPECT_FALSE(ParseInt("", i));
  EXPECT_FALSE(ParseInt("1.5", i));
  EXPECT_FALSE(ParseInt("99999999999", i));
  EXPECT_TRUE(ParseReal("1.035", d));
  EXPECT_DOUBLE_EQ(d, 1.035);
  EXPECT_TRUE(ParseReal("-0.5", d));
  EXPECT_FALSE(ParseReal("1,5", d));
  EXPECT_FALSE(ParseReal("nan", d));
  EXPECT_FALSE(ParseReal("inf", d));
}

TEST(Numbers, ShortestRealAndRounding) {
  EXPECT_EQ(ShortestReal(2118.5), "2118.5");
  EXPECT_EQ(ShortestReal(0.1 + 0.2), "0.3");
  EXPECT_EQ(ShortestReal(-12), "-12");
  EXPECT_EQ(ShortestReal(-0.0), "0");
  EXPECT_EQ(ShortestReal(8369.2512345678), "8369.2512345678");
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  // Beyond int the result saturates instead of being undefined; NaN gives 0.
  EXPECT_EQ(RoundInt(2.5), 2);
  EXPECT_EQ(RoundInt(-3.5), -4);
  EXPECT_EQ(RoundInt(2147483646.6), 2147483647);
  EXPECT_EQ(RoundInt(-3.4e9), -2147483647 - 1);
  EXPECT_EQ(RoundInt(1e300), 2147483647);
  EXPECT_EQ(RoundInt(std::nan("")), 0);
}

TEST(DateTime, ParsesBothFormsAndShortFields) {
  auto a = ParseDateTime("2007/05/12 10:30:00");
  auto b = ParseDateTime("2007-05-12 10:30:00");
  auto c = ParseDateTime(" 2007/5/12 9:5:3 ");
  ASSERT_TRUE(a && b && c);
  EXPECT_DOUBLE_EQ(*a, *b);
  EXPECT_NEAR(*a, EncodeDate(2007, 5, 12) + 10.5 / 24, 1e-9);
  EXPECT_NEAR(*c, EncodeDateTime(2007, 5, 12, 9, 5, 3), 1e-9);
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  ASSERT_TRUE(ParseDateTime("2007/05/12"));
  ASSERT_TRUE(ParseDateTime("2007/05/12 10:30"));
}

TEST(DateTime, RejectsWhatIsNotADate) {
  for (const char* bad : {"", "2007/13/01 10:00:00", "2007/02/30 10:00:00", "2007/05/12 24:00:00",
                          "2007/05/12 10:60:00", "12/05/2007 10:00:00", "2007/05-12 10:00:00",
                          "2007/05/12 10:00:00 x", "208/05/12 10:00:00", "abc"}) {
    EXPECT_FALSE(ParseDateTime(bad)) << bad;
  }
  EXPECT_TRUE(ParseDateTime("2008/02/29 00:00:00"));
  EXPECT_FALSE(ParseDateTime("2007/02/29 00:00:00"));
}

// The usual shapes take a short path; each must give bit for bit what the general scan gives
// for the same date-time written another way.
TEST(DateTime, UsualShapesAgreeWithTheGeneralScan) {
  struct Pair {
    const char* usual;
    const char* general;
  };
  for (const Pair& p :
       {Pair{"2007/05/12 10:30:07", "2007/5/12 10:30:07"},
        Pair{"2007-05-12T10:30:07", "2007-05-12  10:30:07"}, Pair{"2007/05/12", "2007/5/12"},
        Pair{"1899/12/30", "1899/12/30 0:0"}, Pair{"2024/02/29 23:59:59", "2024/2/29 23:59:59.0"},
        Pair{"1850/01/01 00:00:01", "1850/1/1 0:0:1"}}) {
    const auto a = ParseDateTime(p.usual), b = ParseDateTime(p.general);
    ASSERT_TRUE(a && b) << p.usual;
    EXPECT_EQ(*a, *b) << p.usual;
  }
}

TEST(DateTime, SecondsBetweenRoundsMagnitudeAndFormatsBack) {
  double st = *ParseDateTime("2007/05/12 10:00:00");
  double t = *ParseDateTime("2007/05/12 10:00:05");
  EXPECT_EQ(SecondsBetween(st, t), 5);
  EXPECT_EQ(SecondsBetween(t, st), -5);
  EXPECT_EQ(SecondsBetween(st, st + 2.6 / 86400), 3);
  EXPECT_EQ(SecondsBetween(st, st - 2.6 / 86400), -3);
  EXPECT_EQ(FormatDateTime(st), "2007/05/12 10:00:00");
  EXPECT_EQ(FormatShortDate(st), "2007/05/12");
  EXPECT_EQ(*ParseDateTime(FormatDateTime(t)), t);
}
