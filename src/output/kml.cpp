#include "output/kml.h"

#include <QDir>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "analysis/frame_state.h"
#include "race/datetime.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"

namespace kw {

namespace {

// Text placed into an element: markup characters escaped and control characters (not allowed in
// XML 1.0) dropped, so that any boat name still gives a well-formed document.
std::string XmlText(const QString& text) {
  QString clean;
  clean.reserve(text.size());
  for (QChar c : text) {
    if (c.unicode() < 0x20 && c != u'\t') continue;
    if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF) continue;
    clean += c;
  }
  return clean.toHtmlEscaped().toStdString();
}

std::string Degrees(double minutes) {
  return ShortestReal(minutes / 60);
}

// Day-count date-time `seconds` after the start, as the program writes date-times.
std::string DateTimeText(const RaceData& race, double seconds) {
  return FormatDateTime(race.StartTime + seconds / 86400.0);
}

class KmlWriter {
 public:
  KmlWriter(const RaceData& race, const KmlOptions& options) : race_(race), options_(options) {}

  void Line(const std::string& s) {
    out_ += s;
    out_ += '\n';
  }

  void Header() {
    Line(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    Line(R"(<kml xmlns="http://earth.google.com/kml/2.0">)");
    Line("<Folder>");
    Line("<name>" + XmlText(KmlDocumentName(race_.RaceCaption)) + "</name><open>1</open>");
  }

  bool Selected(int b) const { return !options_.HideUnfocusedInKml || race_.BoatShown[b] == 1; }

  std::string Name(int b) const { return XmlText(DisplayText(race_.BoatName[b])); }

  std::string Coordinate(int b, int k) const {
    return Degrees(race_.TrackLon[b][k]) + "," + Degrees(race_.TrackLat[b][k]) + ",0.0 ";
  }

  // The track of boat b through the samples `from` to `to` (either direction), both included.
  void TrackPlacemark(int b, int from, int to) {
    Line("<Placemark><name>" + Name(b) + "</name>");
    const char* width = race_.BoatShown[b] == 1 ? "2" : "1";
    Line("<Style><LineStyle><color>" + XmlText(QString::fromStdString(race_.BoatKmlColor[b])) +
         "</color><width>" + width + "</width></LineStyle></Style>");
    Line("<LineString><coordinates>");
    const int step = from <= to ? 1 : -1;
    for (int k = from;; k += step) {
      Line(Coordinate(b, k));
      if (k == to) break;
    }
    Line("</coordinates></LineString></Placemark>");
  }

  void BoatPlacemark(int b, const std::string& when, double lat, double lon, double speed,
                     double heading) {
    const std::string la = Degrees(lat), lo = Degrees(lon);
    const std::string kts = ShortestReal(RoundHalfEven(speed * 100) / 100);
    const std::string hdg = std::to_string(RoundInt(heading));
    Line("<Placemark><name>" + Name(b) + "</name>");
    if (options_.language == 0) {
      Line(R"(<description><![CDATA[<ul type="disk"><li>日時：)" + when + "<br>");
      Line("<li>緯度： " + la + "度<br>");
      Line("<li>経度： " + lo + "度<br>");
      Line("<li>速度： " + kts + "ノット<br>");
      Line("<li>針路： " + hdg + "度(T)<br>");
    } else {
      Line(R"(<description><![CDATA[<ul type="disk"><li>Date Time：)" + when + "<br>");
      Line("<li>LAT： " + la + " DEG<br>");
      Line("<li>LON： " + lo + " DEG<br>");
      Line("<li>BSP： " + kts + " KTS<br>");
      Line("<li>HDG： " + hdg + " DEG(T)<br>");
    }
    Line("</ul>]]></description>");
    Line("<visibility>1</visibility><Style><IconStyle><heading>0</heading><Icon><href>" +
         Icon("ar" + std::to_string(KmlIconHeading(heading)) + ".png") +
         "</href></Icon></IconStyle></Style>");
    Line("<Point><coordinates>" + lo + "," + la + ",0</coordinates>");
    Line("</Point></Placemark>");
  }

  void BuoyPlacemark(const std::string& name, double lat, double lon) {
    Line("<Placemark><name>" + name + "</name>");
    Line("<visibility>1</visibility><Style><IconStyle><Icon>");
    Line("<href>" + Icon("buoi.png") + "</href></Icon></IconStyle></Style>");
    Line("<Point><coordinates>" + Degrees(lon) + "," + Degrees(lat) + ",0</coordinates>");
    Line("</Point></Placemark>");
  }

  std::string Icon(const std::string& file) const {
    return XmlText(race_.ProgramFolder) + "ya/" + file;
  }

  std::string Take() { return std::move(out_); }

 private:
  const RaceData& race_;
  const KmlOptions& options_;
  std::string out_;
};

// Samples 1..count of boat b that can be read.
int UsableSamples(const RaceData& race, int b) {
  return std::min<int>(race.BoatSampleCount[b], static_cast<int>(race.TrackTime[b].size()) - 1);
}

// A valid opaque KML colour for course line k: the colour of boat k where it has one.
std::string LineColour(const RaceData& race, int k) {
  if (k <= race.BoatCount) {
    const std::string& c = race.BoatKmlColor[k];
    if (c.size() == 8 && (c[0] == 'F' || c[0] == 'f') && (c[1] == 'F' || c[1] == 'f') &&
        std::all_of(c.begin(), c.end(),
                    [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)) != 0; }))
      return c;
  }
  return "FFFFFFFF";
}

WriteResult WriteDocument(const QString& folder, const char* name, const std::string& text) {
  if (!QDir().mkpath(folder)) return {false, QStringLiteral("Cannot create folder %1").arg(folder)};
  const QString path = QDir(folder).filePath(QString::fromLatin1(name));
  const WriteResult w = WriteWholeFile(path, text);
  return w.ok ? WriteResult{true, path} : w;
}

}  // namespace

