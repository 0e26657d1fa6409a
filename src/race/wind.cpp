#include "race/wind.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <utility>

#include "race/datetime.h"
#include "race/fields.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"

namespace kw {

namespace {

void SizeWindArrays(RaceData& r, int n) {
  const size_t size = static_cast<size_t>(n) + 2;
  r.WindTime.resize(size, 0);
  r.WindSpeed.resize(size, 0);
  r.WindDir.resize(size, 0);
}

bool BlankLine(std::string_view line) {
  return Trim(line).empty();
}

}  // namespace

WindReadResult ReadWindFile(RaceData& r) {
  WindReadResult result;
  r.WindSpeedMax = 0;
  r.WindCount = 0;
  r.WindTime.assign(3, 0);
  r.WindSpeed.assign(3, 0);
  r.WindDir.assign(3, 0);
  if (r.WindFileName.empty()) return result;
  const QString path = ResolveFile(r.ProgramFolder + QStringLiteral("winddat/"), r.WindFileName);
  if (path.isEmpty()) {
    r.WindFileName.clear();
    return result;
  }
  const QString shown = DisplayText(r.WindFileName);
  std::string text;
  QString why;
  if (!ReadWholeFile(path, text, &why)) {
    result.ok = false;
    result.error = {shown, 0, why};
    return result;
  }
  const auto lines = SplitLines(text);
  Fields f;
  int n = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (BlankLine(lines[i])) continue;
    const long long lineNo = static_cast<long long>(i) + 1;
    auto fail = [&](const std::string& message) {
      result.ok = false;
      result.error = {shown, lineNo, QString::fromStdString(message)};
    };
    SplitFields(lines[i], ',', f);
    const auto when = ParseDateTime(f[0]);
    if (!when) {
      fail(NotADateTime(f[0]));
      break;
    }
    double speed, dir;
    if (!ParseReal(f[1], speed)) {
      fail(NotAReal(f[1]));
      break;
    }
    // A direction beyond the integer range cannot be stored; it converts no better than text.
    if (!ParseReal(f[2], dir) || std::fabs(dir) >= 2147483647.0) {
      fail(NotAReal(f[2]));
      break;
    }
    // A sample counts only once all three fields converted: a half-read line would otherwise
    // stay behind as a false observation at the gun.
    ++n;
    SizeWindArrays(r, n);
    r.WindTime[n] = static_cast<double>(SecondsBetween(r.StartTime, *when));
    r.WindSpeed[n] = speed;
    r.WindSpeedMax = std::max(r.WindSpeedMax, speed);
    r.WindDir[n] = RoundInt(dir);
    r.WindCount = n;
  }
  return result;
}

std::string WindFileNameFor(const QString& raceFileName) {
  const qsizetype dot = raceFileName.indexOf(QLatin1Char('.'));
  const QString stem = dot < 0 ? raceFileName : raceFileName.left(dot);
  return (stem + QStringLiteral("_wind.csv")).toStdString();
}

WriteResult WriteWindFile(RaceData& r) {
  // Never trust WindCount beyond what the arrays hold.
  const int n = static_cast<int>(
      std::min<size_t>(static_cast<size_t>(std::max(r.WindCount, 0)),
                       std::min({r.WindTime.size(), r.WindSpeed.size(), r.WindDir.size()}) - 1));
  for (int i = 1; i <= n - 1; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      if (r.WindTime[i] > r.WindTime[j]) {
        std::swap(r.WindTime[i], r.WindTime[j]);
        std::swap(r.WindSpeed[i], r.WindSpeed[j]);
        std::swap(r.WindDir[i], r.WindDir[j]);
      }
    }
  }
  const std::string name = WindFileNameFor(r.RaceFileName);
  const QString path = r.ProgramFolder + QStringLiteral("winddat/") + QString::fromStdString(name);
  std::string out = "DATE TIME, TWS,TWD\n";
  for (int i = 1; i <= n; ++i) {
    out.append(FormatDateTime(r.StartTime + r.WindTime[i] / 86400.0))
        .append(",0,")
        .append(std::to_string(r.WindDir[i]))
        .append("\n");
  }
  if (!QFileInfo(path).absoluteDir().exists()) {
    return {false, QStringLiteral("%1: the folder does not exist").arg(QFileInfo(path).path())};
  }
  const WriteResult w = WriteWholeFile(path, out);
  if (!w.ok) return w;
  r.WindFileName = name;
  return {};
}

}  // namespace kw
