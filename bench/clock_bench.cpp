// Replay-speed accuracy of the playback clock with the real timers: the window replays the demo
// race offscreen at a fixed speed, and the race seconds that pass are compared with the wall
// clock. A timed command, not a unit test: it takes about a minute.
//
//   keelway_bench_clock [seconds per run]   (default 20)
//   keelway_bench_clock --frames DIR [seconds]
//
// The second form opens the race of data folder DIR (a five-day race from keelway_bench_load
// --write-ocean, say) in the window and replays it at full speed: how long the load took, the
// time between frames, and the longest wait of the event loop (a stall the user would see).
// It runs on the platform QT_QPA_PLATFORM names (offscreen when unset; xcb under Xvfb).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/playback.h"
#include "app/control_panel.h"
#include "app/qt_services.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "race/racefile.h"

namespace {

struct Silent : kw::Sound {
  void Beep() override {}
  void Gun() override {}
};
struct NoDialogs : kw::Dialogs {
  void Message(const QString&, const QString& text) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  }
  bool Ask(const QString&, const QString&) override { return false; }
};
struct NoShell : kw::Shell {
  bool Open(const QString&) override { return true; }
};

void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Replays from `from` at `speed` for `seconds` after a settling second; returns the measured
// ratio of race time to wall time divided by the speed.
double Measure(kw::TForm1& form, double speed, double from, int seconds) {
  kw::PlaybackState& p = form.session().play;
  QScrollBar* bar = form.controlPanel().ScrollBar1;
  bar->setValue(static_cast<int>(std::lround(kw::SpeedToPosition(static_cast<float>(speed)))));
  p.RaceClock = from;
  p.PrevRaceClock = from;
  p.SpeedRampStep = p.SpeedRampLength;  // no ramp: the speed stays as set
  form.replay().up_fClick();
  RunFor(2000);  // the one-second timer measures the frame rate once or twice
  QElapsedTimer wall;
  const double start = p.RaceClock;
  wall.start();
  RunFor(seconds * 1000);
  const double raced = p.RaceClock - start;
  const double elapsed = wall.nsecsElapsed() / 1e9;
  const double ratio = raced / elapsed / speed;
  std::printf("speed %5.0fx: %8.2f race s in %6.3f wall s -> %.4f of the set speed (%+.2f %%)\n",
              speed, raced, elapsed, ratio, (ratio - 1) * 100);
  return ratio;
}

double Percentile(std::vector<double> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

// Full speed on the race of `folder` for `seconds`.
int Frames(const QString& folder, int seconds) {
  Silent sound;
  NoDialogs dialogs;
  NoShell shell;
  kw::QtClock clock;
  kw::Services services{&sound, &dialogs, &shell, &clock};
  QTemporaryDir docs;
  kw::TForm1 form(services, folder + '/', docs.path());
  form.resize(1600, 1000);
  form.show();
  QElapsedTimer load;
  load.start();
  form.FormCreate();
  const double loaded = load.nsecsElapsed() / 1e9;
  if (!form.raceReady()) {
    std::fprintf(stderr, "the race did not load\n");
    return 1;
  }
  RunFor(4500);  // the splash hold
  QScrollBar* bar = form.controlPanel().ScrollBar1;
  bar->setValue(bar->maximum());
  kw::PlaybackState& p = form.session().play;
  p.SpeedRampStep = p.SpeedRampLength;
  form.replay().up_fClick();
  RunFor(2000);
  // Each frame's start (the tick after Timer1Timer), and a 10 ms heartbeat whose longest gap is
  // the longest the event loop was kept busy.
  std::vector<double> frames, gaps;
  QElapsedTimer wall;
  wall.start();
  double lastFrame = -1, lastBeat = 0;
  QObject::connect(form.replay().Timer1, &QTimer::timeout, [&] {
    const double now = wall.nsecsElapsed() / 1e6;
    if (lastFrame >= 0) frames.push_back(now - lastFrame);
    lastFrame = now;
  });
  QTimer beat;
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const double now = wall.nsecsElapsed() / 1e6;
    gaps.push_back(now - lastBeat);
    lastBeat = now;
  });
  beat.start(10);
  const double from = p.RaceClock;
  RunFor(seconds * 1000);
  std::printf(
      "load %.2f s; %zu frames in %d s at %.0fx: between frames median %.1f ms, 90th %.1f, "
      "max %.1f; longest event-loop wait %.1f ms; %.0f race s replayed\n",
      loaded, frames.size(), seconds, p.PlaySpeed, Percentile(frames, 0.5), Percentile(frames, 0.9),
      Percentile(frames, 1.0), Percentile(gaps, 1.0), p.RaceClock - from);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc >= 3 && std::string(argv[1]) == "--frames")
    return Frames(QString::fromLocal8Bit(argv[2]), argc > 3 ? std::atoi(argv[3]) : 20);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  Silent sound;
  NoDialogs dialogs;
  NoShell shell;
  kw::QtClock clock;
  kw::Services services{&sound, &dialogs, &shell, &clock};
  QTemporaryDir docs;
  kw::TForm1 form(services, QCoreApplication::applicationDirPath() + '/', docs.path());
  form.resize(1600, 1000);
  form.FormCreate();
  if (!form.raceReady()) {
    std::fprintf(stderr, "the demo race did not load\n");
    return 1;
  }
  RunFor(4500);  // the splash hold
  const double slow = Measure(form, 1, 600, seconds);
  const double fast = Measure(form, 100, 300, seconds);
  const bool ok = std::abs(slow - 1) <= 0.02 && std::abs(fast - 1) <= 0.05;
  std::printf("%s (targets: within 2 %% at 1x, within 5 %% at 100x)\n", ok ? "PASS" : "FAIL");
  return ok ? 0 : 1;
}
