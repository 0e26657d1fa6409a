// The tips of the maps and the boat list, in Japanese (language 0) and English (1, 2): their
// lines and the size of the tip box, pixels.
#pragma once

#include <QString>
#include <QStringList>

namespace kw {

struct PointerTip {
  QStringList lines;
  int width = 0, height = 0;
  QString Text() const { return lines.join(QLatin1Char('\n')); }
};

// The still map's tip for the course editor's step (0 when not editing a course).
PointerTip StillMapTip(int language, int editStep, bool editMode);
// The moving map's bottom strip: faster boats get red wakes.
PointerTip SpeedWakeTip(int language);
// Range-and-bearing mode before the base point is set.
PointerTip BasePointTip(int language);
// "RNG= 1234m / BRG= 56deg(M)" (the same in both languages).
QString RangeBearingText(double rangeMetres, double bearingMagnetic);

// The boat list: a boat's entry, a class's entry, and its heading (Label1).
PointerTip BoatEntryTip(int language, const QString& boatName);
PointerTip ClassEntryTip(int language, const QString& className);
PointerTip FocusAllTip(int language);

}  // namespace kw
