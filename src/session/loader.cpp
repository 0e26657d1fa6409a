#include "session/loader.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "race/coastline.h"
#include "race/fields.h"
#include "race/racefile.h"
#include "race/text.h"
#include "race/tracks/dispatch.h"
#include "race/wind.h"
#include "session/session.h"
#include "session/track_pool.h"
#include "view/geometry.h"

namespace kw {

QString BuildRaceList(RaceData& r) {
  QDir dir(r.ProgramFolder + QStringLiteral("raceadmin"));
  // Sorted by name: directory order differs between file systems.
  QStringList names = dir.entryList({QStringLiteral("*.txt")},
                                    QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  r.RaceListCount = 0;
  CapacityNotes notes;
  for (const QString& n : names) {
    if (r.RaceListCount >= kMaxRaces) {
      notes.Add(QStringLiteral("race files beyond %1").arg(kMaxRaces), n);
      continue;
    }
    r.RaceList[r.RaceListCount++] = n;
  }
  return notes.Empty() ? QString() : notes.Text();
}

int RaceListIndexOf(const RaceData& r) {
  const QString path = r.RaceFilePath.toLower();
  for (int i = 0; i < r.RaceListCount; ++i) {
    if (path.contains(r.RaceList[i].toLower())) return i + 1;
  }
  return 0;
}

void ChooseRaceFile(RaceData& r) {
  const QString admin = r.ProgramFolder + QStringLiteral("raceadmin/");
  r.EditFilePath = r.ProgramFolder + QStringLiteral("ctrl/editfile.edt");
  r.RaceFilePath.clear();
  std::string text;
  if (QFileInfo(r.EditFilePath).isFile() && ReadWholeFile(r.EditFilePath, text)) {
    for (std::string_view line : SplitLines(text)) {
      r.RaceFilePath = admin + DisplayText(Trim(line));
    }
    r.EditMode = 1;
  } else {
    r.EditMode = 0;
    const QString st = admin + QStringLiteral("racefile.st");
    if (QFileInfo(st).isFile() && ReadWholeFile(st, text)) {
      auto lines = SplitLines(text);
      if (!lines.empty()) r.RaceFilePath = admin + DisplayText(Trim(lines[0]));
    }
    if (!QFileInfo(r.RaceFilePath).isFile()) {
      if (r.RaceListCount > 0) r.RaceFilePath = admin + r.RaceList[0];
    }
  }
  r.RaceListIndex = RaceListIndexOf(r);
}

void ClearRaceTexts(RaceSession& s) {
  RaceData& r = s.race;
  r.RaceTitle.clear();
  r.RaceSubtitle.clear();
  r.RaceNote.clear();
  r.WindFileName.clear();
  r.MapFileCount = 0;
  r.WindCount = 0;
  r.WindTime.assign(1, 0);
  r.WindSpeed.assign(1, 0);
  r.WindDir.assign(1, 0);
  r.WindSpeedMax = 0;
  s.view.TraceMode = 1;
  s.play.FinishedCount = 0;
  s.play.SelectedBoat = 0;
}

void AssignBoatColors(RaceData& r) {
  static constexpr Rgb kColors[15] = {{255, 0, 0},   {0, 0, 255},   {0, 128, 0},  {128, 128, 0},
                                      {128, 0, 128}, {0, 128, 128}, {0, 0, 0},    {128, 128, 128},
                                      {192, 192, 0}, {96, 96, 0},   {192, 0, 0},  {0, 0, 192},
                                      {0, 128, 0},   {128, 128, 0}, {128, 0, 128}};
  static constexpr const char* kKml[16] = {"FFFF0000", "FF00FF00", "FF0000FF", "FF00FFFF",
                                           "FFFF00FF", "FFFFFF00", "FFFFFFFF", "FFFF8080",
                                           "FF80FF80", "FF8080FF", "FFFF8000", "FF80FF00",
                                           "FF8000FF", "FFFF0080", "FF00FF80", "FF0080FF"};
  r.LaylineColor1 = {225, 0, 0};
  r.LaylineColor2 = {0, 128, 0};
  r.WindAxisColor = {255, 255, 0};
  for (int b = 1; b <= r.BoatCount; ++b) {
    // Boats 16 and later repeat the colours of boats 1..15; the 16th KML colour is kept for a
    // table of 16 but never reached by that rule.
    const int k = b <= 15 ? b : (b - 1) % 15 + 1;
    r.BoatColor[b] = kColors[k - 1];
    r.BoatKmlColor[b] = kKml[k - 1];
  }
}

void SetBoatShape(RaceData& r) {
  static constexpr double kLong[10][2] = {{0, 0},    {0, -50},  {12, -10},  {15, 20}, {10, 50},
                                          {-10, 50}, {-15, 20}, {-12, -10}, {0, -50}, {0, -15}};
  static constexpr double kShort[10][2] = {{0, 0},    {0, -50},  {10, -50},  {27, 10}, {20, 50},
                                           {-20, 50}, {-27, 10}, {-10, -50}, {0, -50}, {0, -20}};
  const auto& t = r.DefaultBoatLength > 3 ? kLong : kShort;
  for (int i = 1; i <= 9; ++i) {
    r.HullX[i] = t[i][0];
    r.HullY[i] = t[i][1];
  }
  if (r.DefaultBoatLength > 10) {
    const double f = 1 - (r.DefaultBoatLength - 10) * 0.022;
    for (int i = 2; i <= 7; ++i) r.HullX[i] = std::nearbyint(r.HullX[i] * f);
  }
}

LoadTrackResult LoadTrack(RaceData& race, ViewState& view, int boatNumber,
                          const std::function<void()>& processEvents, bool assess) {
  LoadTrackResult result = ReadBoatTrack(race, boatNumber, processEvents, assess);
  if (result.resetsZoom) view.TraceZoomOut = 1.0;
  return result;
}

int LoadHooks::TrackReaders() const {
  return TrackPool::DefaultWorkers();
}

LoadOutcome LoadTracks(RaceSession& s, LoadHooks& hooks) {
  RaceData& r = s.race;
  LoadOutcome out;
  r.DroppedBoatCount = 0;
  const int total = r.BoatCount;
  const int readers = hooks.TrackReaders();
  std::optional<TrackPool> pool;
  if (readers > 0 && total > 0) {
    // Every job is made before the first boat is stored: storing moves later boats' settings.
    std::vector<TrackJob> jobs(static_cast<size_t>(total) + 1);
    for (int i = 1; i <= total; ++i)
      jobs[static_cast<size_t>(i)] = JobOf(r, i, hooks.AssessesTracks());
    pool.emplace(std::move(jobs), readers);
  }
  for (int i = 1; i <= total; ++i) {
    hooks.ProcessEvents();
    const QString text = QStringLiteral("LOADING  ") + DisplayText(r.BoatTrackFile[i]) +
                         QStringLiteral("  (%1/%2)").arg(i).arg(total);
    if (!hooks.TrackProgress(i, total, text)) {
      out.status = LoadOutcome::Cancelled;
      r.BoatCount = i - 1 - r.DroppedBoatCount;
      return out;
    }
    LoadTrackResult t;
    if (pool) {
      t = CommitTrack(r, i, pool->Take(i, [&hooks] { hooks.ProcessEvents(); }));
      if (t.resetsZoom) s.view.TraceZoomOut = 1.0;
    } else {
      t = LoadTrack(
          r, s.view, i, [&hooks] { hooks.ProcessEvents(); }, hooks.AssessesTracks());
    }
    if (t.beep) hooks.Beep();
    const int row = i - r.DroppedBoatCount;
    if (!t.ok) {
      hooks.TrackRead(i, row, t, nullptr);
      // What was read so far stays; the boats after this one are not loaded.
      out.status = LoadOutcome::ConversionError;
      out.error = t.error;
      r.BoatCount = row - (r.BoatSampleCount[row] < kMinTrackSamples ? 1 : 0);
      return out;
    }
    if (r.BoatSampleCount[row] < kMinTrackSamples) {
      DroppedBoat d;
      d.file = r.BoatTrackFile[row];
      d.name = r.BoatName[row];
      d.samples = r.BoatSampleCount[row];
      d.reason = !t.fileFound ? DroppedBoat::MissingFile
                 : (!t.formatKnown || (r.BoatSampleCount[row] == 0 && t.skipped > 0))
                     ? DroppedBoat::Unreadable
                     : DroppedBoat::TooFewSamples;
      r.DroppedBoats.push_back(d);
      ++r.DroppedBoatCount;
      hooks.TrackRead(i, row, t, &r.DroppedBoats.back());
    } else {
      hooks.TrackRead(i, row, t, nullptr);
    }
  }
  r.BoatCount -= r.DroppedBoatCount;
  SetBoatTableCapacity(r);
  return out;
}

namespace {

// What a load starts from, whatever the previous race left.
void StartLoad(RaceSession& s, LoadHooks& hooks) {
  RaceData& r = s.race;
  ForgetInsight(s);
  s.play.RepeatActive = 0;
  if (r.EditMode == 1) r.NorthUp = 0;
  hooks.PrepareCover();
  ClearRaceTexts(s);
  hooks.ProcessEvents();
  s.view.TraceZoomOut = 1.0;
  r.HiddenBoatCount = 0;
  s.play.PlayDirection = 1;
  s.play.FrameCount = 30;
  hooks.Beep();
}

// The race file, then the wind file, and the track tables emptied for the boats. False when the
// load stops here, with `out` saying why.
bool ReadRaceAndWind(RaceSession& s, LoadHooks& hooks, LoadOutcome& out) {
  RaceData& r = s.race;
  RaceFileResult rf = ReadRaceFile(r, r.RaceFilePath, s.play.ModeChosenByUser != 0);
  if (!rf.notes.Empty()) out.notice = rf.notes.Text();
  if (!rf.ok) {
    hooks.RaceFileRead();
    out.status = LoadOutcome::ConversionError;
    out.error = rf.error;
    return false;
  }
  s.view.TraceZoomOut = 1.0;
  hooks.RaceFileRead();
  if (r.HasHandicap != 0 && s.play.FirstLoadDone) {
    r.CorrectedTimeMode = r.Controls.CtModeChecked ? 1 : 0;
  }
  s.play.ModeChosenByUser = 0;
  r.RaceFileName = QFileInfo(r.RaceFilePath).fileName().left(50);
  if (r.BoatCount < 1) {
    out.status = LoadOutcome::NoBoats;
    return false;
  }
  // A wind file name that names no file is forgotten here, so that nothing later takes the race
  // for one with wind data.
  const WindReadResult wind = ReadWindFile(r);
  r.TrackTime.clear();
  r.TrackLat.clear();
  r.TrackLon.clear();
  r.TrackSpeed.clear();
  r.TrackCourse.clear();
  r.TrackOutlines.clear();
  r.TrackBlockSummaries.clear();
  SetBoatTableCapacity(r);
  if (!wind.ok) {
    // The samples read before the bad line stay; no track is read (the previous race's tracks
    // are gone, so nothing pairs them with this race's boats).
    out.status = LoadOutcome::ConversionError;
    out.error = wind.error;
    return false;
  }
  return true;
}

// The loaded tracks measured: mark passing, colours, the extent, the coastline, speeds and
// courses. False when the coastline does not read, with `out` saying why.
bool MeasureRace(RaceSession& s, LoadHooks& hooks, LoadOutcome& out) {
  RaceData& r = s.race;
  s.passing.Resize(r.BoatCount, r.CourseCount);
  s.frame.Resize(r.BoatCount);
  DetectMarkPassing(r, s.passing);
  if (r.CourseCount > 1) TrimTracksAtFinish(r, s.passing);
  AssignBoatColors(r);
  hooks.ViewSetUp();
  ComputeRaceExtent(r, &s.passing, s.view);
  hooks.Beep();
  if (auto coastError = LoadCoastline(r, s.view)) {
    out.status = LoadOutcome::ConversionError;
    out.error = *coastError;
    return false;
  }
  DeriveSpeedAndCourse(r, s.view.CosCentreLat);
  if (hooks.DrawsTracks()) BuildTrackOutlines(r, s.view.CosCentreLat);
  hooks.Beep();
  return true;
}

// The replay set up at the start of the clock range, the legs built.
void ReadyToPlay(RaceSession& s, LoadHooks& hooks) {
  RaceData& r = s.race;
  hooks.PlaybackReady();
  SetBoatShape(r);
  s.play.RaceClock = r.ClockFirst;
  hooks.RaceFileRead();
  ComputeLegDistances(r, s.view.CosCentreLat, s.passing);
  BuildLegs(r, s.view.CosCentreLat, s.passing);
  if (r.PreStartSpeed == 0) r.PreStartSpeed = r.RaceSpeed;
  s.play.PlaySpeed = r.PreStartSpeed;
  s.play.HasWindFile = r.WindFileName.empty() ? 0 : 1;
  hooks.PanelLayout();
  s.play.RaceClock = r.ClockFirst;
  s.play.FirstLoadDone = 1;
  if (r.EditMode == 0) s.view.TraceMode = 1;
  hooks.Started();
}

}  // namespace

// Steps owned by later parts of the program. Each keeps its place in the sequence.
LoadOutcome LoadRace(RaceSession& s, LoadHooks& hooks) {
  LoadOutcome out;
  StartLoad(s, hooks);
  if (!ReadRaceAndWind(s, hooks, out)) return out;
  LoadOutcome tracks = LoadTracks(s, hooks);
  if (tracks.status != LoadOutcome::Loaded) {
    tracks.notice = out.notice;
    return tracks;
  }
  if (!MeasureRace(s, hooks, out)) return out;
  ReadyToPlay(s, hooks);
  return out;
}

}  // namespace kw
