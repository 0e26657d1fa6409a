// When every boat passed every course entry (start line, marks, finish line), the legs of the
// course, and the distance each boat sailed on each leg.
#pragma once

#include <string>
#include <vector>

namespace kw {

struct RaceData;

struct LineEnds {
  double LatA = 0, LonA = 0, LatB = 0, LonB = 0;
};

struct PassingResults {
  int EntryCount = 0;  // course entries the tables are sized for
  // [boat][entry], entry 1..CourseCount; NotPassed when not passed.
  std::vector<std::vector<double>> MarkPassTime;
  std::vector<std::vector<double>> LegSailedDistance;  // metres; entry CourseCount: whole race
  std::vector<double> EntryLeadTime;
  std::vector<int> EntryLeader;
  std::vector<int> FinishRank;
  std::vector<double> LegBearing, LegLength;  // leg 1..n-1; LegLength[n] = course length
  std::vector<int> LegKind;                   // 1 "UP", 2 "DN", 3 "-"
  std::vector<double> EntryLat, EntryLon;
  std::vector<double> UpTime, DownTime, UpDistance, DownDistance;
  LineEnds FinishLine;  // ends of the last entry when it is a line, else zero
  LineEnds StartLine;   // ends of the first entry when it is a line, else zero

  // Sizes every table for `boats` boats and `entries` course entries, all cleared.
  void Resize(int boats, int entries);
  bool Passed(int b, int e) const { return MarkPassTime[b][e] < 999999; }
};

// Which mark or line a course entry names: "L2" is line 2, "MK3" mark 3.
struct EntryRef {
  bool isLine = false;
  int number = 0;  // 0 when the text names nothing usable
};
EntryRef ParseEntry(const std::string& entry);

void DetectMarkPassing(RaceData& race, PassingResults& p);
void TrimTracksAtFinish(RaceData& race, const PassingResults& p);
void ComputeLegDistances(const RaceData& race, double cosCentreLat, PassingResults& p);
void BuildLegs(const RaceData& race, double cosCentreLat, PassingResults& p);

}  // namespace kw
