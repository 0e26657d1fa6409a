#include "analysis/standings.h"

#include <algorithm>

#include "analysis/mark_passing.h"
#include "race/model.h"
#include "race/numbers.h"

namespace kw {

int FinishGap(const PassingResults& passing, int n, int boat) {
  return RoundInt(
      std::clamp(passing.MarkPassTime[boat][n] - passing.EntryLeadTime[n], -1.0e9, 1.0e9));
}

std::vector<StandingRow> Standings(const RaceData& race, const PassingResults& passing) {
  std::vector<StandingRow> rows;
  const int n = race.CourseCount;
  if (n < 1 || static_cast<int>(passing.EntryLeadTime.size()) <= n) return rows;
  const int boats = std::min({race.BoatCount, static_cast<int>(passing.MarkPassTime.size()) - 1,
                              static_cast<int>(passing.FinishRank.size()) - 1});
  for (int b = 1; b <= boats; ++b) {
    if (static_cast<int>(passing.MarkPassTime[b].size()) <= n) continue;
    const double t = passing.MarkPassTime[b][n];
    if (!(t < 864000)) continue;
    rows.push_back({b, passing.FinishRank[b], FinishGap(passing, n, b)});
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const StandingRow& a, const StandingRow& b) { return a.rank < b.rank; });
  return rows;
}

std::vector<std::vector<int>> ClassStandings(const RaceData& race, const PassingResults& passing) {
  if (race.ClassesDeclared == 0) return {};
  const int classes = std::clamp(race.ClassCount, 0, kMaxClasses);
  std::vector<std::vector<int>> byClass(static_cast<size_t>(classes) + 1);
  for (const StandingRow& row : Standings(race, passing)) {
    if (static_cast<size_t>(row.boat) >= race.BoatClass.size()) continue;
    const int c = race.BoatClass[row.boat];
    if (c >= 1 && c <= classes) byClass[c].push_back(row.boat);
  }
  return byClass;
}

}  // namespace kw
