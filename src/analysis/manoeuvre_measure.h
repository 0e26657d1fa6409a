// What a manoeuvre took and cost, and a boat's figures leg by leg: the measuring half of the
// manoeuvre analysis (manoeuvres.h finds them).
//
// A manoeuvre starts at the last moment before it at which the boat still held the course it
// had steadily before (within 10°), and ends once it holds its new course (within 10°) and has
// its speed back (95 % of the speed it had going in; for a rounding, of the speed it settles at
// on the next leg), at most 60 s after the crossing, passing or turn and never past the next
// manoeuvre.
#pragma once

#include <vector>

#include "analysis/manoeuvres.h"

namespace kw {

struct ManoeuvreEvent {
  ManoeuvreKind kind = ManoeuvreKind::Tack;
  double t = 0;             // seconds from the gun
  double from = 0, to = 0;  // a full turn: when it began and ended
  int entry = 0;            // a rounding: the course entry passed
};

class ManoeuvreMeasure {
 public:
  ManoeuvreMeasure(const RaceData& race, const PassingResults& passing, const BoatMotion& motion,
                   const WindUsed& wind)
      : race_(race), passing_(passing), m_(motion), wind_(wind) {}

  // The figures of `ev`, its start not before the manoeuvre before (at `before`) and its end
  // not after the one after (at `after`).
  Manoeuvre Measure(const ManoeuvreEvent& ev, double before, double after) const;

  // Every leg the boat sailed from end to end, with the tacks and gybes of `list` in it.
  std::vector<LegFigures> Legs(const std::vector<Manoeuvre>& list) const;

 private:
  // The leg the boat was on at t (0 when none), and the direction it was making progress in
  // there (degrees true).
  int LegAt(double t) const;
  double ProgressDirection(double t, ManoeuvreKind kind) const;
  LegFigures Leg(int leg, double from, double to) const;

  const RaceData& race_;
  const PassingResults& passing_;
  const BoatMotion& m_;
  const WindUsed& wind_;
};

}  // namespace kw
