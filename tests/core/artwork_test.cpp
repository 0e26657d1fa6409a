#include <gtest/gtest.h>

#include <QImage>
#include <QSet>
#include <QSize>

#include <cmath>

#include "view/artwork.h"

using namespace kw;

namespace {

struct Named {
  const char* name;
  QSize size;
};

const Named kPictures[] = {
    {"up_t", {24, 17}},   {"up_f", {24, 17}},   {"stop_t", {24, 17}},  {"stop_f", {24, 17}},
    {"dn_t", {24, 17}},   {"dn_f", {24, 17}},   {"plus", {24, 17}},    {"minus", {24, 17}},
    {"blue_p", {60, 40}}, {"kwlogo", {60, 40}}, {"imgLOGO", {78, 78}}, {"compasss", {100, 120}},
    {"jpn", {34, 23}},    {"usa", {34, 23}},
};

QColor At(const QImage& img, int x, int y) {
  return img.pixelColor(x, y);
}

bool IsBlack(const QColor& c) {
  return c.red() == 0 && c.green() == 0 && c.blue() == 0;
}

bool IsRed(const QColor& c) {
  return c.red() > 170 && c.green() < 90 && c.blue() < 90;
}

// Pixels of a row where green clearly outweighs red and blue: the lit glyph.
int GreenInRow(const QImage& img, int y) {
  int n = 0;
  for (int x = 0; x < img.width(); ++x) {
    const QColor c = At(img, x, y);
    if (c.green() > c.red() + 60 && c.green() > c.blue() + 60) ++n;
  }
  return n;
}

}  // namespace

TEST(Artwork, EveryPictureHasItsSizeAndIsDrawn) {
  for (const Named& n : kPictures) {
    SCOPED_TRACE(n.name);
    EXPECT_EQ(FormPictureSize(n.name), n.size);
    const QImage img = FormPicture(n.name);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), n.size);
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) colours.insert(img.pixel(x, y));
    EXPECT_GE(colours.size(), 3) << "looks like a flat fill";
    EXPECT_EQ(FormPicture(n.name), img) << "not a pure function of the name";
  }
}

TEST(Artwork, UnknownNamesGiveNothing) {
  for (const char* name : {"", "nope", "UP_T", "compasst", "imglogo"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(FormPicture(name).isNull());
    EXPECT_FALSE(FormPictureSize(name).isValid());
  }
}

TEST(Artwork, PlayButtonsLitAndUnlitDifferAndPointTheRightWay) {
  for (const char* stem : {"up", "stop", "dn"}) {
    SCOPED_TRACE(stem);
    const QImage lit = FormPicture(QString(stem) + "_t");
    const QImage unlit = FormPicture(QString(stem) + "_f");
    EXPECT_NE(lit, unlit);
    // Lit glyphs glow green; unlit ones are grey.
    const QColor litCentre = At(lit, 12, 9), unlitCentre = At(unlit, 12, 9);
    EXPECT_GT(litCentre.green(), litCentre.red() + 60);
    EXPECT_LE(std::abs(unlitCentre.green() - unlitCentre.red()), 8);
    EXPECT_LE(std::abs(unlitCentre.blue() - unlitCentre.red()), 8);
  }
  // Later times are higher on the time bar: forward play points up, backward play down.
  const QImage up = FormPicture("up_t"), dn = FormPicture("dn_t"), stop = FormPicture("stop_t");
  EXPECT_LT(GreenInRow(up, 5), GreenInRow(up, 11));
  EXPECT_GT(GreenInRow(dn, 5), GreenInRow(dn, 11));
  EXPECT_EQ(GreenInRow(stop, 6), GreenInRow(stop, 11));
  EXPECT_NE(FormPicture("plus"), FormPicture("minus"));
}

TEST(Artwork, BluePeterIsBlueWithAWhiteCentre) {
  const QImage img = FormPicture("blue_p");
  for (const QPoint at : {QPoint(30, 20), QPoint(20, 14), QPoint(39, 26)})
    EXPECT_EQ(At(img, at.x(), at.y()), QColor(Qt::white)) << at.x() << "," << at.y();
  for (const QPoint at : {QPoint(2, 2), QPoint(57, 37), QPoint(30, 5), QPoint(8, 20)}) {
    const QColor c = At(img, at.x(), at.y());
    EXPECT_GT(c.blue(), 120) << at.x() << "," << at.y();
    EXPECT_LT(c.red(), 60) << at.x() << "," << at.y();
  }
}

TEST(Artwork, CompassCardIsCentredAndMarksNorthInRed) {
  const QImage img = FormPicture("compasss");
  // The card face fills the circle; outside it, and in the label strip, all stays black.
  EXPECT_FALSE(IsBlack(At(img, 50, 50)));
  EXPECT_FALSE(IsBlack(At(img, 30, 65)));
  bool outsideBlack = true;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((y >= 100 || std::hypot(x - 50, y - 50) > 48) && !IsBlack(At(img, x, y)))
        outsideBlack = false;
  EXPECT_TRUE(outsideBlack);
  // Red (N and the arrow head) sits straight above the centre and nowhere in the lower half.
  int redAbove = 0, redBelow = 0;
  double redX = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x)
      if (IsRed(At(img, x, y))) {
        if (y < 45) ++redAbove, redX += x;
        if (y > 55) ++redBelow;
      }
  ASSERT_GT(redAbove, 20);
  EXPECT_NEAR(redX / redAbove, 50, 1.5);
  EXPECT_EQ(redBelow, 0);
  // Tick marks on the rim at the cardinal points, e.g. east.
  EXPECT_GT(At(img, 94, 50).lightness(), 150);
}

TEST(Artwork, LanguageFlags) {
  const QImage jpn = FormPicture("jpn");
  EXPECT_TRUE(IsRed(At(jpn, 17, 11)));
  EXPECT_EQ(At(jpn, 4, 4), QColor(Qt::white));
  const QColor border = At(jpn, 0, 0);
  EXPECT_TRUE(border.red() == border.green() && border.green() == border.blue() &&
              border.red() < 200);

  const QImage usa = FormPicture("usa");
  const QColor canton = At(usa, 3, 3);
  EXPECT_GT(canton.blue(), canton.red());
  int red = 0, white = 0;
  for (int y = 1; y < 22; ++y) {
    const QColor c = At(usa, 25, y);
    if (IsRed(c)) ++red;
    if (c.lightness() > 240) ++white;
  }
  EXPECT_GE(red, 8);
  EXPECT_GE(white, 8);
}
