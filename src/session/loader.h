// The race catalogue and the loading sequence that turns a race file into a ready-to-replay
// race. The same sequence serves the window and the CLI: the window's steps are hooks.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "race/errors.h"
#include "race/tracks/dispatch.h"

namespace kw {

struct DroppedBoat;
struct RaceData;
struct RaceSession;
struct ViewState;

// The window's part of the loading sequence; every hook defaults to nothing, as in the CLI.
class LoadHooks {
 public:
  virtual ~LoadHooks() = default;
  // Cover picture, window placement, edit-mode and language controls, timers stopped and the
  // previous race's controls freed, the cover laid out, the map controls reset, a beep.
  virtual void PrepareCover() {}
  // Lets pending window messages run (they may not start another load).
  virtual void ProcessEvents() {}
  // The race file was read: captions, mode buttons, the form shown.
  virtual void RaceFileRead() {}
  // Before boat i of n is read: the progress bar and "LOADING  file  (i/n)". Returning false
  // abandons the load (the window is closing).
  virtual bool TrackProgress(int /*i*/, int /*n*/, const QString& /*text*/) { return true; }
  // View set-up: layout of the map area and the overview, before the race extent.
  virtual void ViewSetUp() {}
  virtual void Beep() {}
  // Playback buttons, start state, language texts.
  virtual void PlaybackReady() {}
  // Panel layout and the speed bar at the pre-start speed.
  virtual void PanelLayout() {}
  // Timer2 started, stopwatch shown, view radio buttons and edit fields set.
  virtual void Started() {}
  // Threads that read track files; 0 reads them one after another on the loader's thread.
  // Either way the result is the same.
  virtual int TrackReaders() const;
  // True asks for each track's quality (LoadTrackResult::quality); the data-quality report.
  virtual bool AssessesTracks() const { return false; }
  // Pictures of whole tracks will be drawn: their coarser copies are made at load.
  virtual bool DrawsTracks() const { return true; }
  // Boat i (race-file order) was read into `row`: what the reader found, and the entry it was
  // dropped with, or null when it stays. Called for a track that failed too, before the load
  // stops.
  virtual void TrackRead(int /*i*/, int /*row*/, const LoadTrackResult& /*result*/,
                         const DroppedBoat* /*dropped*/) {}
};

struct LoadOutcome {
  enum Status { Loaded, NoBoats, ConversionError, Cancelled };
  Status status = Loaded;
  ReadError error;  // for ConversionError
  QString notice;   // entries ignored because a table was full; empty when none
};

// Enumerates raceadmin/*.txt (sorted by name) into RaceList. Returns a notice naming the race
// files beyond the catalogue's 200, or an empty text.
QString BuildRaceList(RaceData& race);

// Chooses the race file to open at start: the last line of ctrl/editfile.edt (edit mode), else
// the first line of raceadmin/racefile.st, else the first race file. Sets RaceFilePath,
// EditFilePath, EditMode and RaceListIndex.
void ChooseRaceFile(RaceData& race);

// 1-based position in RaceList of the first entry found (ignoring case) inside RaceFilePath.
int RaceListIndexOf(const RaceData& race);

void ClearRaceTexts(RaceSession& s);
void AssignBoatColors(RaceData& race);
void SetBoatShape(RaceData& race);

// Reads one boat's track (ReadBoatTrack); a short track whose format says so resets the view's
// trace zoom-out.
LoadTrackResult LoadTrack(RaceData& race, ViewState& view, int boatNumber,
                          const std::function<void()>& processEvents = {}, bool assess = false);

// Reads every boat's track with progress (on hooks.TrackReaders() threads, stored in boat
// order); drops boats with fewer than 15 samples.
LoadOutcome LoadTracks(RaceSession& s, LoadHooks& hooks);

// The whole loading sequence, in order.
LoadOutcome LoadRace(RaceSession& s, LoadHooks& hooks);

}  // namespace kw