int KmlIconHeading(double heading) {
  if (!std::isfinite(heading)) return 0;
  double steps = std::fmod(std::trunc(heading / 10 + 0.5), 36.0);
  if (steps < 0) steps += 36;
  return static_cast<int>(steps) * 10;
}

QString KmlDocumentName(const QString& caption) {
  const QString rest = caption.mid(caption.indexOf(u' ') + 1);
  const qsizetype dot = rest.indexOf(u'.');
  return dot < 0 ? QString() : rest.left(dot);
}

int KmlTimeStep(double clockLast) {
  const double c = std::trunc(clockLast / 50);
  if (c >= 1800) return 3600;
  if (c >= 1200) return 1800;
  if (c >= 600) return 1200;
  if (c >= 300) return 600;
  return 300;
}

std::string KmlSnapshotDocument(const RaceData& race, const FrameBoats& boats, double raceClock,
                                const KmlOptions& options) {
  KmlWriter w(race, options);
  const std::string when = DateTimeText(race, RoundHalfEven(raceClock));
  const size_t blank = when.find(' ');
  w.Header();
  w.Line("<Folder><name>" + (blank == std::string::npos ? when : when.substr(blank + 1)) +
         "</name>");
  const int known = std::min<int>(race.BoatCount, static_cast<int>(boats.BoatPresent.size()) - 2);
  for (int b = 1; b <= known; ++b) {
    if (!w.Selected(b) || boats.BoatPresent[b] != 1) continue;
    const int n = UsableSamples(race, b);
    if (n < 1) continue;
    const int k = std::clamp(boats.BoatSampleIndex[b], 1, n);
    w.TrackPlacemark(b, k, std::max(k - 20, 1));
    w.BoatPlacemark(b, when, boats.BoatLatNow[b], boats.BoatLonNow[b], boats.BoatSpeedNow[b],
                    boats.BoatHeadingNow[b]);
  }
  w.Line("</Folder></Folder></kml>");
  return w.Take();
}

