#include "output/html_page.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

#include "analysis/boat_state.h"
#include "analysis/mark_passing.h"
#include "analysis/standings.h"
#include "output/html_tracks.h"
#include "output/web_assets.h"
#include "race/datetime.h"
#include "race/model.h"
#include "race/text.h"
#include "view/view_state.h"

namespace kw {

namespace {

QString ColourText(const Rgb& c) {
  return QStringLiteral("#%1%2%3")
      .arg(c.r, 2, 16, QLatin1Char('0'))
      .arg(c.g, 2, 16, QLatin1Char('0'))
      .arg(c.b, 2, 16, QLatin1Char('0'));
}

QJsonArray Pair(double a, double b) {
  return {a, b};
}

QJsonArray Quad(double a, double b, double c, double d) {
  return {a, b, c, d};
}

// Marks, course lines, reference lines and the route through the course entries.
void PutCourse(const RaceData& r, const PassingResults& passing, QJsonObject& o) {
  QJsonArray marks, lines, refLines, route, course;
  for (int m = 1; m <= std::min(r.MarkCount, kMaxMarks); ++m)
    marks.append(Pair(r.MarkLat[m], r.MarkLon[m]));
  for (int l = 1; l <= std::min(r.LineCount, kMaxLines); ++l)
    lines.append(Quad(r.LineLatA[l], r.LineLonA[l], r.LineLatB[l], r.LineLonB[l]));
  for (int l = 1; l <= std::min(r.RefLineCount, kMaxRefLines); ++l)
    refLines.append(Quad(r.RefLineLatA[l], r.RefLineLonA[l], r.RefLineLatB[l], r.RefLineLonB[l]));
  const int entries =
      std::min({r.CourseCount, kMaxCourse, static_cast<int>(passing.EntryLat.size()) - 1,
                static_cast<int>(passing.EntryLon.size()) - 1});
  for (int e = 1; e <= entries; ++e) {
    route.append(Pair(passing.EntryLat[e], passing.EntryLon[e]));
    course.append(DisplayText(r.CourseEntry[e - 1]));
  }
  o["marks"] = marks;
  o["lines"] = lines;
  o["refLines"] = refLines;
  o["route"] = route;
  o["course"] = course;
  const LineEnds& s = passing.StartLine;
  o["startLine"] = s.LatA != 0 ? Quad(s.LatA, s.LonA, s.LatB, s.LonB) : QJsonArray();
}

// Every boat with its finish, in boat order; the ranking as the window's list shows it.
void PutBoats(const RaceData& r, const PassingResults& passing, QJsonObject& o) {
  const int finish = r.CourseCount;
  auto finishTime = [&](int b) -> QJsonValue {
    if (finish < 1 || static_cast<size_t>(b) >= passing.MarkPassTime.size() ||
        passing.MarkPassTime[b].size() <= static_cast<size_t>(finish) || !passing.Passed(b, finish))
      return QJsonValue::Null;
    return passing.MarkPassTime[b][finish];
  };
  QJsonArray boats;
  for (int b = 1; b <= r.BoatCount; ++b) {
    const int c = r.BoatClass[b];
    boats.append(QJsonObject{{"name", DisplayText(r.BoatName[b])},
                             {"file", DisplayText(r.BoatTrackFile[b])},
                             {"classIndex", c >= 1 && c <= r.ClassCount ? c : 0},
                             {"colour", ColourText(r.BoatColor[b])},
                             {"length", r.BoatLength[b]},
                             {"finish", finishTime(b)}});
  }
  o["boats"] = boats;
  QJsonArray ranking;
  for (const StandingRow& row : Standings(r, passing))
    ranking.append(QJsonObject{{"boat", row.boat}, {"rank", row.rank}, {"gap", row.gap}});
  o["ranking"] = ranking;
  QJsonArray classes;
  if (r.ClassesDeclared != 0)
    for (int c = 1; c <= std::min(r.ClassCount, kMaxClasses); ++c)
      classes.append(DisplayText(r.ClassName[c]));
  o["classes"] = classes;
}

// The placeholders {{name}} of the page's template replaced by their texts; the texts are not
// searched again.
std::string FillTemplate(std::string_view page,
                         const std::vector<std::pair<std::string_view, std::string>>& values) {
  std::string out;
  size_t at = 0;
  while (at < page.size()) {
    const size_t open = page.find("{{", at);
    const size_t close = open == std::string_view::npos ? open : page.find("}}", open);
    if (close == std::string_view::npos) break;
    out.append(page.substr(at, open - at));
    const std::string_view name = page.substr(open + 2, close - open - 2);
    const auto v =
        std::find_if(values.begin(), values.end(), [&](const auto& p) { return p.first == name; });
    if (v != values.end()) {
      out += v->second;
    } else {
      out.append(page.substr(open, close + 2 - open));
    }
    at = close + 2;
  }
  out.append(page.substr(std::min(at, page.size())));
  return out;
}

std::string Asset(std::string_view name) {
  for (const EmbeddedFile& f : EmbeddedFiles())
    if (f.name == name) return std::string(f.bytes);
  return {};
}

// The scripts in the order the build lists them, in one function scope: nothing of the page's
// own leaks into the browser's global names.
std::string Script() {
  std::string s = "(() => {\n'use strict';\n";
  for (const EmbeddedFile& f : EmbeddedFiles()) {
    if (!f.name.ends_with(".js")) continue;
    s += "// ---- ";
    s += f.name;
    s += "\n";
    s += f.bytes;
  }
  return s + "})();\n";
}

// JSON inside a script element: "<" written as an escape, so that no text of the race (a boat
// named "</script>") can end the element early.
std::string JsonForScript(const QJsonObject& o) {
  const QByteArray json = QJsonDocument(o).toJson(QJsonDocument::Compact);
  std::string out;
  out.reserve(static_cast<size_t>(json.size()));
  for (char c : json) {
    if (c == '<') {
      out += "\\u003c";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

QJsonObject HtmlRaceFacts(const RaceData& r, const ViewState& v, const PassingResults& passing) {
  QJsonObject o{
      {"caption", r.RaceCaption},
      {"caption2", r.RaceCaption2},
      {"raceFile", r.RaceFileName},
      {"start", QString::fromStdString(FormatDateTime(r.StartTime))},
      {"clockFirst", r.ClockFirst},
      {"clockLast", r.ClockLast},
      {"corrected", r.HasHandicap != 0 && r.CorrectedTimeMode == 1},
      {"raceSpeed", r.RaceSpeed},
      {"preStartSpeed", r.PreStartSpeed > 0 ? r.PreStartSpeed : r.RaceSpeed},
      {"northUp", r.NorthUp == 1},
      {"windward", r.WindwardBearing},
      {"centre", Pair(v.RaceCentreLat, v.RaceCentreLon)},
      {"cosLat", v.CosCentreLat},
      {"span", Pair(v.RaceLatSpan, v.RaceLonSpan)},
      {"sun", QJsonArray{v.Sunrise, v.Sunset, v.StartSecondOfDay}},
      {"boatLength", r.DefaultBoatLength},
      {"maxGap", kMaxSampleGap},
      {"timeUnit", kHtmlTimeUnit},
      {"positionUnit", kHtmlPositionUnit},
      {"version", QStringLiteral(KEELWAY_VERSION)},
  };
  QJsonArray hull;
  for (int i = 1; i <= 9; ++i) hull.append(Pair(r.HullX[i], r.HullY[i]));
  o["hull"] = hull;
  PutCourse(r, passing, o);
  PutBoats(r, passing, o);
  return o;
}

std::string HtmlPageDocument(const RaceData& race, const ViewState& view,
                             const PassingResults& passing) {
  const std::string packed = DeflateForBrowser(
      PackRacePositions(race, view.RaceCentreLat, view.RaceCentreLon, view.CosCentreLat));
  const QByteArray base64 =
      QByteArray(packed.data(), static_cast<qsizetype>(packed.size())).toBase64();
  return FillTemplate(Asset("replay.html"),
                      {{"title", HtmlEscaped(race.RaceCaption.toStdString())},
                       {"version", KEELWAY_VERSION},
                       {"style", Asset("replay.css")},
                       {"facts", JsonForScript(HtmlRaceFacts(race, view, passing))},
                       {"positions", base64.toStdString()},
                       {"script", Script()}});
}

}  // namespace kw
