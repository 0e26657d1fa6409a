#include "cli/video.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "output/video_writer.h"
#include "session/session.h"
#include "view/renderer.h"

namespace kw {

int VideoFrameCount(const VideoOptions& o) {
  if (!(o.speed > 0) || o.fps < 1 || !(o.to > o.from)) return 0;
  // Half a millionth of a frame keeps an exact end (one hour at 10x, 25 fps: 9000) from
  // losing its last frame to rounding.
  const double frames = (o.to - o.from) * o.fps / o.speed;
  return static_cast<int>(std::ceil(frames - 5e-7));
}

double VideoFrameClock(const VideoOptions& o, int k) {
  return o.from + k * o.speed / o.fps;
}

namespace {

// Frames wait here between the drawing thread and the encoding thread; a few are enough to
// keep both cores busy.
class FrameQueue {
 public:
  void Push(QImage frame) {
    std::unique_lock lock(m_);
    room_.wait(lock, [&] { return q_.size() < 4; });
    q_.push_back(std::move(frame));
    ready_.notify_one();
  }
  void Close() {
    std::lock_guard lock(m_);
    closed_ = true;
    ready_.notify_one();
  }
  // False once closed and empty.
  bool Pop(QImage& frame) {
    std::unique_lock lock(m_);
    ready_.wait(lock, [&] { return !q_.empty() || closed_; });
    if (q_.empty()) return false;
    frame = std::move(q_.front());
    q_.pop_front();
    room_.notify_one();
    return true;
  }

 private:
  std::mutex m_;
  std::condition_variable ready_, room_;
  std::deque<QImage> q_;
  bool closed_ = false;
};

QString Clock(double seconds) {
  const long long n = std::llround(std::abs(seconds));
  return QStringLiteral("%1%2:%3:%4")
      .arg(seconds < 0 ? "-" : "")
      .arg(n / 3600)
      .arg(n / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(n % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString WriteVideo(RaceSession& s, const VideoOptions& o, const QString& path,
                   const volatile std::sig_atomic_t* stop) {
  const int count = VideoFrameCount(o);
  if (count < 1) return QStringLiteral("the time range holds no frame");
  VideoWriter writer;
  if (!writer.Open(path, o.map.width, o.map.height, o.fps)) return writer.error();
  MapPainter painter(s, o.map);
  FrameQueue queue;
  QString encodeError;
  std::atomic<bool> failed = false;
  qint64 encodeNs = 0, drawNs = 0;
  std::thread encoder([&] {
    QImage frame;
    QElapsedTimer busy;
    while (queue.Pop(frame)) {
      busy.start();
      if (!failed && !writer.Add(frame)) {
        encodeError = writer.error();
        failed = true;
      }
      encodeNs += busy.nsecsElapsed();
    }
  });
  QElapsedTimer wall;
  wall.start();
  const double realPerFrame = 1.0 / o.fps;
  int k = 0;
  for (; k < count && !(stop && *stop) && !failed; ++k) {
    const double t = VideoFrameClock(o, k);
    QElapsedTimer busy;
    busy.start();
    QImage frame = painter.Draw(t, k == 0 ? 0 : realPerFrame);
    drawNs += busy.nsecsElapsed();
    queue.Push(std::move(frame));
    if (k % 25 == 0 || k + 1 == count) {
      const double left = wall.elapsed() / 1000.0 / (k + 1) * (count - k - 1);
      std::fprintf(stderr, "\rframe %d/%d  race %s  left %s ", k + 1, count,
                   Clock(t).toLocal8Bit().constData(), Clock(left).toLocal8Bit().constData());
      std::fflush(stderr);
    }
  }
  queue.Close();
  encoder.join();
  std::fprintf(stderr, "\n");
  if (!encodeError.isEmpty()) return encodeError;
  if (!writer.Finish()) return writer.error();
  if (stop && *stop) std::fprintf(stderr, "stopped after %d of %d frames\n", k, count);
  // Each side's own rate: drawing and encoding run side by side on the two cores.
  std::fprintf(stderr, "%d frames in %.1f s: drawn at %.0f frames/s, encoded at %.0f frames/s\n", k,
               wall.elapsed() / 1000.0, k / std::max(1e-9, drawNs / 1e9),
               k / std::max(1e-9, encodeNs / 1e9));
  return QString();
}

}  // namespace kw
