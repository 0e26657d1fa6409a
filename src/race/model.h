// The one race held in memory: header settings, boat, class and course tables, the per-boat
// sample arrays, the wind series, the clock range, the race catalogue and the file paths.
// Tables are 1-based (slot 0 unused) and sized to their fixed capacities once.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "race/track_columns.h"
#include "race/track_outline.h"

namespace kw {

constexpr int kMaxBoats = 80;
constexpr int kMaxClasses = 10;
constexpr int kMaxMarks = 20;
constexpr int kMaxLines = 10;
constexpr int kMaxRefLines = 10;
constexpr int kMaxCourse = 20;
constexpr int kMaxMapFiles = 10;
constexpr int kMaxAttachments = 10;
constexpr int kMaxRaces = 200;

// Passing time of a course entry that a boat never passed; 999999 s or more means "not passed".
constexpr double NotPassed = 1.0e7;

// Fewer kept samples than this drop a boat from the race.
constexpr int kMinTrackSamples = 15;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Values the race file sets on controls; the window applies them, the CLI ignores them.
struct ControlSettings {
  bool CtModeChecked = false;       // RadioButton11 ("CT mode") vs RadioButton10 ("ET mode")
  bool WindwardChecked = true;      // RadioW ("Windwd") vs RadioN ("Northwd")
  bool AttFilesEnabled = false;     // Button2 ("Att Files")
  float RaceSpeedPosition = 0;      // ScrollBar1 position for RaceSpeed
  float PreStartSpeedPosition = 0;  // ScrollBar1 position for PreStartSpeed
};

// A boat named in the race file that is not in the race, and why.
struct DroppedBoat {
  enum Reason { MissingFile, TooFewSamples, Unreadable };
  std::string file, name;  // as written in the race file
  Reason reason = MissingFile;
  int samples = 0;
};

struct RaceData {
  RaceData();

  // Race header. Texts from the file are raw bytes as read (names may be Shift_JIS).
  std::string RaceTitle, RaceSubtitle, RaceNote;
  QString RaceCaption = QStringLiteral("keelway  ");
  QString RaceCaption2;
  double StartTime = 0, FinishTime = 0;  // day-count date-times, local
  int TimeZoneHours = 0;
  double StartTimeUtc = 0, FinishTimeUtc = 0, RaceDate = 0;
  int PreStartSeconds = 180;
  int WindDirection = 0;
  double MagneticVariation = 0;
  int WindwardBearing = 0;
  double DefaultBoatLength = 4.7;
  int NorthUp = 0;
  int CorrectedTimeMode = 0;
  double RaceSpeed = 5.0, PreStartSpeed = 0;
  float AddArea = 5;
  int LaylineAngle1 = 0, LaylineAngle2 = 0;
  std::string WindFileName;
  std::array<std::string, kMaxMapFiles + 1> MapFileName;  // 1-based
  int MapFileCount = 0;
  std::array<std::string, kMaxAttachments> AttachmentName;  // 0-based
  int AttachmentCount = 0;
  int HasHandicap = 0;

  // Boats, 1..BoatCount.
  int BoatCount = 0;
  std::vector<std::string> BoatTrackFile, BoatName;
  std::vector<int> BoatClass;
  std::vector<double> BoatFactor;
  std::vector<int> BoatTimeOffset;
  std::vector<int> BoatShown;
  std::vector<float> BoatLength;
  std::vector<int> BoatSampleCount;
  std::vector<int> BoatSampleInterval;
  std::vector<Rgb> BoatColor;
  std::vector<std::string> BoatKmlColor;
  // Records the reader skipped for this boat (corrupt NMEA sentences, fixes without position).
  std::vector<int> BoatSkippedRecords;
  int HiddenBoatCount = 0;
  int DroppedBoatCount = 0;
  std::vector<DroppedBoat> DroppedBoats;  // in race-file order

  // Classes, 1..ClassCount.
  std::array<std::string, kMaxClasses + 1> ClassName;
  int ClassCount = 0;
  int ClassesDeclared = 0;

  // Per-boat samples [boat][sample], sample 1..BoatSampleCount; outer length BoatCount + 2.
  // Each row is a compact column (track_columns.h) that reads like an array of numbers.
  std::vector<TimeColumn> TrackTime;
  std::vector<PositionColumn> TrackLat, TrackLon;
  std::vector<SpeedColumn> TrackSpeed;
  std::vector<CourseColumn> TrackCourse;
  // Coarser copies of each track for the pictures (track_outline.h), [boat]; made at load when
  // pictures will be drawn, each used only while its track is unchanged.
  std::vector<TrackOutline> TrackOutlines;
  std::vector<TrackBlocks> TrackBlockSummaries;

