// Track files read on several threads and stored in boat order give exactly what reading them one
// after another gives, whatever the threads' timing: every table the load fills is compared, on
// the demo, on a fleet whose dropped boats leave rows to be reused, after a track that stops the
// load and after a cancelled load.
#include <gtest/gtest.h>

#include <QFileInfo>

#include <string>
#include <vector>

#include "race/model.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

class Hooks : public LoadHooks {
 public:
  Hooks(int readers, int cancelAt = 0) : readers_(readers), cancelAt_(cancelAt) {}
  int TrackReaders() const override { return readers_; }
  bool AssessesTracks() const override { return true; }
  bool TrackProgress(int i, int, const QString&) override { return i != cancelAt_; }
  void Beep() override { ++beeps; }
  void TrackRead(int i, int row, const LoadTrackResult& t, const DroppedBoat* d) override {
    const TrackQuality q = t.quality.value_or(TrackQuality{});
    seen.push_back(std::to_string(i) + "/" + std::to_string(row) + " " + std::to_string(t.ok) +
                   std::to_string(t.fileFound) + std::to_string(t.formatKnown) +
                   std::to_string(t.resetsZoom) + " read " + std::to_string(t.recordsRead) +
                   " skipped " + std::to_string(t.skipped) + " gaps " + std::to_string(q.gaps) +
                   " fix " + std::to_string(t.firstFix) + ".." + std::to_string(t.lastFix) +
                   (d ? " dropped" : "") + " " + t.error.Text().toStdString());
  }
  std::vector<std::string> seen;
  int beeps = 0;

 private:
  int readers_, cancelAt_;
};

struct Loaded {
  RaceSession s;
  LoadOutcome outcome;
  std::vector<std::string> seen;
  int beeps = 0;
};

void Load(Loaded& l, const QString& root, const QString& race, int readers, int cancelAt = 0) {
  l.s.race.ProgramFolder = root;
  BuildRaceList(l.s.race);
  ChooseRaceFile(l.s.race);
  l.s.race.RaceFilePath = root + "raceadmin/" + race;
  Hooks hooks(readers, cancelAt);
  l.outcome = LoadRace(l.s, hooks);
  l.seen = hooks.seen;
  l.beeps = hooks.beeps;
}

void ExpectSame(const Loaded& a, const Loaded& b) {
  const RaceData& x = a.s.race;
  const RaceData& y = b.s.race;
  EXPECT_EQ(a.outcome.status, b.outcome.status);
  EXPECT_EQ(a.outcome.error.Text(), b.outcome.error.Text());
  EXPECT_EQ(a.seen, b.seen);
  EXPECT_EQ(a.beeps, b.beeps);
  ASSERT_EQ(x.BoatCount, y.BoatCount);
  EXPECT_EQ(x.DroppedBoatCount, y.DroppedBoatCount);
  ASSERT_EQ(x.DroppedBoats.size(), y.DroppedBoats.size());
  for (size_t k = 0; k < x.DroppedBoats.size(); ++k) {
    EXPECT_EQ(x.DroppedBoats[k].file, y.DroppedBoats[k].file);
    EXPECT_EQ(x.DroppedBoats[k].reason, y.DroppedBoats[k].reason);
    EXPECT_EQ(x.DroppedBoats[k].samples, y.DroppedBoats[k].samples);
  }
  // Whole tables, slots beyond the sample counts included.
  EXPECT_TRUE(x.TrackTime == y.TrackTime);
  EXPECT_TRUE(x.TrackLat == y.TrackLat);
  EXPECT_TRUE(x.TrackLon == y.TrackLon);
  EXPECT_TRUE(x.TrackSpeed == y.TrackSpeed);
  EXPECT_TRUE(x.TrackCourse == y.TrackCourse);
  EXPECT_EQ(x.BoatSampleCount, y.BoatSampleCount);
  EXPECT_EQ(x.BoatSampleInterval, y.BoatSampleInterval);
  EXPECT_EQ(x.BoatSkippedRecords, y.BoatSkippedRecords);
  EXPECT_EQ(x.BoatTrackFile, y.BoatTrackFile);
  EXPECT_EQ(x.BoatName, y.BoatName);
  EXPECT_EQ(x.BoatTimeOffset, y.BoatTimeOffset);
  EXPECT_EQ(x.BoatFactor, y.BoatFactor);
  EXPECT_EQ(x.ClockLast, y.ClockLast);
  EXPECT_EQ(a.s.view.TraceZoomOut, b.s.view.TraceZoomOut);
  EXPECT_TRUE(a.s.passing.MarkPassTime == b.s.passing.MarkPassTime);
  EXPECT_TRUE(a.s.passing.LegSailedDistance == b.s.passing.LegSailedDistance);
}

