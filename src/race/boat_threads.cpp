#include "race/boat_threads.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "race/model.h"

namespace kw {

namespace {

// Below this many samples in all, starting threads costs more than it saves.
constexpr long long kSamplesForThreads = 200000;

}  // namespace

void ForEachBoat(const RaceData& race, const std::function<void(int boat)>& work) {
  long long samples = 0;
  for (int b = 1; b <= race.BoatCount; ++b) samples += race.BoatSampleCount[b];
  const int threads =
      static_cast<int>(std::min<unsigned>({std::max(std::thread::hardware_concurrency(), 1u), 4u,
                                           static_cast<unsigned>(std::max(race.BoatCount, 1))}));
  if (threads < 2 || samples < kSamplesForThreads) {
    for (int b = 1; b <= race.BoatCount; ++b) work(b);
    return;
  }
  // Boats taken one at a time from a counter: tracks differ in length.
  std::atomic<int> next{1};
  auto take = [&] {
    for (int b = next++; b <= race.BoatCount; b = next++) work(b);
  };
  std::vector<std::thread> helpers;
  for (int i = 1; i < threads; ++i) helpers.emplace_back(take);
  take();
  for (std::thread& t : helpers) t.join();
}

}  // namespace kw
