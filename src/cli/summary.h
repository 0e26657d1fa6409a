// What keelway-cli prints about a loaded race, as text and as one JSON document.
#pragma once

#include <QJsonObject>
#include <QString>

#include "race/model.h"

namespace kw {

// Why a boat was dropped, as both commands print it.
QString ReasonText(DroppedBoat::Reason r);

struct RaceSession;

QJsonObject SummaryJson(const RaceSession& s);
QString SummaryText(const RaceSession& s);

}  // namespace kw
