// The start gun through QtSound: the sample is in the program, a sound server of the test's own
// (a PulseAudio null sink) receives the gun, and without any server the gun stays silent without
// a window and without hanging. The gun is fired by keelway_gun_player, one process per server.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "app/qt_services.h"

namespace {

const QString kGunFile = QStringLiteral(KEELWAY_SOURCE_DIR "/resources/sounds/gun.wav");

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// 16-bit mono PCM from a WAV file's chunks.
struct Pcm {
  int rate = 0;
  std::vector<int16_t> samples;
};

Pcm ReadMonoWav(const QByteArray& wav) {
  Pcm pcm;
  auto u32 = [&](qsizetype at) {
    uint32_t v = 0;
    std::memcpy(&v, wav.constData() + at, 4);
    return v;
  };
  for (qsizetype at = 12; at + 8 <= wav.size(); at += 8 + ((u32(at + 4) + 1) & ~1u)) {
    const QByteArray id = wav.mid(at, 4);
    if (id == "fmt ") pcm.rate = static_cast<int>(u32(at + 12));
    if (id != "data") continue;
    const qsizetype size = std::min<qsizetype>(u32(at + 4), wav.size() - at - 8);
    pcm.samples.resize(static_cast<size_t>(size / 2));
    std::memcpy(pcm.samples.data(), wav.constData() + at + 8, pcm.samples.size() * 2);
  }
  return pcm;
}

// Runs the event loop until `done` holds, asking again whenever a watched signal fires; false
// when the guard time ran out first.
class Waiter {
 public:
  explicit Waiter(std::function<bool()> done) : done_(std::move(done)) {}
  template <typename Object, typename Signal>
  void Watch(Object* object, Signal signal) {
    QObject::connect(object, signal, &loop_, [this] {
      if (done_()) loop_.quit();
    });
  }
  bool Run(int guardMs) {
    if (done_()) return true;
    QTimer::singleShot(guardMs, &loop_, &QEventLoop::quit);
    loop_.exec();
    return done_();
  }

 private:
  std::function<bool()> done_;
  QEventLoop loop_;
};

// A PulseAudio server with one null sink, living in a temporary folder for one test. Without
// rewinds the sink renders no further ahead than its listeners ask, so its monitor hands out
// sound at once (not after a two-second block) and keeps the start of a stream joining it.
class NullSinkServer {
 public:
  // Empty when the server runs, else why it does not.
  QString Start() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty()) return QStringLiteral("pulseaudio is not installed");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"})
      env.insert(QString::fromLatin1(name), dir_.path());
    server_.setProcessEnvironment(env);
    server_.start(program,
                  {"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1", "-v",
                   "--log-target=stderr", "-L", "module-null-sink sink_name=gun norewinds=1", "-L",
                   "module-native-protocol-unix auth-anonymous=1 socket=" + Socket()});
    QByteArray log;
    Waiter started([&] {
      log += server_.readAllStandardError();
      return log.contains("Daemon startup complete.") || server_.state() == QProcess::NotRunning;
    });
    started.Watch(&server_, &QProcess::readyReadStandardError);
    started.Watch(&server_, &QProcess::finished);
    if (started.Run(10000) && server_.state() == QProcess::Running) return {};
    return QStringLiteral("pulseaudio did not start: ") + QString::fromLocal8Bit(log.right(600));
  }
  QString Address() const { return QStringLiteral("unix:") + Socket(); }

 private:
  QString Socket() const { return dir_.path() + QStringLiteral("/native"); }
  QTemporaryDir dir_;
  QProcess server_;  // killed with the test
};

void StartPlayer(QProcess& player, const QString& pulseServer, int lifetimeMs) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("PULSE_SERVER"), pulseServer);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QString::fromLatin1(name));
  player.setProcessEnvironment(env);
  player.start(QStringLiteral(KEELWAY_GUN_PLAYER), {QString::number(lifetimeMs)});
}

// Where the gun best lines up with a recording whose first loud sample is `onset` (the gun rises
// over its first 4 ms): the normalised correlation there, and the recording's energy relative
// to the gun's own.
struct Match {
  double correlation = 0;
  double energyRatio = 0;
};

Match MatchGun(const std::vector<int16_t>& rec, size_t onset, int rate,
               const std::vector<int16_t>& gun) {
  double gunEnergy = 0;
  for (int16_t g : gun) gunEnergy += double(g) * g;
  Match best;
  const size_t rise = static_cast<size_t>(rate / 50);
  for (size_t start = onset > rise ? onset - rise : 0; start <= onset; ++start) {
    if (start + gun.size() > rec.size()) break;
    double dot = 0, energy = 0;
    for (size_t i = 0; i < gun.size(); ++i) {
      dot += double(rec[start + i]) * gun[i];
      energy += double(rec[start + i]) * rec[start + i];
    }
    const double c = energy > 0 ? dot / std::sqrt(energy * gunEnergy) : 0;
    if (c > best.correlation) best = {c, energy / gunEnergy};
  }
  return best;
}

}  // namespace

