// The wind the manoeuvres and the polar are measured against: the race's wind file when it has
// one, else the estimate from the fleet's tracks, else the race file's one wind direction.
#pragma once

#include <string>
#include <vector>

namespace kw {

struct RaceData;
struct WindEstimate;

struct WindUsed {
  enum Source { WindFile, Estimate, RaceFileDirection };
  Source source = RaceFileDirection;
  std::vector<double> t;          // seconds from the gun, ascending
  std::vector<double> direction;  // degrees true, where the wind comes from
  std::vector<double> speed;      // knots; empty when unknown (positions cannot tell it)

  // Interpolated (the shorter way round) and held beyond the ends.
  double DirectionAt(double at) const;
  // The same for times that mostly move on: `hint` keeps where the last one was found.
  double DirectionAt(double at, size_t& hint) const;
  // Knots, or -1 when unknown.
  double SpeedAt(double at) const;
  // The unit vector (east, north) the wind comes from at `at`: the records' vectors
  // interpolated, without a sine or cosine per call once Prepare has run.
  void UnitAt(double at, size_t& hint, double& east, double& north) const;
  // Fills the records' unit vectors (ChooseWind does).
  void Prepare();

 private:
  std::vector<double> east_, north_;
};

WindUsed ChooseWind(const RaceData& race, const WindEstimate& estimate);

// What the output says about it: "wind file enoshima-r1-wind.csv", "estimated from the fleet's
// tacks and gybes", "the race file's wind direction (WD 280)".
std::string WindSourceText(const RaceData& race, const WindUsed& wind);
// The short name tools read: "windFile", "estimate" or "raceFile".
const char* WindSourceKey(const WindUsed& wind);

}  // namespace kw
