#include "session/track_pool.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace kw {

TrackPool::TrackPool(std::vector<TrackJob> jobs, int workers)
    : jobs_(std::move(jobs)), done_(jobs_.size()) {
  const int n = static_cast<int>(jobs_.size()) - 1;
  workers = std::clamp(workers, 1, std::max(1, n));
  for (int w = 0; w < workers; ++w) threads_.emplace_back([this] { Work(); });
}

TrackPool::~TrackPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  for (std::thread& t : threads_) t.join();
}

int TrackPool::DefaultWorkers() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 4u));
}

void TrackPool::Work() {
  FileBytes bytes;  // one file at a time, the memory kept from one to the next
  while (true) {
    int i;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_ || next_ >= static_cast<int>(jobs_.size())) return;
      i = next_++;
    }
    PreparedTrack track = ReadTrackJob(jobs_[static_cast<size_t>(i)], bytes);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_[static_cast<size_t>(i)] = std::move(track);
    }
    ready_.notify_all();
  }
}

PreparedTrack TrackPool::Take(int i, const std::function<void()>& waiting) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto& slot = done_[static_cast<size_t>(i)];
  while (!slot) {
    ready_.wait_for(lock, std::chrono::milliseconds(20));
    if (!slot && waiting) {
      lock.unlock();
      waiting();
      lock.lock();
    }
  }
  PreparedTrack track = std::move(*slot);
  slot.reset();
  return track;
}

}  // namespace kw
