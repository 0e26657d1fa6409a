// Each tip's box where it belongs, and the pages the help and the logo open. (The captions are
// checked on the window, control by control.)
#include <gtest/gtest.h>

#include "view/language_texts.h"

using namespace kw;

TEST(LanguageTexts, TipBoxesArePlacedFromTheirControls) {
  // The control panel at (1015, 545) as on a 1280 x 800 window, the map 965 wide.
  const QPoint panel(1015, 545);
  auto at = [&](int x, int y, int w, int h) { return QRect(panel + QPoint(x, y), QSize(w, h)); };
  TipPlaceInput in;
  in.mapWidth = 965;
  in.logoLeft = 1015;
  in.overviewHeight = 170;
  in.pointer = QPoint(40, 60);
  struct Case {
    TipId id;
    QRect control, reference;
    int language;
    QRect expected;
  };
  const Case cases[] = {
      // Right edges meet; above the box by 21.
      {TipId::AutoNext,
       at(182, 7, 72, 16),
       {},
       2,
       QRect(1015 + 182 + 72 - 180, 545 + 7 - 21, 180, 16)},
      {TipId::AutoNext, at(182, 7, 72, 16), {}, 0, QRect(1015 + 182 + 72 - 220, 531, 220, 16)},
      {TipId::Show,
       at(183, 28, 73, 19),
       {},
       1,
       QRect(1015 + 183 + 73 - 180, 545 + 28 - 37, 180, 32)},
      {TipId::BigBoat, at(169, 119, 86, 16), {}, 2, QRect(1015 + 169 - 225, 545 + 119, 220, 20)},
      // Measured from ChkBigBoat's left, at CheckBox4's own height.
      {TipId::SmallScreen, at(169, 136, 86, 16), at(160, 119, 86, 16), 2,
       QRect(1015 + 160 - 200 - 5, 545 + 136, 200, 20)},
      {TipId::SmallScreen, at(169, 136, 86, 16), at(169, 119, 86, 16), 0,
       QRect(1015 + 169 - 190 - 5, 681, 190, 20)},
      // At the map's right edge, level with the button.
      {TipId::PageTrack, at(18, 69, 56, 13), {}, 2, QRect(965 - 155, 545 + 69, 150, 18)},
      {TipId::PageAnalysis, at(18, 95, 56, 13), {}, 0, QRect(965 - 205, 545 + 95, 200, 18)},
      {TipId::OverviewSmall, QRect(1018, 3, 170, 170), {}, 2, QRect(1015, 175, 250, 20)},
      {TipId::OverviewSmall, QRect(1018, 3, 170, 170), {}, 0, QRect(1015, 175, 220, 20)},
      // Left of the pointer, below it.
      {TipId::OverviewStill,
       QRect(1018, 3, 170, 170),
       {},
       2,
       QRect(40 + 1015 - 250 - 5, 65, 250, 20)},
      {TipId::GoogleEarth, at(169, 153, 85, 16), {}, 2, QRect(1015 + 169 - 190 - 5, 698, 190, 60)},
      {TipId::GoogleEarth, at(169, 153, 85, 16), {}, 0, QRect(1015 + 169 - 250 - 5, 698, 250, 60)},
      {TipId::HelpLabel,
       at(154, 9, 20, 14),
       {},
       2,
       QRect(1015 + 154 + 20 - 80, 545 + 9 - 23, 80, 18)},
      // The screenshot label's tip is measured from the help label.
      {TipId::Screenshot, at(125, 9, 25, 14), at(154, 9, 20, 14), 2,
       QRect(1015 + 154 + 20 - 155, 531, 155, 18)},
      // Beside the control on the map's side, and beside the wind strip.
      {TipId::Help, QRect(1196, 154, 78, 22), {}, 2, QRect(1196 - 150 - 5, 154, 150, 20)},
      {TipId::Logo, QRect(1195, 3, 78, 78), {}, 2, QRect(1195 - 160 - 5, 3, 160, 100)},
      {TipId::WindStrip, QRect(5, 130, 100, 100), {}, 0, QRect(110, 130, 350, 20)},
  };
  for (const Case& c : cases) {
    in.control = c.control;
    in.reference = c.reference;
    const TipBox box = PlaceTip(c.id, c.language, in);
    EXPECT_EQ(box.rect, c.expected) << Tip(c.id).control << " language " << c.language;
    const TipSpec& t = Tip(c.id);
    if (c.id != TipId::Logo) {
      EXPECT_EQ(box.text, c.language < 1 ? t.japanese : t.english);
    }
  }
}

TEST(LanguageTexts, LogoTipNamesTheAboutPageAndHelpFallsBackToTheOtherLanguage) {
  const QString en = LogoTipText(2, "help-e/about.html");
  EXPECT_TRUE(en.startsWith("\n<keelway>\nyacht racing browser\n\n"));
  EXPECT_TRUE(en.endsWith("\n\n<link to help-e/about.html>"));
  EXPECT_TRUE(LogoTipText(0, "help/about.html").endsWith("<ｸﾘｯｸ=>help/about.htmlにﾘﾝｸ>"));
  EXPECT_FALSE(en.contains("http"));

  EXPECT_EQ(HelpPage(0), "help/index.html");
  EXPECT_EQ(HelpPage(0, true), "help-e/index.html");
  EXPECT_EQ(HelpPage(1), "help-e/index.html");
  EXPECT_EQ(HelpPage(2, true), "help/index.html");
  EXPECT_EQ(AboutPage(0), "help/about.html");
  EXPECT_EQ(AboutPage(2), "help-e/about.html");
}