  // Course.
  std::array<double, kMaxMarks + 1> MarkLat{}, MarkLon{};
  int MarkCount = 0;
  std::array<double, kMaxLines + 1> LineLatA{}, LineLonA{}, LineLatB{}, LineLonB{};
  int LineCount = 0;
  std::array<double, kMaxRefLines + 1> RefLineLatA{}, RefLineLonA{}, RefLineLatB{}, RefLineLonB{};
  int RefLineCount = 0;
  std::array<std::string, kMaxCourse> CourseEntry;  // 0-based
  int CourseCount = 0;
  // Course data the tables had no room for, kept as read so that a rewrite of the race file
  // writes it back: whole MK and LN lines beyond the 20th mark and the 10th line, and the CRS
  // entries beyond the 20th.
  std::vector<std::string> MarkLinesBeyond, LineLinesBeyond, CourseEntriesBeyond;
  // The course block (WD, MK, LN, CRS) as the race file gave it, to tell whether the course in
  // memory has changed since.
  std::string CourseAsRead;

  // Wind series, 1..WindCount; times in seconds from StartTime.
  int WindCount = 0;
  std::vector<double> WindTime, WindSpeed;
  std::vector<int> WindDir;
  double WindSpeedMax = 0;

  // Coastline polylines, points 1..CoastCount in minutes of arc. A latitude above 6000 marks
  // the first point of a polyline and carries +20000. Storage holds CoastCapacity + 1 slots.
  std::vector<double> CoastLat{0.0}, CoastLon{0.0};
  int CoastCount = 0;
  int CoastCapacity = 0;

  // Navigation lights near the race, 1..LightCount; positions in minutes of arc.
  std::vector<std::string> LightName{std::string()}, LightColors{std::string()};
  std::vector<double> LightLat{0.0}, LightLon{0.0}, LightSize{0.0};
  std::vector<std::int32_t> LightPeriod{0}, LightOnSeconds{0};
  int LightCount = 0;

  // Fixed colours set with the boat colours.
  Rgb LaylineColor1{225, 0, 0}, LaylineColor2{0, 128, 0}, WindAxisColor{255, 255, 0};

  // Hull outline, 9 points (filled by SetBoatShape).
  std::array<double, 10> HullX{}, HullY{};

  // Derived clock range, seconds from the gun.
  double ClockFirst = -190, ClockLast = 30;
  int ClockSpan = 220;

  // Files and paths; folders end in '/'.
  QString ProgramFolder;
  QString RaceFilePath;
  QString RaceFileName;
  QString EditFilePath;
  int EditMode = 0;
  // Set when the last read of the race file stopped on a conversion error: rewriting such a file
  // would drop every course line after the bad one, so it is never rewritten.
  bool RaceFileReadFailed = false;

  // Race catalogue.
  std::array<QString, kMaxRaces> RaceList;
  int RaceListCount = 0;
  int RaceListIndex = 0;
  int SelectedRaceIndex = 0;  // 1-based item chosen in the race list

  ControlSettings Controls;
};

// Empties the boat, class and course tables and restores the header defaults that a race file
// read resets. StartTime, FinishTime, TimeZoneHours, WindDirection, MagneticVariation and the
// layline angles carry over from the previous race on purpose.
void ResetRaceTables(RaceData& race);

// Sets all five sample arrays of one boat row to length n, keeping values; new slots are 0.
void SetTrackCapacity(RaceData& race, int row, int n);

// Sets the outer length of the five sample arrays to BoatCount + 2.
void SetBoatTableCapacity(RaceData& race);

// Replaces one boat row's samples with times, latitudes and longitudes 1..n (slot 0 of each
// vector unused), packed as the track readers store them; speed and course are cleared for
// DeriveSpeedAndCourse. The row holds n + 1 slots.
void SetTrackSamples(RaceData& race, int row, const std::vector<double>& time,
                     const std::vector<double>& lat, const std::vector<double>& lon, int n);

// Moves boat row `from` down to row `to` (a boat before it was dropped).
void CompactBoat(RaceData& race, int from, int to);

// Fills TrackSpeed and TrackCourse for every boat from positions and times (the boats shared
// among the cores); the second form for boat b alone.
void DeriveSpeedAndCourse(RaceData& race, double cosCentreLat);
void DeriveSpeedAndCourse(RaceData& race, double cosCentreLat, int b);

// In corrected-time mode, scales the times after the gun of one boat row by its factor.
void ApplyCorrectedTime(RaceData& race, int row);
// The same rule on times 1..n of a track read apart from the tables.
void ApplyCorrectedTime(TimeColumn& times, int n, double factor, int correctedTimeMode);

// Recomputes ClockSpan from ClockFirst and ClockLast.
void UpdateClockSpan(RaceData& race);

}  // namespace kw
