// A race as one web page: the replay page's own script and styles (web/, carried inside the
// program), the race's facts as JSON and its positions packed and deflated, all inline in one
// HTML file that any browser opens offline. No outside address of any kind goes into it.
#pragma once

#include <QJsonObject>

#include <string>

namespace kw {

struct RaceData;
struct ViewState;
struct PassingResults;

// The race's facts the page draws and lists: captions, clock range, mode, orientation, extent,
// sun times, hull, classes, boats (name, file, class, colour, finish, rank and gap), marks,
// lines and the course route. Positions stay in minutes of arc, times in seconds from the gun.
QJsonObject HtmlRaceFacts(const RaceData& race, const ViewState& view,
                          const PassingResults& passing);

// The whole page.
std::string HtmlPageDocument(const RaceData& race, const ViewState& view,
                             const PassingResults& passing);

// `text` made safe inside an HTML element or a quoted attribute (& < > " ').
std::string HtmlEscaped(std::string_view text);

}  // namespace kw