std::string KmlRaceDocument(const RaceData& race, const KmlOptions& options) {
  KmlWriter w(race, options);
  w.Header();
  w.Line("<Folder><name>Track Lines</name>");
  for (int b = 1; b <= race.BoatCount; ++b) {
    const int n = UsableSamples(race, b);
    // A boat without samples has no line (loading drops such boats anyway).
    if (w.Selected(b) && n >= 1) w.TrackPlacemark(b, 1, n);
  }
  w.Line("</Folder>");

  w.Line("<Folder><name>POINTS</name>");
  w.Line("<visibility>0</visibility>");
  w.Line("<open>1</open>");
  const int step = KmlTimeStep(race.ClockLast);
  const long long steps = static_cast<long long>(RoundHalfEven(race.ClockLast / step)) + 1;
  for (long long i = 0; i <= steps; ++i) {
    const double t = RoundHalfEven(static_cast<double>(i) * step);
    const std::string when = DateTimeText(race, t);
    w.Line("<Folder><name>" + when + "</name>");
    for (int b = 1; b <= race.BoatCount; ++b) {
      if (!w.Selected(b)) continue;
      const auto& time = race.TrackTime[b];
      const int n = UsableSamples(race, b);
      for (int k = 1; k <= n - 2; ++k) {
        if (!(time[k] <= t && t < time[k + 1])) continue;
        // Whole-second times; samples less than a second apart give the earlier position
        // rather than a division by zero.
        const double t0 = RoundHalfEven(time[k]), t1 = RoundHalfEven(time[k + 1]);
        const double f = t1 != t0 ? (t - t0) / (t1 - t0) : 0;
        const double lat =
            race.TrackLat[b][k] + (race.TrackLat[b][k + 1] - race.TrackLat[b][k]) * f;
        const double lon =
            race.TrackLon[b][k] + (race.TrackLon[b][k + 1] - race.TrackLon[b][k]) * f;
        w.BoatPlacemark(b, when, lat, lon, race.TrackSpeed[b][k + 1], race.TrackCourse[b][k + 1]);
        break;
      }
    }
    w.Line("</Folder>");
  }
  w.Line("</Folder>");

  w.Line("<Folder><name>MARK_LINES</name>");
  for (int k = 1; k <= std::min(race.MarkCount, kMaxMarks); ++k)
    w.BuoyPlacemark("MK" + std::to_string(k), race.MarkLat[k], race.MarkLon[k]);
  for (int k = 1; k <= std::min(race.LineCount, kMaxLines); ++k) {
    w.Line("<Placemark><name>line" + std::to_string(k) + "</name>");
    w.Line("<Style><LineStyle><color>" + LineColour(race, k) +
           "</color><width>1</width></LineStyle></Style>");
    w.Line("<LineString><coordinates>");
    w.Line(Degrees(race.LineLonA[k]) + "," + Degrees(race.LineLatA[k]) + ",0.0 ");
    w.Line(Degrees(race.LineLonB[k]) + "," + Degrees(race.LineLatB[k]) + ",0.0 ");
    w.Line("</coordinates></LineString></Placemark>");
    w.BuoyPlacemark("LINE" + std::to_string(k) + "-P", race.LineLatA[k], race.LineLonA[k]);
    w.BuoyPlacemark("LINE" + std::to_string(k) + "-S", race.LineLatB[k], race.LineLonB[k]);
  }
  w.Line("</Folder>");
  w.Line("</Folder></kml>");
  return w.Take();
}

WriteResult ExportKmlSnapshot(const RaceData& race, const FrameBoats& boats, double raceClock,
                              const KmlOptions& options, const QString& documentsFolder) {
  return WriteDocument(documentsFolder, kKmlSnapshotFileName,
                       KmlSnapshotDocument(race, boats, raceClock, options));
}

WriteResult ExportKmlRace(const RaceData& race, const KmlOptions& options,
                          const QString& documentsFolder) {
  return WriteDocument(documentsFolder, kKmlRaceFileName, KmlRaceDocument(race, options));
}

}  // namespace kw
