// The turns that measure the wind's axis: a boat's steady boards, and the turns between two of
// them that are as wide as a tack or a gybe, away from the marks and inside the boat's race.
#include <algorithm>
#include <cmath>

#include "analysis/mark_passing.h"
#include "analysis/wind_estimate.h"
#include "race/model.h"

namespace kw {

namespace {

constexpr double kSteadySpan = 5;        // s either side over which a steady course holds
constexpr double kSteadyDegrees = 10;    // ... within so many degrees
constexpr double kMinBoardSeconds = 10;  // a shorter steady stretch is no board
constexpr double kEdgeSeconds = 15;      // a board's course at either end: its first/last 15 s
constexpr double kMaxTurnSeconds = 40;   // from one board to the next
constexpr double kMarkClearance = 30;    // s either side of a mark, start or finish
constexpr double kMinTurnDegrees = 40, kMaxTurnDegrees = 130;
constexpr double kLoopDegrees = 60;  // turned this much more than the boards differ: a loop
constexpr double kMinSpeedKnots = 1.0;

struct Board {
  int first = 0, last = 0;
  double headStart = 0, headEnd = 0, speedStart = 0, speedEnd = 0;
};

// Fixes whose course holds: moving, and the courses kSteadySpan seconds before and after (from
// the nearest fixes at least that far, in the same piece) within kSteadyDegrees of their own.
std::vector<char> SteadyFixes(const BoatMotion& m, double minSpeed) {
  const int n = m.size();
  std::vector<char> steady(static_cast<size_t>(n), 0);
  int j = 0, k = 0;
  for (int i = 0; i < n; ++i) {
    while (j + 1 < n && m.t[j + 1] <= m.t[i] - kSteadySpan) ++j;
    k = std::max(k, i);
    while (k < n && m.t[k] < m.t[i] + kSteadySpan) ++k;
    if (!m.fitted[i] || m.speed[i] < minSpeed || k >= n || m.t[j] > m.t[i] - kSteadySpan) continue;
    if (m.piece[j] != m.piece[i] || m.piece[k] != m.piece[i] || !m.fitted[j] || !m.fitted[k])
      continue;
    steady[i] = std::abs(Wrap180(m.course[j] - m.course[i])) <= kSteadyDegrees &&
                std::abs(Wrap180(m.course[k] - m.course[i])) <= kSteadyDegrees;
  }
  return steady;
}

// Mean course and speed over fixes a..z of a board (steady, so the courses lie close
// together: their mean is taken as offsets from the first).
void EdgeOf(const BoatMotion& m, int a, int z, double& course, double& speed) {
  double offsets = 0, sum = 0;
  for (int i = a; i <= z; ++i) offsets += Wrap180(m.course[i] - m.course[a]), sum += m.speed[i];
  course = Wrap360(m.course[a] + offsets / (z - a + 1));
  speed = sum / (z - a + 1);
}

Board MakeBoard(const BoatMotion& m, int first, int last) {
  Board b{first, last};
  int a = first;
  while (a < last && m.t[a + 1] <= m.t[first] + kEdgeSeconds) ++a;
  EdgeOf(m, first, a, b.headStart, b.speedStart);
  int z = last;
  while (z > first && m.t[z - 1] >= m.t[last] - kEdgeSeconds) --z;
  EdgeOf(m, z, last, b.headEnd, b.speedEnd);
  return b;
}

std::vector<Board> Boards(const BoatMotion& m, const RacingSpan& span) {
  const double minSpeed = std::max(kMinSpeedKnots, 0.4 * m.typicalSpeed);
  const std::vector<char> steady = SteadyFixes(m, minSpeed);
  std::vector<Board> boards;
  const int n = m.size();
  for (int i = 0; i < n;) {
    if (!steady[i] || m.t[i] < span.from || m.t[i] > span.to) {
      ++i;
      continue;
    }
    int z = i;
    while (z + 1 < n && steady[z + 1] && m.piece[z + 1] == m.piece[i] && m.t[z + 1] <= span.to) ++z;
    if (m.t[z] - m.t[i] >= kMinBoardSeconds) boards.push_back(MakeBoard(m, i, z));
    i = z + 1;
  }
  return boards;
}

bool NearPassing(const RaceData& race, const PassingResults& passing, int b, double t0, double t1) {
  if (static_cast<size_t>(b) >= passing.MarkPassTime.size()) return false;
  const auto& times = passing.MarkPassTime[b];
  for (int e = 1; e <= race.CourseCount && static_cast<size_t>(e) < times.size(); ++e)
    if (times[e] < 999999 && times[e] >= t0 - kMarkClearance && times[e] <= t1 + kMarkClearance)
      return true;
  return false;
}

// A tack turns further than a gybe and costs more speed: each says how sure it is, and the two
// are added. Half-angles of 35° and dips to 80 % of the boards' speed are the border.
double TackScore(double halfAngle, double dip) {
  return std::clamp((halfAngle - 35) / 5, -2.0, 2.0) + std::clamp((0.8 - dip) / 0.1, -2.0, 2.0);
}

bool TurnBetween(const BoatMotion& m, const Board& a, const Board& b, AxisTurn& turn) {
  if (m.piece[a.last] != m.piece[b.first] || m.t[b.first] - m.t[a.last] > kMaxTurnSeconds)
    return false;
  const double delta = Wrap180(b.headStart - a.headEnd);
  if (std::abs(delta) < kMinTurnDegrees || std::abs(delta) > kMaxTurnDegrees) return false;
  double turned = 0, lowest = m.speed[a.last];
  for (int j = a.last; j < b.first; ++j) {
    if (m.fitted[j] && m.fitted[j + 1]) turned += Wrap180(m.course[j + 1] - m.course[j]);
    if (m.fitted[j + 1]) lowest = std::min(lowest, m.speed[j + 1]);
  }
  if (std::abs(turned - delta) > kLoopDegrees) return false;
  const double before = 0.5 * (a.speedEnd + b.speedStart);
  turn.t = 0.5 * (m.t[a.last] + m.t[b.first]);
  turn.bisector = Wrap360(a.headEnd + delta / 2);
  turn.halfAngle = std::abs(delta) / 2;
  turn.speedDip = before > 0 ? lowest / before : 1;
  turn.tackScore = TackScore(turn.halfAngle, turn.speedDip);
  return true;
}

}  // namespace

std::vector<AxisTurn> AxisTurns(const RaceData& race, const PassingResults& passing,
                                const BoatMotion& motion) {
  std::vector<AxisTurn> turns;
  if (motion.size() < 3) return turns;
  const RacingSpan span = RacingSpanOf(race, passing, motion.boat);
  const std::vector<Board> boards = Boards(motion, span);
  for (size_t k = 1; k < boards.size(); ++k) {
    const Board& a = boards[k - 1];
    const Board& b = boards[k];
    if (NearPassing(race, passing, motion.boat, motion.t[a.last], motion.t[b.first])) continue;
    AxisTurn turn;
    turn.boat = motion.boat;
    if (TurnBetween(motion, a, b, turn)) turns.push_back(turn);
  }
  return turns;
}

}  // namespace kw
