// Reads the boats' track files on worker threads while the loader stores them in boat order. The
// workers only read files and fill their own buffers; everything shared is touched by the
// loader's thread alone (CommitTrack), so the result does not depend on the threads' timing.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "race/tracks/dispatch.h"

namespace kw {

class TrackPool {
 public:
  // jobs[1..n]; jobs[0] is not read. `workers` threads (at least one) take the jobs in order.
  TrackPool(std::vector<TrackJob> jobs, int workers);
  // Stops taking jobs and waits for the workers: the loader may leave early (cancelled, or a
  // track that stops the load).
  ~TrackPool();
  TrackPool(const TrackPool&) = delete;
  TrackPool& operator=(const TrackPool&) = delete;

  // The track of boat i, once read; `waiting` runs every few milliseconds meanwhile (the
  // window's event pump).
  PreparedTrack Take(int i, const std::function<void()>& waiting);

  // Threads for loading on this machine: one per core, at most four (beyond that the disk and
  // the memory bus, not the parsers, bound the load).
  static int DefaultWorkers();

 private:
  void Work();

  std::vector<TrackJob> jobs_;
  std::vector<std::optional<PreparedTrack>> done_;
  std::mutex mutex_;
  std::condition_variable ready_;
  int next_ = 1;  // the next job to take, under mutex_
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace kw
