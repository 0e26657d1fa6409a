// keelway-cli: the headless companion. Loads a race with the same loading sequence as the
// window and prints what it found, for race officers processing races in batch.
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QStandardPaths>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>

#include "analysis/boat_state.h"
#include "cli/check.h"
#include "cli/snapshot.h"
#include "cli/summary.h"
#include "cli/video.h"
#include "output/kml.h"
#include "output/report.h"
#include "race/text.h"
#include "session/data_folder.h"
#include "session/loader.h"
#include "session/session.h"

namespace {

constexpr int kExitWrite = 1;
constexpr int kExitNoBoats = 2;
constexpr int kExitConversion = 3;
constexpr int kExitUsage = 64;

const char* kUsage =
    "Usage: keelway-cli summary      [--data DIR] [--race FILE] [--json]\n"
    "       keelway-cli check        [--data DIR] [--race FILE] [--json]\n"
    "       keelway-cli report       [--data DIR] [--race FILE] [--out PATH]\n"
    "       keelway-cli kml-race     [--data DIR] [--race FILE] [--out PATH]\n"
    "       keelway-cli kml-snapshot --at SECONDS [--data DIR] [--race FILE] [--out PATH]\n"
    "       keelway-cli snapshot     --at SECONDS [--data DIR] [--race FILE] [--out PNG]\n"
    "                                [--size WxH] [--north-up | --wind-up] [--still]\n"
    "                                [--page track|graph|analysis]\n"
    "       keelway-cli video        [--data DIR] [--race FILE] [--out MP4] [--from SECONDS]\n"
    "                                [--to SECONDS] [--speed X] [--fps N] [--size WxH]\n"
    "                                [--north-up | --wind-up] [--still]\n"
    "\n"
    "Loads a race as keelway does, then:\n"
    "  summary       prints caption, times, boats, the boats dropped and why, the course and\n"
    "                its legs, every boat's passing time at every course entry, finish ranks,\n"
    "                the distance sailed per leg and the upwind/downwind sums\n"
    "  check         the data-quality report: for every boat (worst first) the samples read,\n"
    "                kept and skipped by reason, gaps, clock faults, jumps, the clock\n"
    "                correction and handicap, first and last fix, and why it was dropped\n"
    "  report        writes the sailing performance report (default: NoName.csv in the\n"
    "                documents folder)\n"
    "  kml-race      writes the whole race as KML (default: KeelwayMap5.kml in the documents\n"
    "                folder)\n"
    "  kml-snapshot  writes the boats at race clock SECONDS (from the gun) as KML (default:\n"
    "                KeelwayMap4.kml in the documents folder)\n"
    "  snapshot      draws the map at race clock SECONDS as the window shows it, with every\n"
    "                overlay, into a PNG (default: snapshot.png in the documents folder);\n"
    "                --size (default 1000x1000), --north-up or --wind-up (default: as the race\n"
    "                file says), --still for the still map with the whole course;\n"
    "                --page graph (course and speed against time) or analysis (sailed\n"
    "                distance against time) draws that page instead of the map (no --at)\n"
    "  video         replays the race into an H.264 MP4 (default: <race>.mp4 in the documents\n"
    "                folder), from --from to --to (default: the whole replay) at X seconds\n"
    "                of race per second of video (default 10), N frames a second (default\n"
    "                25), 1280x720 unless --size; Ctrl-C stops with a playable file\n"
    "\n"
    "  --data DIR    the data folder (raceadmin/, gpsdat/ ...); --root is the same. Default:\n"
    "                the program's folder in a build tree; for an installed program\n"
    "                $XDG_DATA_HOME/keelway (~/.local/share/keelway), filled with the demo\n"
    "                races on the first run\n"
    "  --race FILE   a race file in raceadmin/ (or a path); default: as the window chooses\n"
    "  --out PATH    the file to write\n"
    "  --json        (summary, check) print one JSON document instead of text\n"
    "  --mode et|ct  elapsed or corrected (handicap) time for a race with factors, whatever\n"
    "                the race file says\n"
    "  --help        this text\n"
    "\n"
    "Exit status: 0 done; 1 the output could not be written; 2 no boat to show (\"GPS file\n"
    "not exists.\"); 3 a value that does not convert, is out of range or is missing (\"file:\n"
    "message (line n)\" on stderr); 64 wrong usage.\n";

class CliHooks : public kw::LoadHooks {
 public:
  bool TrackProgress(int, int, const QString& text) override {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    return true;
  }
};

// Ctrl-C during a video: finish the file with the frames made so far.
volatile std::sig_atomic_t gStop = 0;
extern "C" void StopVideo(int) {
  gStop = 1;
}

int Usage(const QString& problem) {
  if (!problem.isEmpty())
    std::fprintf(stderr, "keelway-cli: %s\n", problem.toLocal8Bit().constData());
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

void Print(const QJsonObject& o) {
  const QByteArray doc = QJsonDocument(o).toJson(QJsonDocument::Indented);
  std::fwrite(doc.constData(), 1, static_cast<size_t>(doc.size()), stdout);
}

// The report is made whenever the race file reads, also when no boat loads: that is when race
// officers need it most.
int Check(kw::RaceSession& s, bool json) {
  kw::CheckReport report;
  kw::CheckHooks hooks(report, s.race);
  const kw::LoadOutcome o = kw::LoadRace(s, hooks);
  if (!o.notice.isEmpty()) std::fprintf(stderr, "%s\n", o.notice.toLocal8Bit().constData());
  kw::FinishCheck(report, s, o);
  if (o.status == kw::LoadOutcome::ConversionError && report.boats.empty()) {
    std::fprintf(stderr, "%s\n", o.error.Text().toLocal8Bit().constData());
    return kExitConversion;
  }
  if (json) {
    Print(kw::CheckJson(report, s));
  } else {
    std::fputs(kw::CheckText(report, s).toUtf8().constData(), stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The version, before anything else starts.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("keelway-cli %s\n", KEELWAY_VERSION);
    return 0;
  }
  // Pictures need fonts, and fonts need the GUI application; headless, on the offscreen
  // platform.
  std::unique_ptr<QCoreApplication> app;
  if (argc > 1 && (std::strcmp(argv[1], "snapshot") == 0 || std::strcmp(argv[1], "video") == 0)) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  static const QStringList kCommands = {"summary",      "check",    "report", "kml-race",
                                        "kml-snapshot", "snapshot", "video"};
  if (args.isEmpty() || !kCommands.contains(args.first()))
    return Usage(args.isEmpty() ? QStringLiteral("no command") : "unknown command " + args.first());
  const QString command = args.first();
  QString root;
  QString race, out, at, size, from, to, speed, fps, page, mode;
  bool json = false;
  kw::SnapshotOptions shot;
  const bool snapshot = command == QStringLiteral("snapshot");
  const bool video = command == QStringLiteral("video");
  const bool picture = snapshot || video;
  if (video) shot.width = 1280, shot.height = 720;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    QString* value = a == QStringLiteral("--root") || a == QStringLiteral("--data") ? &root
                     : a == QStringLiteral("--race")                                ? &race
                     : a == QStringLiteral("--out")                                 ? &out
                     : a == QStringLiteral("--at")                                  ? &at
                     : a == QStringLiteral("--size") && picture                     ? &size
                     : a == QStringLiteral("--from") && video                       ? &from
                     : a == QStringLiteral("--to") && video                         ? &to
                     : a == QStringLiteral("--speed") && video                      ? &speed
                     : a == QStringLiteral("--fps") && video                        ? &fps
                     : a == QStringLiteral("--page") && snapshot                    ? &page
                     : a == QStringLiteral("--mode") && command != "check"          ? &mode
                                                                                    : nullptr;
    const bool prints = command == QStringLiteral("summary") || command == QStringLiteral("check");
    if (a == QStringLiteral("--json") && prints) {
      json = true;
    } else if (picture && (a == QStringLiteral("--north-up") || a == QStringLiteral("--wind-up"))) {
      shot.northUp = a == QStringLiteral("--north-up") ? 1 : 0;
    } else if (picture && a == QStringLiteral("--still")) {
      shot.still = true;
    } else if (value && i + 1 < args.size() && (value != &out || !prints) &&
               (value != &at || command == "kml-snapshot" || snapshot)) {
      *value = args[++i];
    } else {
      return Usage("unknown option " + a);
    }
  }
  if (!page.isEmpty()) {
    static const QStringList kPages = {"track", "graph", "analysis"};
    shot.page = static_cast<int>(kPages.indexOf(page)) + 1;
    if (shot.page < 1) return Usage(QStringLiteral("--page wants track, graph or analysis"));
  }
  if (!mode.isEmpty() && mode != QStringLiteral("et") && mode != QStringLiteral("ct"))
    return Usage(QStringLiteral("--mode wants et or ct"));
  double atSeconds = 0;
  if (command == QStringLiteral("kml-snapshot") || (snapshot && shot.page == 1)) {
    bool ok = false;
    atSeconds = at.toDouble(&ok);
    if (!ok) return Usage(command + QStringLiteral(" needs --at SECONDS"));
    shot.at = atSeconds;
  }
  if (!size.isEmpty()) {
    const QStringList wh = size.split(QLatin1Char('x'));
    bool okW = false, okH = false;
    if (wh.size() == 2) {
      shot.width = wh[0].toInt(&okW);
      shot.height = wh[1].toInt(&okH);
    }
    // Big enough for the compass, the clock and the strip; small enough to allocate.
    if (!okW || !okH || shot.width < 200 || shot.height < 200 || shot.width > 10000 ||
        shot.height > 10000)
      return Usage(QStringLiteral("--size wants WxH, each 200 to 10000 pixels"));
    // H.264 halves the colour planes: a video's sides are even.
    if (video && (shot.width % 2 != 0 || shot.height % 2 != 0))
      return Usage(QStringLiteral("--size of a video wants even numbers"));
  }
  kw::VideoOptions film;
  for (auto [text, target, name] :
       {std::tuple{&speed, &film.speed, "--speed"}, std::tuple{&from, &film.from, "--from"},
        std::tuple{&to, &film.to, "--to"}}) {
    if (text->isEmpty()) continue;
    bool ok = false;
    *target = text->toDouble(&ok);
    if (!ok || !std::isfinite(*target))
      return Usage(QStringLiteral("%1 wants a number of seconds").arg(QLatin1String(name)));
  }
  if (!(film.speed > 0)) return Usage(QStringLiteral("--speed wants a number above 0"));
  if (!fps.isEmpty()) {
    bool ok = false;
    film.fps = fps.toInt(&ok);
    if (!ok || film.fps < 1 || film.fps > 120)
      return Usage(QStringLiteral("--fps wants 1 to 120 frames a second"));
  }

  const kw::DataFolderChoice data =
      kw::ChooseDataFolder(root, QCoreApplication::applicationDirPath(), kw::UserDataHome());
  if (!data.notice.isEmpty()) std::fprintf(stderr, "%s\n", data.notice.toLocal8Bit().constData());
  if (!data.error.isEmpty()) std::fprintf(stderr, "%s\n", data.error.toLocal8Bit().constData());
  kw::RaceSession s;
  s.race.ProgramFolder = data.folder;
  if (picture) {
    // The still map's scale comes from the map size at load.
    s.view.MapWidth = shot.width;
    s.view.MapHeight = shot.height;
  }
  const QString listNotice = kw::BuildRaceList(s.race);
  if (!listNotice.isEmpty()) std::fprintf(stderr, "%s\n", listNotice.toLocal8Bit().constData());
  kw::ChooseRaceFile(s.race);
  if (!race.isEmpty()) {
    const QString inAdmin = s.race.ProgramFolder + QStringLiteral("raceadmin/") + race;
    s.race.RaceFilePath =
        QFileInfo(inAdmin).isFile() ? inAdmin : QFileInfo(race).absoluteFilePath();
    s.race.RaceListIndex = kw::RaceListIndexOf(s.race);
  }
  if (command == QStringLiteral("check")) return Check(s, json);
  if (!mode.isEmpty()) {
    // As a click on the window's mode buttons: the choice wins over the race file's CT value.
    s.race.Controls.CtModeChecked = mode == QStringLiteral("ct");
    s.play.ModeChosenByUser = 1;
    s.play.FirstLoadDone = 1;
  }
  CliHooks hooks;
  const kw::LoadOutcome o = kw::LoadRace(s, hooks);
  if (!o.notice.isEmpty()) std::fprintf(stderr, "%s\n", o.notice.toLocal8Bit().constData());
  switch (o.status) {
    case kw::LoadOutcome::NoBoats:
      std::fprintf(stderr, "GPS file not exists.\n");
      return kExitNoBoats;
    case kw::LoadOutcome::ConversionError:
      std::fprintf(stderr, "%s\n", o.error.Text().toLocal8Bit().constData());
      return kExitConversion;
    default:
      break;
  }
  if (command == QStringLiteral("summary")) {
    if (json) {
      Print(kw::SummaryJson(s));
    } else {
      std::fputs(kw::SummaryText(s).toUtf8().constData(), stdout);
    }
    return 0;
  }

  // The documents go where the window puts them unless --out says otherwise.
  const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (out.isEmpty()) QDir().mkpath(docs);
  const char* defaultName = command == QStringLiteral("report")     ? "NoName.csv"
                            : command == QStringLiteral("kml-race") ? kw::kKmlRaceFileName
                            : snapshot                              ? "snapshot.png"
                                                                    : kw::kKmlSnapshotFileName;
  const QString defaultPath =
      docs + '/' +
      (video ? QFileInfo(s.race.RaceFilePath).completeBaseName() + QStringLiteral(".mp4")
             : QString::fromLatin1(defaultName));
  const QString path = out.isEmpty() ? defaultPath : QFileInfo(out).absoluteFilePath();
  if (video) {
    film.map = shot;
    if (from.isEmpty()) film.from = s.race.ClockFirst;
    if (to.isEmpty()) film.to = s.race.ClockLast;
    if (kw::VideoFrameCount(film) < 1)
      return Usage(QStringLiteral("the time range from %1 to %2 s holds no frame")
                       .arg(film.from)
                       .arg(film.to));
    std::signal(SIGINT, StopVideo);
    const QString why = kw::WriteVideo(s, film, path, &gStop);
    if (!why.isEmpty()) {
      std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
      return kExitWrite;
    }
    std::fprintf(stderr, "%s\n", path.toLocal8Bit().constData());
    return 0;
  }
  kw::WriteResult w;
  if (snapshot) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    kw::RenderSnapshot(s, shot).save(&buffer, "PNG");
    w = kw::WriteWholeFile(path,
                           std::string_view(png.constData(), static_cast<size_t>(png.size())));
  } else if (command == QStringLiteral("report")) {
    w = kw::WriteReport(s.race, s.passing, path);
    if (!w.ok) std::fprintf(stderr, "%s\n", kw::ReportLockedText().toLocal8Bit().constData());
  } else {
    kw::KmlOptions options;
    options.language = 2;  // English: the command line has no language flag
    if (command == QStringLiteral("kml-race")) {
      w = kw::WriteWholeFile(path, kw::KmlRaceDocument(s.race, options));
    } else {
      kw::ComputeBoatState(s.race, atSeconds, s.race.WindwardBearing, s.frame);
      s.play.RaceClock = atSeconds;
      w = kw::WriteWholeFile(path, kw::KmlSnapshotDocument(s.race, s.frame, atSeconds, options));
    }
  }
  if (!w.ok) {
    std::fprintf(stderr, "%s\n", w.message.toLocal8Bit().constData());
    return kExitWrite;
  }
  std::fprintf(stderr, "%s\n", path.toLocal8Bit().constData());
  return 0;
}
