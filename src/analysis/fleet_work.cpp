#include "analysis/fleet_work.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace kw {

void ForEachBoat(int count, const std::function<void(int)>& work) {
  const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  const int workers = std::min(cores, count / 4);
  if (workers <= 1) {
    for (int b = 1; b <= count; ++b) work(b);
    return;
  }
  std::atomic<int> next{1};
  auto run = [&] {
    for (int b = next++; b <= count; b = next++) work(b);
  };
  std::vector<std::thread> threads;
  for (int w = 1; w < workers; ++w) threads.emplace_back(run);
  run();
  for (std::thread& t : threads) t.join();
}

}  // namespace kw
