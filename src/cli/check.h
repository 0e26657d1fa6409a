// keelway-cli check: for every boat, what its logger gave and what the loading made of it. Race
// officers read it before a protest hearing or when a boat is missing from the replay.
#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "race/tracks/dispatch.h"
#include "session/loader.h"

namespace kw {

struct RaceSession;

struct BoatCheck {
  int boatNumber = 0;  // race-file order among the boats with a file; 0: file missing there
  std::string name, file;
  bool readDone = false;  // false: the file was missing, or the load stopped before this boat
  int recordsRead = 0, kept = 0;
  SkipReasons why;
  TrackQuality quality;
  int clockCorrection = 0;  // seconds added to the logger's times (BN offset)
  double handicap = 0;      // BN factor; 0 when none
  bool correctedTime = false;
  bool anyFix = false;
  long long firstFix = 0, lastFix = 0;
  int row = 0;  // the boat's row after the load (kept boats only)
  // The finish passing found (courses with a finish line); a boat without one "disappeared".
  bool hasFinishLine = false, finished = false;
  double finishPassed = 0;
  bool dropped = false;
  QString droppedReason;
  QString error;  // the conversion error that stopped the load at this boat
};

struct CheckReport {
  std::vector<BoatCheck> boats;  // race-file order
  int boatsToRead = 0;
  QString raceError;  // the race or wind file did not read
};

// The loading hooks that collect the report; progress goes to stderr as for every command.
class CheckHooks : public LoadHooks {
 public:
  CheckHooks(CheckReport& report, const RaceData& race) : report_(report), race_(race) {}
  bool TrackProgress(int i, int n, const QString& text) override;
  bool AssessesTracks() const override { return true; }
  bool DrawsTracks() const override { return false; }
  void TrackRead(int i, int row, const LoadTrackResult& result,
                 const DroppedBoat* dropped) override;

 private:
  CheckReport& report_;
  const RaceData& race_;
};

// After the load: adds the boats whose file was missing when the race file was read and those
// after a track that stopped the load.
void FinishCheck(CheckReport& report, const RaceSession& s, const LoadOutcome& outcome);

// One block per boat, the worst first.
QString CheckText(const CheckReport& report, const RaceSession& s);
// Fixed keys, boats in race-file order.
QJsonObject CheckJson(const CheckReport& report, const RaceSession& s);

// Sorting weight: dropped or failed boats first, then by the number of faults.
long long CheckSeverity(const BoatCheck& b);

}  // namespace kw
