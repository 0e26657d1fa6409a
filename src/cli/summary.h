// What keelway-cli prints about a loaded race, as text and as one JSON document.
#pragma once

#include <QJsonObject>
#include <QString>

namespace kw {

struct RaceSession;

QJsonObject SummaryJson(const RaceSession& s);
QString SummaryText(const RaceSession& s);

}  // namespace kw