TEST(GunSound, TheSampleIsInTheProgram) {
  // The program that links the sound service carries the gun exactly as the source tree has it.
  kw::QtSound sound;
  const QByteArray inProgram = ReadAll(QStringLiteral(":/sounds/gun.wav"));
  ASSERT_FALSE(inProgram.isEmpty()) << "qrc:/sounds/gun.wav is missing from the program";
  EXPECT_EQ(inProgram, ReadAll(kGunFile));
}

TEST(GunSound, WithoutASoundServerTheGunIsSilentAndHarmless) {
  QTemporaryDir dir;
  QProcess player;
  StartPlayer(player, QStringLiteral("unix:") + dir.path() + QStringLiteral("/no-server"), 500);
  ASSERT_TRUE(player.waitForFinished(20000)) << "the gun hangs without a sound server";
  const QByteArray err = player.readAllStandardError();
  EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(player.exitCode(), 0);
  EXPECT_EQ(player.readAllStandardOutput(), "windows shown: 0\n");
  EXPECT_FALSE(err.contains("Error decoding")) << err.toStdString();
}

TEST(GunSound, ANullSinkHearsTheGun) {
  const QString parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
  if (parec.isEmpty()) GTEST_SKIP() << "parec (pulseaudio-utils) is not installed";
  NullSinkServer server;
  if (const QString why = server.Start(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
  const Pcm gun = ReadMonoWav(ReadAll(kGunFile));
  ASSERT_GT(gun.rate, 0);
  ASSERT_GT(gun.samples.size(), 1000u);

  // The sink's monitor, recorded in the gun's own format.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("PULSE_SERVER"), server.Address());
  QProcess recorder;
  recorder.setProcessEnvironment(env);
  QByteArray bytes;
  std::vector<int16_t> rec;
  auto collect = [&] {
    bytes += recorder.readAllStandardOutput();
    rec.resize(static_cast<size_t>(bytes.size()) / 2);
    // Nothing recorded yet is no copy (an empty vector's data may be null).
    if (!rec.empty()) std::memcpy(rec.data(), bytes.constData(), rec.size() * 2);
  };
  recorder.start(parec, {"-d", "gun.monitor", "--raw", "--format=s16le", "--channels=1",
                         "--rate=" + QString::number(gun.rate), "--latency-msec=20"});
  Waiter recording([&] {
    collect();
    return rec.size() >= static_cast<size_t>(gun.rate / 5);
  });
  recording.Watch(&recorder, &QProcess::readyReadStandardOutput);
  ASSERT_TRUE(recording.Run(10000)) << "parec records nothing from the null sink";
  const size_t beforeGun = rec.size();
  for (size_t i = 0; i < beforeGun; ++i) ASSERT_EQ(rec[i], 0) << "sound before the gun";

  // Heard once the recording holds a loud sample and the gun's length after it; the player
  // lives long enough for that and ends the wait when it ends.
  size_t onset = 0, scanned = beforeGun;
  const size_t length = gun.samples.size() + static_cast<size_t>(gun.rate / 10);
  auto gotIt = [&] { return onset > 0 && rec.size() >= onset + length; };
  QProcess player;
  Waiter heard([&] {
    collect();
    for (; onset == 0 && scanned < rec.size(); ++scanned)
      if (std::abs(rec[scanned]) > 1000) onset = scanned;
    return gotIt() || player.state() == QProcess::NotRunning;
  });
  heard.Watch(&recorder, &QProcess::readyReadStandardOutput);
  heard.Watch(&player, &QProcess::finished);
  StartPlayer(player, server.Address(), 5000);
  heard.Run(15000);
  const QByteArray err = player.readAllStandardError();
  ASSERT_TRUE(gotIt()) << "no gun reached the null sink: " << err.toStdString();
  EXPECT_FALSE(err.contains("Error decoding")) << err.toStdString();

  // The recording is the gun (resampled twice on the way), at about its own loudness.
  const Match m = MatchGun(rec, onset, gun.rate, gun.samples);
  EXPECT_GT(m.correlation, 0.8);
  EXPECT_GT(m.energyRatio, 0.6);
  EXPECT_LT(m.energyRatio, 1.4);
  std::printf("gun %.3f s into the recording; correlation %.3f, energy ratio %.3f\n",
              double(onset) / gun.rate, m.correlation, m.energyRatio);
}
