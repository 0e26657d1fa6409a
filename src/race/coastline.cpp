#include "race/coastline.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPointF>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "race/extent.h"
#include "race/fields.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"

namespace kw {

namespace {

QString CoastFolder(const RaceData& r) {
  return r.ProgramFolder + QStringLiteral("coastline/");
}

ReadError Malformed(const QString& path, long long line, const std::string& message) {
  return ReadError{QFileInfo(path).fileName(), line, QString::fromStdString(message)};
}

bool ContainsUpper(std::string_view text, std::string_view upperNeedle) {
  std::string up(text);
  for (char& c : up) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return up.find(upperNeedle) != std::string::npos;
}

// Columns first..first+count-1 (0-based first) of a fixed-column line, trimmed; shorter lines
// give what they have.
std::string_view Columns(std::string_view line, size_t first, size_t count) {
  if (first >= line.size()) return {};
  return Trim(line.substr(first, count));
}

bool Outside(double lat, double lon, const CoastBox& b) {
  return !(b.LatMin - 5 < lat && lat < b.LatMax && b.LonMin - 7.5 < lon && lon < b.LonMax);
}

// Removes the points outside the area; the first point kept after a gap starts a polyline.
void ClipToBox(RaceData& r, const CoastBox& box) {
  int kept = 0;
  bool restart = false;
  for (int i = 1; i <= r.CoastCount; ++i) {
    double lat = r.CoastLat[i];
    const double lon = r.CoastLon[i];
    const bool marked = lat > kCoastMarkerThreshold;
    if (Outside(marked ? lat - kCoastMarker : lat, lon, box)) {
      restart = true;
      continue;
    }
    if (restart && !marked) lat += kCoastMarker;
    restart = false;
    ++kept;
    r.CoastLat[kept] = lat;
    r.CoastLon[kept] = lon;
  }
  r.CoastCount = kept;
}

float LittleEndianFloat(const unsigned char* p) {
  const std::uint32_t u =
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return std::bit_cast<float>(u);
}

// Degrees then minutes: "3518.123" with two degree digits is 35 x 60 + 18.123.
bool ParseDegreesMinutes(std::string_view text, size_t degreeDigits, double& out) {
  if (text.size() <= degreeDigits) return false;
  int degrees = 0;
  double minutes = 0;
  if (!ParseInt(text.substr(0, degreeDigits), degrees)) return false;
  if (!ParseReal(text.substr(degreeDigits), minutes)) return false;
  out = degrees * 60.0 + minutes;
  return true;
}

}  // namespace

CoastBox ExtendedRaceBox(const RaceData& r, const RaceExtent& v) {
  const double add = r.AddArea;
  return {v.RaceLatMin - add, v.RaceLatMax + add, v.RaceLonMin - 1.4 * add,
          v.RaceLonMax + 1.4 * add};
}

DatumOffset DatumShift(double centreLat, double centreLon) {
  constexpr double kPi = 3.14159265358979323846;
  constexpr double kDeg = 180 / kPi;
  const double phi = centreLat / 60 / kDeg;
  const double lambda = centreLon / 60 / kDeg;
  const double a = 6377397.155;
  const double e2 = 0.006674372227347433;
  const double n = a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
  const double x = n * std::cos(phi) * std::cos(lambda) - 148;
  const double y = n * std::cos(phi) * std::sin(lambda) + 508;
  const double z = n * 0.9933256277726525 * std::sin(phi) + 680;
  double lambda2 = std::atan(y / x) * kDeg;
  if (lambda2 > 180) lambda2 -= 180;
  if (lambda2 < 0) lambda2 += 180;
  const double s = std::sin(lambda2 / kDeg);
  // y / sin(lambda') is the distance from the axis; off the meridians where the sine vanishes.
  const double p = s != 0 ? y / s : std::hypot(x, y);
  const double phi2 = std::atan(z / 0.9933056199770992 / p) * kDeg;
  return {(phi2 - phi * kDeg) * 60, (lambda2 - lambda * kDeg) * 60};
}

void AddCoastPoint(RaceData& r, double lat, double lon) {
  const int count = r.CoastCount + 1;
  if (count > r.CoastCapacity - 10) {
    r.CoastCapacity = count + 21;
    r.CoastLat.resize(r.CoastCapacity + 1);
    r.CoastLon.resize(r.CoastCapacity + 1);
  }
  r.CoastCount = count;
  r.CoastLat[count] = lat;
  r.CoastLon[count] = lon;
}

void ChooseMapFiles(RaceData& r, const RaceExtent& v) {
  r.MapFileCount = 0;
  if (v.RaceDiagonal > 60) {
    r.MapFileName[++r.MapFileCount] = "jcoast.cst";
    return;
  }
  const CoastBox box = ExtendedRaceBox(r, v);
  const int pFirst = static_cast<int>(std::trunc(box.LatMin / 40));
  const int pLast = static_cast<int>(std::trunc(box.LatMax / 40));
  const int uFirst = static_cast<int>(std::trunc(box.LonMin / 60));
  const int uLast = static_cast<int>(std::trunc(box.LonMax / 60));
  for (int p = pFirst; p <= pLast; ++p) {
    for (int u = uFirst; u <= uLast; ++u) {
      if (r.MapFileCount >= kMaxMapFiles) return;  // the name table holds ten
      r.MapFileName[++r.MapFileCount] = std::to_string(p) + std::to_string(u - 100);
    }
  }
}

CoastError ReadGridSquareFile(RaceData& r, std::string_view name, const CoastBox& box,
                              const DatumOffset& shift) {
  const QString path = ResolveFile(CoastFolder(r), std::string(name) + ".cst");
  std::string text;
  if (path.isEmpty() || !ReadWholeFile(path, text)) return std::nullopt;
  bool inArea = false;
  double cornerLat = 0, cornerLon = 0;
  int declared = 0, counter = 0;
  long long lineNo = 0;
  for (std::string_view line : SplitLines(text)) {
    ++lineNo;
    const char first = line.empty() ? '\0' : line.front();
    if (first == 'M') {
      int pp = 0, uu = 0, q = 0, v = 0;
      const std::string_view code = Columns(line, 2, 6);
      if (code.size() != 6 || !ParseInt(code.substr(0, 2), pp) ||
          !ParseInt(code.substr(2, 2), uu) || !ParseInt(code.substr(4, 1), q) ||
          !ParseInt(code.substr(5, 1), v)) {
        return Malformed(path, lineNo, NotAnInteger(code));
      }
      cornerLat = pp * 40.0 + q * 5.0;
      cornerLon = uu * 60.0 + 6000 + v * 7.5;
      inArea = box.LatMin - 5 < cornerLat && cornerLat < box.LatMax &&
               box.LonMin - 7.5 < cornerLon && cornerLon < box.LonMax;
    } else if (first == 'L') {
      if (!ParseInt(Columns(line, 49, 6), declared)) declared = 1;
      counter = 0;
    } else if (inArea) {
      for (size_t k = 0; k < 7 && counter < declared && line.size() > 10 * k; ++k) {
        const std::string_view xs = Columns(line, 10 * k, 5);
        const std::string_view ys = Columns(line, 10 * k + 5, 5);
        double x = 0, y = 0;
        if (!ParseReal(xs, x)) return Malformed(path, lineNo, NotAReal(xs));
        if (!ParseReal(ys, y)) return Malformed(path, lineNo, NotAReal(ys));
        ++counter;
        const double lat = cornerLat + y * 5 / 10000 + shift.Lat;
        const double lon = cornerLon + x * 7.5 / 10000 + shift.Lon;
        AddCoastPoint(r, counter == 1 ? lat + kCoastMarker : lat, lon);
      }
    }
  }
  return std::nullopt;
}

CoastError ReadPlainCoastFile(RaceData& r, std::string_view name) {
  std::string file(name);
  if (!ContainsUpper(file, ".CST")) file += ".cst";
  const QString path = ResolveFile(CoastFolder(r), file);
  std::string text;
  if (path.isEmpty() || !ReadWholeFile(path, text)) return std::nullopt;
  Fields f;
  long long lineNo = 0;
  for (std::string_view line : SplitLines(text)) {
    ++lineNo;
    if (Trim(line).empty()) continue;
    SplitFields(line, ',', f);
    const bool start = f.FieldCount >= 3 && f[0] == "R";
    const std::string_view latText = start ? f[1] : f[0];
    const std::string_view lonText = start ? f[2] : f[1];
    double lat = 0, lon = 0;
    if (!ParseReal(latText, lat)) return Malformed(path, lineNo, NotAReal(latText));
    if (!ParseReal(lonText, lon)) return Malformed(path, lineNo, NotAReal(lonText));
    AddCoastPoint(r, start ? lat + kCoastMarker : lat, lon);
  }
  return std::nullopt;
}

CoastError ReadWholeCoast(RaceData& r, const RaceExtent& v) {
  const QString path = ResolveFile(CoastFolder(r), "jcoast.cst");
  std::string bytes;
  if (path.isEmpty() || !ReadWholeFile(path, bytes)) return std::nullopt;

  constexpr int kSize = 300;
  double xScale = 0, yScale = 0;
  if (v.RaceLonSpan * v.CosCentreLat >= v.RaceLatSpan) {
    const double s = 150 / v.RaceLonSpan;
    xScale = s;
    yScale = s / v.CosCentreLat;
  } else {
    const double s = 150 / v.RaceLatSpan;
    yScale = s;
    xScale = s * v.CosCentreLat;
  }
  // A race without extent has no band to test against.
  if (!std::isfinite(xScale) || !std::isfinite(yScale) || xScale <= 0 || yScale <= 0) {
    return std::nullopt;
  }
  auto toX = [&](double lon) { return (lon - v.RaceCentreLon) * xScale + 150; };
  auto toY = [&](double lat) { return 150 - (lat - v.RaceCentreLat) * yScale; };

  // The band: every track drawn with a thick pen through every hundredth sample.
  const double h = std::max(static_cast<double>(v.RaceDiagonal) * 0.1, 30.0);
  const double width = std::clamp(std::trunc(h * yScale * 2), 1.0, 1.0e6);
  QImage band(kSize, kSize, QImage::Format_RGB32);
  band.fill(Qt::white);
  const QRgb red = qRgb(255, 0, 0);
  {
    QPainter painter(&band);
    painter.setPen(QPen(QColor(red), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    std::vector<QPointF> points;
    for (int b = 1; b <= r.BoatCount; ++b) {
      points.clear();
      // Only recorded samples: the arrays' spare slots hold no positions.
      const int last =
          std::min<int>(r.BoatSampleCount[b],
                        static_cast<int>(std::min(r.TrackLat[b].size(), r.TrackLon[b].size())) - 1);
      for (int i = 1; i <= last; i += 100) {
        points.emplace_back(toX(r.TrackLon[b][i]), toY(r.TrackLat[b][i]));
      }
      if (points.size() == 1) {
        painter.drawPoint(points.front());
      } else if (points.size() > 1) {
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
      }
    }
  }
  auto onBand = [&](double lat, double lon) {
    const double x = std::floor(toX(lon));
    const double y = std::floor(toY(lat));
    if (!(x >= 0 && x < kSize && y >= 0 && y < kSize)) return false;
    return band.pixel(static_cast<int>(x), static_cast<int>(y)) == red;
  };

  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t count = bytes.size() / 8;
  bool taken = false;
  for (size_t i = 0; i < count; ++i) {
    double lat = LittleEndianFloat(data + 8 * i);
    const double lon = LittleEndianFloat(data + 8 * i + 4);
    if (!std::isfinite(lat) || !std::isfinite(lon)) {
      ReadError e = Malformed(path, static_cast<long long>(8 * i), "invalid coordinate");
      e.byteOffset = true;
      return e;
    }
    if (lat < 0) {
      lat = -lat;
      taken = onBand(lat, lon);
      if (taken) AddCoastPoint(r, lat + kCoastMarker, lon);
    } else if (taken) {
      AddCoastPoint(r, lat, lon);
    } else if (v.RaceLatMin - h < lat && lat < v.RaceLatMax + h && v.RaceLonMin - h < lon &&
               lon < v.RaceLonMax + h && onBand(lat, lon)) {
      AddCoastPoint(r, lat + kCoastMarker, lon);
      taken = true;
    }
  }
  return std::nullopt;
}

namespace {

void ClearLights(RaceData& r) {
  r.LightCount = 0;
  for (auto* t : {&r.LightName, &r.LightColors}) t->assign(1, std::string());
  for (auto* t : {&r.LightLat, &r.LightLon, &r.LightSize}) t->assign(1, 0.0);
  for (auto* t : {&r.LightPeriod, &r.LightOnSeconds}) t->assign(1, 0);
}

}  // namespace

CoastError LoadLights(RaceData& r, const RaceExtent& v) {
  ClearLights(r);
  QString path = ResolveFile(CoastFolder(r), "jlh.lh");
  if (path.isEmpty()) path = ResolveFile(CoastFolder(r), "toba.lh");
  std::string text;
  if (path.isEmpty() || !ReadWholeFile(path, text)) return std::nullopt;
  Fields f;
  long long lineNo = 0;
  for (std::string_view line : SplitLines(text)) {
    ++lineNo;
    if (Trim(line).empty()) continue;
    SplitFields(line, ',', f);
    double lat = 0, lon = 0, size = 0;
    int period = 0, on = 0;
    if (!ParseDegreesMinutes(f[1], 2, lat)) return Malformed(path, lineNo, NotAReal(f[1]));
    if (!ParseDegreesMinutes(f[2], 3, lon)) return Malformed(path, lineNo, NotAReal(f[2]));
    if (!ParseInt(f[3], period)) return Malformed(path, lineNo, NotAnInteger(f[3]));
    if (!ParseInt(f[4], on)) return Malformed(path, lineNo, NotAnInteger(f[4]));
    if (!ParseReal(f[6], size)) return Malformed(path, lineNo, NotAReal(f[6]));
    if (!(v.RaceLatMin - 5 < lat && lat < v.RaceLatMax + 8 && v.RaceLonMin - 5 < lon &&
          lon < v.RaceLonMax + 5)) {
      continue;
    }
    ++r.LightCount;
    r.LightName.emplace_back(f[0]);
    r.LightLat.push_back(lat);
    r.LightLon.push_back(lon);
    r.LightPeriod.push_back(period);
    r.LightOnSeconds.push_back(on);
    r.LightColors.emplace_back(f[5]);
    r.LightSize.push_back(size);
  }
  return std::nullopt;
}

CoastError LoadCoastline(RaceData& r, const RaceExtent& v) {
  // A race whose map files give nothing must not show the previous race's coast.
  r.CoastCount = 0;
  r.CoastCapacity = 50;
  r.CoastLat.assign(r.CoastCapacity + 1, 0.0);
  r.CoastLon.assign(r.CoastCapacity + 1, 0.0);
  ClearLights(r);  // nor its lights when a map file stops the step
  if (r.MapFileCount == 0) ChooseMapFiles(r, v);
  if (r.MapFileCount > 0) {
    const std::string& firstName = r.MapFileName[1];
    const bool gridSquares =
        !firstName.empty() && static_cast<unsigned char>(firstName.front()) < 66;
    if (gridSquares) {
      const DatumOffset shift = DatumShift(v.RaceCentreLat, v.RaceCentreLon);
      const CoastBox box = ExtendedRaceBox(r, v);
      for (int i = 1; i <= r.MapFileCount; ++i) {
        if (CoastError e = ReadGridSquareFile(r, r.MapFileName[i], box, shift)) return e;
      }
      if (r.CoastCount > 10) ClipToBox(r, box);
    } else {
      for (int i = 1; i <= r.MapFileCount; ++i) {
        const std::string& name = r.MapFileName[i];
        CoastError e =
            ContainsUpper(name, "JCOA") ? ReadWholeCoast(r, v) : ReadPlainCoastFile(r, name);
        if (e) return e;
      }
    }
  }
  return LoadLights(r, v);
}

}  // namespace kw
