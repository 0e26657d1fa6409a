// What keelway-cli wind --estimate and manoeuvres print: one JSON document each, or text.
#pragma once

#include <QJsonObject>
#include <QString>

namespace kw {

struct RaceSession;
struct RaceInsight;

// {"raceFile", "enough", "why", "meanDirection" (null without an estimate), "turnsUsed",
// "boatsUsed", "series": [{"t", "direction", "confidence"}], "windFile" (null without one) and,
// compared with it, "meanDifference" and "rmsDifference"}. Directions in the race file's
// convention (as its WD line), t in seconds from the gun.
QJsonObject WindEstimateJson(const RaceSession& s, const RaceInsight& in);
QString WindEstimateText(const RaceSession& s, const RaceInsight& in);

// {"raceFile", "wind": {"source", "text"}, "boats": [{"file", "name", "manoeuvres": [{"t",
// "kind", "lat", "lon", "durationSeconds", "speedIn", "speedMin", "speedOut", "lossMetres"}],
// "legs": [...]}]}; lat and lon in degrees.
QJsonObject ManoeuvresJson(const RaceSession& s, const RaceInsight& in);
QString ManoeuvresText(const RaceSession& s, const RaceInsight& in);

// Race time as "+1:02:03" (or "-0:00:40" before the gun).
QString ClockText(double seconds);

}  // namespace kw
