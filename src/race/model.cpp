#include "race/model.h"

#include <algorithm>
#include <cmath>

#include "race/boat_threads.h"
#include "race/geodesy.h"
#include "race/numbers.h"

namespace kw {

RaceData::RaceData() {
  const size_t n = kMaxBoats + 2;
  BoatTrackFile.resize(n);
  BoatName.resize(n);
  BoatClass.resize(n);
  BoatFactor.resize(n);
  BoatTimeOffset.resize(n);
  BoatShown.resize(n);
  BoatLength.resize(n);
  BoatSampleCount.resize(n);
  BoatSampleInterval.resize(n);
  BoatColor.resize(n);
  BoatKmlColor.resize(n);
  BoatSkippedRecords.resize(n);
  WindTime.resize(1);
  WindSpeed.resize(1);
  WindDir.resize(1);
  SetBoatTableCapacity(*this);
}

void ResetRaceTables(RaceData& r) {
  r.ClassesDeclared = 0;
  r.ClassCount = 0;
  r.BoatCount = 0;
  r.MarkCount = 0;
  r.LineCount = 0;
  r.RefLineCount = 0;
  r.CourseCount = 0;
  r.MarkLinesBeyond.clear();
  r.LineLinesBeyond.clear();
  r.CourseEntriesBeyond.clear();
  r.CourseAsRead.clear();
  r.MapFileCount = 0;
  r.AttachmentCount = 0;
  r.CorrectedTimeMode = 0;
  r.NorthUp = 0;
  r.RaceTitle.clear();
  r.RaceSubtitle.clear();
  r.RaceSpeed = 5.0;
  r.PreStartSpeed = 0;
  r.DefaultBoatLength = 4.7;
  r.AddArea = 5;
  r.PreStartSeconds = 180;
  r.HasHandicap = 0;
  r.DroppedBoatCount = 0;
  r.DroppedBoats.clear();
  std::fill(r.BoatSampleCount.begin(), r.BoatSampleCount.end(), 0);
  std::fill(r.BoatSkippedRecords.begin(), r.BoatSkippedRecords.end(), 0);
}

void SetTrackCapacity(RaceData& r, int row, int n) {
  const size_t size = static_cast<size_t>(std::max(n, 0));
  r.TrackTime[row].resize(size);
  r.TrackLat[row].resize(size);
  r.TrackLon[row].resize(size);
  r.TrackSpeed[row].resize(size);
  r.TrackCourse[row].resize(size);
}

void SetTrackSamples(RaceData& r, int row, const std::vector<double>& time,
                     const std::vector<double>& lat, const std::vector<double>& lon, int n) {
  const size_t size = static_cast<size_t>(std::max(n, 0)) + 1;
  const size_t count = std::min({size, time.size(), lat.size(), lon.size()});
  r.TrackTime[row].Assign(time.data(), count, size);
  r.TrackLat[row].Assign(lat.data(), count, size);
  r.TrackLon[row].Assign(lon.data(), count, size);
  r.TrackSpeed[row].resize(size);
  r.TrackSpeed[row].Zero();
  r.TrackCourse[row].resize(size);
  r.TrackCourse[row].Zero();
  r.BoatSampleCount[row] = std::max(n, 0);
}

void SetBoatTableCapacity(RaceData& r) {
  const size_t n = static_cast<size_t>(r.BoatCount) + 2;
  r.TrackTime.resize(n);
  r.TrackLat.resize(n);
  r.TrackLon.resize(n);
  r.TrackSpeed.resize(n);
  r.TrackCourse.resize(n);
}

void CompactBoat(RaceData& r, int from, int to) {
  if (from == to) return;
  r.BoatTrackFile[to] = r.BoatTrackFile[from];
  r.BoatName[to] = r.BoatName[from];
  r.BoatClass[to] = r.BoatClass[from];
  r.BoatFactor[to] = r.BoatFactor[from];
  r.BoatTimeOffset[to] = r.BoatTimeOffset[from];
  r.BoatShown[to] = r.BoatShown[from];
  r.BoatLength[to] = r.BoatLength[from];
}

void DeriveSpeedAndCourse(RaceData& r, double cosCentreLat) {
  ForEachBoat(r, [&r, cosCentreLat](int b) { DeriveSpeedAndCourse(r, cosCentreLat, b); });
}

void DeriveSpeedAndCourse(RaceData& r, double cosCentreLat, int b) {
  const double east = 1852.0 * cosCentreLat;
  const int n = r.BoatSampleCount[b];
  auto& speed = r.TrackSpeed[b];
  auto& course = r.TrackCourse[b];
  speed.Zero();
  course.Zero();
  if (n < 6) return;
  // Each sample is unpacked once and each segment measured once: the speed windows below take
  // every segment up to three times.
  std::vector<double> t(static_cast<size_t>(n) + 1), la(t.size()), lo(t.size()), seg(t.size());
  for (int i = 1; i <= n; ++i) {
    t[i] = r.TrackTime[b][i];
    la[i] = r.TrackLat[b][i];
    lo[i] = r.TrackLon[b][i];
  }
  for (int i = 1; i < n; ++i) {
    double dy = (la[i + 1] - la[i]) * 1852.0;
    double dx = (lo[i + 1] - lo[i]) * east;
    seg[i] = std::sqrt(dx * dx + dy * dy);
  }
  int previous = 0;
  for (int j = 1; j <= n - 1; ++j) {
    double north = (la[j + 1] - la[j]) * 1852.0;
    double dx = (lo[j + 1] - lo[j]) * east;
    const int c = dx == 0 && north == 0 && j > 1 ? previous : RoundInt(BearingOf(dx, north));
    course.Set(j, c);
    previous = c;
    const int a = j >= 2 ? j - 1 : 1;
    const int z = std::min(j + 2, n);
    double sum = 0;
    for (int i = a; i < z; ++i) sum += seg[i];
    double dt = t[z] - t[a];
    speed.Set(j, dt > 0 ? sum / dt * 3.6 / 1.852 : 0);
  }
}

void ApplyCorrectedTime(RaceData& r, int row) {
  ApplyCorrectedTime(r.TrackTime[row], r.BoatSampleCount[row], r.BoatFactor[row],
                     r.CorrectedTimeMode);
}

void ApplyCorrectedTime(TimeColumn& t, int n, double f, int mode) {
  if (mode <= 0 || n <= 100 || f <= 0) return;
  for (int i = 1; i <= n; ++i) {
    const double v = t[i];
    if (v > 0) t.Set(i, RoundHalfEven(f * v));
  }
}

void UpdateClockSpan(RaceData& r) {
  r.ClockSpan = RoundInt(r.ClockLast - r.ClockFirst);
}

}  // namespace kw
