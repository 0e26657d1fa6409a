#include "race/racefile.h"

#include <QFileInfo>

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "race/datetime.h"
#include "race/fields.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"

namespace kw {

namespace {

struct ConversionError {
  std::string message;
};

int IntField(const Fields& f, int i) {
  int v;
  if (!ParseInt(f[i], v)) throw ConversionError{NotAnInteger(f[i])};
  return v;
}

double RealField(const Fields& f, int i) {
  double v;
  if (!ParseReal(f[i], v)) throw ConversionError{NotAReal(f[i])};
  return v;
}

// Values that later become whole seconds or degrees in an int: beyond the limits they would
// overflow, so the line is refused rather than the value wrapped.
int IntFieldWithin(const Fields& f, int i, int limit, const char* unit) {
  const int v = IntField(f, i);
  if (v < -limit || v > limit) {
    throw ConversionError{"'" + std::string(f[i]) + "' is out of range (-" + std::to_string(limit) +
                          " to " + std::to_string(limit) + " " + unit + ")"};
  }
  return v;
}

double RealFieldWithin(const Fields& f, int i, double limit, const char* unit) {
  const double v = RealField(f, i);
  if (std::fabs(v) > limit) {
    throw ConversionError{"'" + std::string(f[i]) + "' is out of range (-" + ShortestReal(limit) +
                          " to " + ShortestReal(limit) + " " + unit + ")"};
  }
  return v;
}

// A week before the gun is longer than any real sequence; a year is longer than any race.
constexpr int kMaxPreStartMinutes = 7 * 24 * 60;
constexpr long long kMaxRaceSeconds = 366LL * 86400;
constexpr int kMaxAngle = 3600;

double DateTimeField(const Fields& f, int i) {
  auto v = ParseDateTime(f[i]);
  if (!v) throw ConversionError{NotADateTime(f[i])};
  return *v;
}

QString Shown(std::string_view s) {
  return DisplayText(s);
}

// Every value of a line, however many: a CRS line may hold more entries than the splitter's
// fields. Trimmed, an empty value reading "0", as the splitter gives them.
std::vector<std::string> AllValues(std::string_view line) {
  std::vector<std::string> values;
  size_t start = line.find(',');
  while (start != std::string_view::npos) {
    const size_t next = line.find(',', start + 1);
    const std::string_view v = Trim(line.substr(
        start + 1, next == std::string_view::npos ? std::string_view::npos : next - start - 1));
    values.emplace_back(v.empty() ? std::string_view("0") : v);
    start = next;
  }
  return values;
}

// `line` is the line as read: what does not fit a table is kept for the rewrite.
void ReadLine(RaceData& r, const Fields& f, std::string_view line, int lineNo,
              CapacityNotes& notes) {
  char buf[16];
  const std::string_view kw = UpperKeyword(f[0], buf);
  const QString at = QStringLiteral("line %1").arg(lineNo);
  if (kw == "NOTE") {
    r.RaceNote = std::string(f[1]);
  } else if (kw == "CLSSEP") {
    r.ClassesDeclared = 1;
  } else if (kw == "CLSN") {
    if (r.ClassesDeclared != 1) return;
    if (r.ClassCount >= kMaxClasses) {
      notes.Add(QStringLiteral("classes beyond %1").arg(kMaxClasses), Shown(f[1]));
      return;
    }
    r.ClassName[++r.ClassCount] = std::string(f[1]);
  } else if (kw == "BN") {
    if (ResolveFile(r.ProgramFolder + QStringLiteral("gpsdat/"), f[1]).isEmpty()) {
      r.DroppedBoats.push_back({std::string(f[1]), std::string(f[2]), DroppedBoat::MissingFile, 0});
      return;
    }
    if (r.BoatCount >= kMaxBoats) {
      notes.Add(QStringLiteral("boats beyond %1").arg(kMaxBoats), Shown(f[1]));
      return;
    }
    const int b = ++r.BoatCount;
    r.BoatTrackFile[b] = std::string(f[1]);
    r.BoatName[b] = std::string(f[2]);
    r.BoatClass[b] = r.ClassCount;
    r.BoatFactor[b] = f.FieldCount > 3 ? RealField(f, 3) : 0;
    r.BoatTimeOffset[b] = f.FieldCount > 4 ? IntField(f, 4) : 0;
    r.BoatShown[b] = f.FieldCount > 5 ? 0 : 1;
    r.BoatSampleCount[b] = 0;
    r.BoatSkippedRecords[b] = 0;
  } else if (kw == "CT") {
    r.CorrectedTimeMode = IntField(f, 1);
  } else if (kw == "MK") {
    double lat = RealField(f, 1), lon = RealField(f, 2);
    if (r.MarkCount >= kMaxMarks) {
      notes.Add(QStringLiteral("marks beyond %1").arg(kMaxMarks), at);
      r.MarkLinesBeyond.emplace_back(line);
      return;
    }
    ++r.MarkCount;
    r.MarkLat[r.MarkCount] = lat;
    r.MarkLon[r.MarkCount] = lon;
  } else if (kw == "MAP") {
    for (int i = 1; i < f.FieldCount; ++i) {
      if (r.MapFileCount >= kMaxMapFiles) {
        notes.Add(QStringLiteral("map files beyond %1").arg(kMaxMapFiles), Shown(f[i]));
        continue;
      }
      r.MapFileName[++r.MapFileCount] = std::string(f[i]);
    }
  } else if (kw == "LN" || kw == "RL") {
    double la = RealField(f, 1), loa = RealField(f, 2), lb = RealField(f, 3), lob = RealField(f, 4);
    const bool ref = kw == "RL";
    int& count = ref ? r.RefLineCount : r.LineCount;
    if (count >= (ref ? kMaxRefLines : kMaxLines)) {
      notes.Add(ref ? QStringLiteral("reference lines beyond %1").arg(kMaxRefLines)
                    : QStringLiteral("lines beyond %1").arg(kMaxLines),
                at);
      if (!ref) r.LineLinesBeyond.emplace_back(line);
      return;
    }
    ++count;
    (ref ? r.RefLineLatA : r.LineLatA)[count] = la;
    (ref ? r.RefLineLonA : r.LineLonA)[count] = loa;
    (ref ? r.RefLineLatB : r.LineLatB)[count] = lb;
    (ref ? r.RefLineLonB : r.LineLonB)[count] = lob;
  } else if (kw == "LL") {
    r.LaylineAngle1 = IntField(f, 1);
    r.LaylineAngle2 = IntField(f, 2);
  } else if (kw == "CRS") {
    int n = f.FieldCount - 1;
    if (n > kMaxCourse) n = kMaxCourse;
    for (int i = 0; i < n; ++i) r.CourseEntry[i] = std::string(f[i + 1]);
    r.CourseCount = n;
    r.CourseEntriesBeyond.clear();
    if (f.Overflow) {
      std::vector<std::string> all = AllValues(line);
      for (size_t i = kMaxCourse; i < all.size(); ++i) {
        notes.Add(QStringLiteral("course entries beyond %1").arg(kMaxCourse), Shown(all[i]));
        r.CourseEntriesBeyond.push_back(std::move(all[i]));
      }
    }
  } else if (kw == "AT") {
    for (int i = 1; i < f.FieldCount; ++i) {
      if (ResolveFile(r.ProgramFolder + QStringLiteral("attachment/"), f[i]).isEmpty()) continue;
      if (r.AttachmentCount >= kMaxAttachments) {
        notes.Add(QStringLiteral("attachments beyond %1").arg(kMaxAttachments), Shown(f[i]));
        continue;
      }
      r.AttachmentName[r.AttachmentCount++] = std::string(f[i]);
    }
  } else if (kw == "FLG") {
    // Accepted for older race files; it has no effect.
  } else if (kw == "T1") {
    r.RaceTitle = std::string(f[1]);
  } else if (kw == "T2") {
    r.RaceSubtitle = std::string(f[1]);
  } else if (kw == "MG") {
    r.MagneticVariation = RealFieldWithin(f, 1, kMaxAngle, "degrees");
  } else if (kw == "LG") {
    r.DefaultBoatLength = RealField(f, 1);
  } else if (kw == "ST") {
    r.StartTime = DateTimeField(f, 1);
  } else if (kw == "FT") {
    r.FinishTime = DateTimeField(f, 1);
  } else if (kw == "TD") {
    r.TimeZoneHours = IntField(f, 1);
  } else if (kw == "WD") {
    r.WindDirection = IntFieldWithin(f, 1, kMaxAngle, "degrees");
  } else if (kw == "WF") {
    r.WindFileName = std::string(f[1]);
  } else if (kw == "BT") {
    r.PreStartSeconds = IntFieldWithin(f, 1, kMaxPreStartMinutes, "minutes") * 60;
  } else if (kw == "NU") {
    r.NorthUp = IntField(f, 1);
  } else if (kw == "PS") {
    r.RaceSpeed = RealField(f, 1);
    if (f.FieldCount > 2) r.PreStartSpeed = RealField(f, 2);
  } else if (kw == "ADDAREA") {
    r.AddArea = static_cast<float>(RealField(f, 1));
  }
}

void DeriveAfterRead(RaceData& r, const QString& path, bool modeChosenByUser) {
  // 2: a "^^" suffix on the name carries the hull length.
  for (int b = 1; b <= r.BoatCount; ++b) {
    std::string& name = r.BoatName[b];
    size_t p = name.find("^^");
    if (p != std::string::npos) {
      std::string_view len = Trim(std::string_view(name).substr(p + 2, 100));
      double v;
      if (!ParseReal(len, v)) throw ConversionError{NotAReal(len)};
      r.BoatLength[b] = static_cast<float>(v);
      name.resize(p);
    } else {
      r.BoatLength[b] = static_cast<float>(r.DefaultBoatLength);
    }
  }
  // 3: the boat list's rows and class panel are the window's (its race-file step).
  // 4, 5
  r.HasHandicap = r.BoatCount >= 1 && r.BoatFactor[1] > 0 ? 1 : 0;
  if (!modeChosenByUser) r.Controls.CtModeChecked = r.CorrectedTimeMode >= 1;
  // 6: the replay window.
  if (r.PreStartSeconds == 0) r.PreStartSeconds = 180;
  r.ClockFirst = -r.PreStartSeconds - 10;
  r.ClockLast = static_cast<double>(SecondsBetween(r.StartTime, r.FinishTime) + 30);
  // A start without a finish (or the reverse) would span the years back to the zero date:
  // the clock range stays that of a race finishing at the gun and the read fails below.
  if (std::fabs(r.ClockLast) > kMaxRaceSeconds) r.ClockLast = 30;
  UpdateClockSpan(r);
  // 7, 8
  r.WindwardBearing = RoundInt(r.MagneticVariation) + r.WindDirection;
  r.RaceDate = std::trunc(r.StartTime);
  // 9: captions.
  const QString title = DisplayText(r.RaceTitle);
  const QString subtitle = DisplayText(r.RaceSubtitle);
  r.RaceCaption = QStringLiteral("keelway  ");
  if (title.size() < 2 && subtitle.size() < 2) r.RaceCaption += QFileInfo(path).fileName();
  if (subtitle.size() < 2) r.RaceCaption2 = QString::fromStdString(FormatShortDate(r.RaceDate));
  if (title.size() >= 2) r.RaceCaption = title;
  if (subtitle.size() >= 2) r.RaceCaption2 = subtitle;
  // 11, 12
  r.Controls.WindwardChecked = r.NorthUp < 1;
  r.Controls.AttFilesEnabled = r.AttachmentCount >= 1;
  // 13: replay speeds and their scroll bar positions.
  if (r.PreStartSpeed == 0) r.PreStartSpeed = r.RaceSpeed;
  r.Controls.RaceSpeedPosition = SpeedToPosition(static_cast<float>(r.RaceSpeed));
  r.Controls.PreStartSpeedPosition = SpeedToPosition(static_cast<float>(r.PreStartSpeed));
}

// Why the start and finish times give no race window, or null. Checked after the whole file,
// as either time may carry over from the race before.
const char* RaceWindowFault(const RaceData& r) {
  if (r.StartTime != 0 && r.FinishTime == 0) return "no finish time (an FT line)";
  if (r.StartTime == 0 && r.FinishTime != 0) return "no start time (an ST line)";
  if (std::llabs(SecondsBetween(r.StartTime, r.FinishTime)) > kMaxRaceSeconds)
    return "the finish time is more than a year from the start time";
  return nullptr;
}

}  // namespace

float SpeedToPosition(float v) {
  if (v <= 10) return v * 4.0f - 1.0f;
  if (v <= 90) return (v / 10.0f - 1.0f) * 4.0f + 40.0f;
  return (v / 100.0f - 1.0f) * 4.0f + 80.0f;
}

RaceFileResult ReadRaceFile(RaceData& r, const QString& path, bool modeChosenByUser) {
  RaceFileResult result;
  if (!QFileInfo(path).isFile()) return result;
  ResetRaceTables(r);
  r.RaceFileReadFailed = false;
  std::string text;
  QString why;
  const QString name = QFileInfo(path).fileName();
  if (!ReadWholeFile(path, text, &why)) {
    r.RaceFileReadFailed = true;
    result.ok = false;
    result.error = {name, 0, why};
    return result;
  }
  const auto lines = SplitLines(text);
  Fields f;
  int lineNo = 0;
  try {
    for (std::string_view line : lines) {
      ++lineNo;
      SplitFields(line, ',', f);
      if (f.FieldCount < 2) continue;
      char buf[16];
      if (f.Overflow && UpperKeyword(f[0], buf) != "CRS") {
        result.notes.Add(QStringLiteral("values beyond %1 on a line").arg(kMaxFields - 1),
                         QStringLiteral("line %1").arg(lineNo));
      }
      ReadLine(r, f, line, lineNo, result.notes);
    }
    lineNo = 0;
    r.StartTimeUtc = r.StartTime - r.TimeZoneHours / 24.0;
    r.FinishTimeUtc = r.FinishTime - r.TimeZoneHours / 24.0;
    DeriveAfterRead(r, path, modeChosenByUser);
    r.CourseAsRead = CourseBlock(r, "\n");
    if (const char* why = RaceWindowFault(r)) {
      result.ok = false;
      result.error = {name, 0, QString::fromLatin1(why)};
    }
  } catch (const ConversionError& e) {
    r.StartTimeUtc = r.StartTime - r.TimeZoneHours / 24.0;
    r.FinishTimeUtc = r.FinishTime - r.TimeZoneHours / 24.0;
    r.RaceFileReadFailed = true;
    result.ok = false;
    result.error = {name, lineNo, QString::fromStdString(e.message)};
  }
  return result;
}

std::string CourseBlock(const RaceData& r, std::string_view eol) {
  std::string out;
  out.append("WD, ").append(std::to_string(r.WindDirection)).append(eol);
  for (int i = 1; i <= r.MarkCount; ++i) {
    out.append("MK,")
        .append(ShortestReal(r.MarkLat[i]))
        .append(",")
        .append(ShortestReal(r.MarkLon[i]))
        .append(eol);
  }
  for (const std::string& line : r.MarkLinesBeyond) out.append(line).append(eol);
  for (int i = 1; i <= r.LineCount; ++i) {
    out.append("LN,")
        .append(ShortestReal(r.LineLatA[i]))
        .append(",")
        .append(ShortestReal(r.LineLonA[i]))
        .append(",")
        .append(ShortestReal(r.LineLatB[i]))
        .append(",")
        .append(ShortestReal(r.LineLonB[i]))
        .append(eol);
  }
  for (const std::string& line : r.LineLinesBeyond) out.append(line).append(eol);
  if (r.CourseCount > 0) {
    out.append("CRS");
    for (int i = 0; i < r.CourseCount; ++i) out.append(",").append(r.CourseEntry[i]);
    for (const std::string& entry : r.CourseEntriesBeyond) out.append(",").append(entry);
    out.append(eol);
  }
  return out;
}

WriteResult WriteRaceFile(const RaceData& r) {
  if (!QFileInfo(r.RaceFilePath).isFile()) return {};
  if (r.RaceFileReadFailed) {
    return {false, QStringLiteral("%1 was not read to its end; it is not rewritten so that no "
                                  "line after the error is lost.")
                       .arg(QFileInfo(r.RaceFilePath).fileName())};
  }
  std::string text;
  QString why;
  if (!ReadWholeFile(r.RaceFilePath, text, &why))
    return {false, r.RaceFilePath + QStringLiteral(": ") + why};
  const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  // Without a wind series in memory (its file missing here, or a new one being drawn) the
  // file's own WF line stays where it is: the race keeps naming its wind file.
  const bool windInMemory = r.WindCount > 0 && !r.WindFileName.empty();
  std::string out;
  out.reserve(text.size() + 1024);
  Fields f;
  for (std::string_view line : SplitLines(text)) {
    SplitFields(line, ',', f);
    char buf[16];
    const std::string_view kw = UpperKeyword(f[0], buf);
    if (kw == "MK" || kw == "LN" || kw == "CRS" || kw == "WD") continue;
    if (kw == "WF" && windInMemory) continue;
    out.append(line).append(eol);
  }
  if (windInMemory) out.append("WF,").append(r.WindFileName).append(eol);
  out.append(CourseBlock(r, eol));
  return WriteWholeFile(r.RaceFilePath, out);
}

}  // namespace kw