// Dropped boats (too short, unreadable, missing) between long ones, so that later boats reuse
// their rows; every text format and a binary one; corrected time.
void WriteFleet(const kwtest::DataFolder& dir) {
  std::string race =
      "T1,Fleet\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\nCT,1\n"
      "MK,2118,8370\nMK,2119,8371\nCRS,MK1,MK2\n";
  for (int b = 1; b <= 26; ++b) {
    const std::string name = "b" + std::to_string(b);
    std::string file;
    // The last two are dropped: the row after the last boat keeps the second one's samples over
    // the first one's.
    switch (b == 25 ? 6 : b == 26 ? 7 : b % 6) {
      case 6:
        file = name + ".gpx";
        dir.Write(QString::fromStdString("gpsdat/" + file),
                  kwtest::MakeGpx(14, 2007, 5, 12, 1, 0, 0));
        break;
      case 7:
        file = name + ".gpx";
        dir.Write(QString::fromStdString("gpsdat/" + file),
                  kwtest::MakeGpx(3, 2007, 5, 12, 1, 5, 0));
        break;
      case 0:
        file = name + ".gpx";
        dir.Write(QString::fromStdString("gpsdat/" + file),
                  kwtest::MakeGpx(8 + b, 2007, 5, 12, 1, 0, 0));  // too short
        break;
      case 1:
        file = name + ".gpx";
        dir.Write(QString::fromStdString("gpsdat/" + file),
                  kwtest::MakeGpx(300 + 37 * b, 2007, 5, 12, 0, 58, b % 3, 1 + b % 2, 35.3,
                                  139.48 + b * 1e-3));
        break;
      case 2:
        file = name + ".trb";
        dir.Write(QString::fromStdString("gpsdat/" + file), std::string(5 + b, 'x'));
        break;
      case 3:
        file = name + ".gpx";  // missing
        break;
      case 4: {
        file = name + ".dtr";
        std::string t = "H text track\n";
        for (int i = 0; i < 150 + b; ++i) {
          char buf[96];
          const int s = 3600 - 100 + i * 3;
          std::snprintf(buf, sizeof buf,
                        "T  N35%02d.%04d  E139%02d.%04d  12-05-2007  %02d:%02d:%02d  0\n",
                        18 + i / 1000, i % 1000 * 7, 29, b * 10, s / 3600, s / 60 % 60, s % 60);
          t += buf;
        }
        dir.Write(QString::fromStdString("gpsdat/" + file), t);
        break;
      }
      default:
        file = name + ".gpx";
        dir.Write(QString::fromStdString("gpsdat/" + file),
                  kwtest::MakeGpx(120 + b, 2007, 5, 12, 0, 59, 0, 2, 35.31, 139.47));
    }
    race += "BN," + file + "," + name + "," + std::to_string(1.0 + b / 100.0) + "," +
            std::to_string(b % 5 - 2) + "\n";
  }
  dir.Write("raceadmin/fleet.txt", race);
}

}  // namespace

TEST(ParallelLoad, SameAsOneAfterAnotherWhateverTheThreads) {
  kwtest::DataFolder dir;
  WriteFleet(dir);
  struct Run {
    QString root, race;
  };
  std::vector<Run> runs = {{dir.path(), "fleet.txt"}};
  if (QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st")) {
    runs.push_back({kwtest::DemoDir(), "enoshima-r1.txt"});
    runs.push_back({kwtest::DemoDir(), "enoshima-coastal.txt"});
  }
  for (const Run& run : runs) {
    SCOPED_TRACE(run.race.toStdString());
    Loaded reference;
    Load(reference, run.root, run.race, 0);
    ASSERT_EQ(reference.outcome.status, LoadOutcome::Loaded)
        << reference.outcome.error.Text().toStdString();
    for (int readers : {1, 2, 3, 8}) {
      for (int repeat = 0; repeat < 3; ++repeat) {
        SCOPED_TRACE(readers);
        Loaded parallel;
        Load(parallel, run.root, run.race, readers);
        ExpectSame(reference, parallel);
      }
    }
  }
}

TEST(ParallelLoad, StoppedLoadsLeaveTheSameTables) {
  kwtest::DataFolder dir;
  WriteFleet(dir);
  // A bad latitude in boat 13: the load stops there, later boats are never stored.
  std::string bad = kwtest::MakeGpx(400, 2007, 5, 12, 0, 58, 0);
  bad.insert(bad.find("</trkseg>"),
             "<trkpt lat=\"x\" lon=\"1\"><time>2007-05-12T01:20:00Z</time></trkpt>\n");
  dir.Write("gpsdat/b13.gpx", bad);
  for (int cancelAt : {0, 1, 9, 20}) {
    SCOPED_TRACE(cancelAt);
    Loaded reference;
    Load(reference, dir.path(), "fleet.txt", 0, cancelAt);
    EXPECT_NE(reference.outcome.status, LoadOutcome::Loaded);
    for (int readers : {1, 2, 5}) {
      Loaded parallel;
      Load(parallel, dir.path(), "fleet.txt", readers, cancelAt);
      ExpectSame(reference, parallel);
    }
  }
}
