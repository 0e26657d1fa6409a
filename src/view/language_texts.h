// The window's own words in Japanese and English: the captions of the controls, the tips the
// pointer shows over them and where each tip's box goes, and the logo's tip. Pure data and
// arithmetic, so the window and the tests read the same tables.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

namespace kw {

// `Language`: 0 Japanese, 1 English chosen with the flag, 2 English on a non-Japanese system.
inline bool IsJapanese(int language) {
  return language < 1;
}

// A control (by objectName) and its caption in both languages.
struct CaptionRow {
  const char* control;
  QString english, japanese;
};
const std::vector<CaptionRow>& CaptionTable();

enum class TipId {
  AutoNext,       // chkAutoNext
  Show,           // Button4
  BigBoat,        // ChkBigBoat
  SmallScreen,    // CheckBox4
  PageTrack,      // RadioButton1
  PageAnalysis,   // RadioButton3
  OverviewSmall,  // Image1 in small-screen mode
  OverviewStill,  // Image1 on the still map
  WindStrip,      // the wind strip on the moving map
  GoogleEarth,    // Button3
  Help,           // btnHELP
  HelpLabel,      // Label12
  Screenshot,     // Label14
  Logo,           // imgLOGO
  Manoeuvres,     // chkManoeuvres
  KeepWind,       // btnKeepWind
};

struct TipSpec {
  TipId id;
  const char* control;    // the control under the pointer
  const char* reference;  // a second control the place is measured from, or nullptr
  bool always;            // shown also with tips switched off
  QString english, japanese;
  int widthEnglish, widthJapanese, height;
};
const std::vector<TipSpec>& TipTable();
const TipSpec& Tip(TipId id);

// What a tip's place is measured from, in form coordinates.
struct TipPlaceInput {
  QRect control;    // the control under the pointer
  QRect reference;  // the place is measured from it (CheckBox4: ChkBigBoat; Label14: Label12)
  int mapWidth = 0;
  int logoLeft = 0;  // pnlLOGO's left
  int overviewHeight = 0;
  QPoint pointer;  // on the control
};

struct TipBox {
  QString text;
  QRect rect;  // HintLeft, HintTop, width, height
};
// The tip's text for the language and its box. `aboutAddress` is named by the logo's tip.
// `fit` is the size the text needs in the window's font: a larger box is placed by the same
// rule, so that a box measured from its right edge still ends there.
TipBox PlaceTip(TipId id, int language, const TipPlaceInput& in,
                const QString& aboutAddress = QString(), QSize fit = QSize());

// The logo's tip: the program, its maker's notice and the page a click on the logo opens.
// Line breaks are "\n".
QString LogoTipText(int language, const QString& aboutAddress);

// The local help pages, relative to the data folder: the language's own first, then the other.
QString HelpPage(int language, bool otherLanguage = false);
// The "about" page the logo opens (beside the help pages).
QString AboutPage(int language, bool otherLanguage = false);

}  // namespace kw
