#include "cli/run.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "analysis/boat_state.h"
#include "cli/check.h"
#include "cli/insight_commands.h"
#include "cli/snapshot.h"
#include "cli/summary.h"
#include "cli/video.h"
#include "output/html_page.h"
#include "output/kml.h"
#include "output/report.h"
#include "race/text.h"
#include "session/data_folder.h"
#include "session/loader.h"
#include "session/session.h"

namespace kw {

namespace {

constexpr int kExitWrite = 1;
constexpr int kExitNoBoats = 2;
constexpr int kExitConversion = 3;
constexpr int kExitUsage = 64;

class CliHooks : public LoadHooks {
 public:
  explicit CliHooks(bool pictures) : pictures_(pictures) {}
  bool TrackProgress(int, int, const QString& text) override {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    return true;
  }
  bool DrawsTracks() const override { return pictures_; }

 private:
  bool pictures_;
};

// Ctrl-C during a video: finish the file with the frames made so far.
volatile std::sig_atomic_t gStop = 0;
extern "C" void StopVideo(int) {
  gStop = 1;
}

int Usage(const QString& problem) {
  if (!problem.isEmpty())
    std::fprintf(stderr, "keelway-cli: %s\n", problem.toLocal8Bit().constData());
  std::fputs(CliUsageText(), stderr);
  return kExitUsage;
}

// A line on stderr.
void Line(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// A line on stderr when there is something to say (notices, a first run's copy).
void Say(const QString& text) {
  if (!text.isEmpty()) Line(text);
}

void Print(const QJsonObject& o) {
  const QByteArray doc = QJsonDocument(o).toJson(QJsonDocument::Indented);
  std::fwrite(doc.constData(), 1, static_cast<size_t>(doc.size()), stdout);
}

bool IsPicture(const CliOptions& o) {
  return o.command == QLatin1String("snapshot") || o.command == QLatin1String("video");
}

// The data folder and the race chosen as the window would, or as --data and --race say.
void ChooseRace(const CliOptions& o, RaceSession& s) {
  const DataFolderChoice data =
      ChooseDataFolder(o.data, QCoreApplication::applicationDirPath(), UserDataHome());
  Say(data.notice);
  Say(data.error);
  s.race.ProgramFolder = data.folder;
  if (IsPicture(o)) {
    // The still map's scale comes from the map size at load.
    s.view.MapWidth = o.shot.width;
    s.view.MapHeight = o.shot.height;
  }
  Say(BuildRaceList(s.race));
  ChooseRaceFile(s.race);
  if (!o.race.isEmpty()) {
    const QString inAdmin = s.race.ProgramFolder + QStringLiteral("raceadmin/") + o.race;
    s.race.RaceFilePath =
        QFileInfo(inAdmin).isFile() ? inAdmin : QFileInfo(o.race).absoluteFilePath();
    s.race.RaceListIndex = RaceListIndexOf(s.race);
  }
}

// The report is made whenever the race file reads, also when no boat loads: that is when race
// officers need it most.
int Check(RaceSession& s, bool json) {
  CheckReport report;
  CheckHooks hooks(report, s.race);
  const LoadOutcome o = LoadRace(s, hooks);
  Say(o.notice);
  FinishCheck(report, s, o);
  if (o.status == LoadOutcome::ConversionError && report.boats.empty()) {
    Line(o.error.Text());
    return kExitConversion;
  }
  if (json) {
    Print(CheckJson(report, s));
  } else {
    std::fputs(CheckText(report, s).toUtf8().constData(), stdout);
  }
  return 0;
}

// Loads the race for every command but check; 0 when it loaded, else the exit status.
int Load(const CliOptions& o, RaceSession& s) {
  if (!o.mode.isEmpty()) {
    // As a click on the window's mode buttons: the choice wins over the race file's CT value.
    s.race.Controls.CtModeChecked = o.mode == QLatin1String("ct");
    s.play.ModeChosenByUser = 1;
    s.play.FirstLoadDone = 1;
  }
  CliHooks hooks(IsPicture(o));
  const LoadOutcome loaded = LoadRace(s, hooks);
  Say(loaded.notice);
  switch (loaded.status) {
    case LoadOutcome::NoBoats:
      std::fprintf(stderr, "GPS file not exists.\n");
      return kExitNoBoats;
    case LoadOutcome::ConversionError:
      Line(loaded.error.Text());
      return kExitConversion;
    default:
      return 0;
  }
}

// Where a command writes: --out, else its default name in the documents folder, which is made
// when missing.
QString OutputPath(const CliOptions& o, const RaceSession& s) {
  const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!o.out.isEmpty()) return QFileInfo(o.out).absoluteFilePath();
  QDir().mkpath(docs);
  if (o.command == QLatin1String("video") || o.command == QLatin1String("html"))
    return docs + '/' + QFileInfo(s.race.RaceFilePath).completeBaseName() +
           (o.command == QLatin1String("html") ? QStringLiteral(".html") : QStringLiteral(".mp4"));
  const char* name = o.command == QLatin1String("report")     ? "NoName.csv"
                     : o.command == QLatin1String("kml-race") ? kKmlRaceFileName
                     : o.command == QLatin1String("snapshot") ? "snapshot.png"
                                                              : kKmlSnapshotFileName;
  return docs + '/' + QString::fromLatin1(name);
}

int MakeVideo(const CliOptions& o, RaceSession& s, const QString& path) {
  VideoOptions film = o.film;
  film.map = o.shot;
  if (!o.fromGiven) film.from = s.race.ClockFirst;
  if (!o.toGiven) film.to = s.race.ClockLast;
  if (VideoFrameCount(film) < 1)
    return Usage(QStringLiteral("the time range from %1 to %2 s holds no frame")
                     .arg(film.from)
                     .arg(film.to));
  std::signal(SIGINT, StopVideo);
  const QString why = WriteVideo(s, film, path, &gStop);
  if (!why.isEmpty()) {
    Line(why);
    return kExitWrite;
  }
  Line(path);
  return 0;
}

// The snapshot's PNG, the report or a KML document, written whole into `path`.
WriteResult WriteDocument(const CliOptions& o, RaceSession& s, const QString& path) {
  if (o.command == QLatin1String("snapshot")) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    RenderSnapshot(s, o.shot).save(&buffer, "PNG");
    return WriteWholeFile(path, std::string_view(png.constData(), static_cast<size_t>(png.size())));
  }
  if (o.command == QLatin1String("report")) {
    const WriteResult w = WriteReport(s.race, s.passing, path);
    if (!w.ok) Line(ReportLockedText());
    return w;
  }
  if (o.command == QLatin1String("html"))
    return WriteWholeFile(path, HtmlPageDocument(s.race, s.view, s.passing));
  KmlOptions options;
  options.language = 2;  // English: the command line has no language flag
  if (o.command == QLatin1String("kml-race"))
    return WriteWholeFile(path, KmlRaceDocument(s.race, options));
  ComputeBoatState(s.race, o.at, s.race.WindwardBearing, s.frame);
  s.play.RaceClock = o.at;
  return WriteWholeFile(path, KmlSnapshotDocument(s.race, s.frame, o.at, options));
}

}  // namespace

std::unique_ptr<QCoreApplication> MakeCliApplication(int& argc, char** argv) {
  std::unique_ptr<QCoreApplication> app;
  if (argc > 1 && (std::strcmp(argv[1], "snapshot") == 0 || std::strcmp(argv[1], "video") == 0 ||
                   std::strcmp(argv[1], "polar") == 0)) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  QCoreApplication::setApplicationName(QStringLiteral("keelway-cli"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KEELWAY_VERSION));
  return app;
}

int CliMain(const QStringList& arguments) {
  const CliCommandLine line = ReadCliArguments(arguments);
  switch (line.action) {
    case CliCommandLine::Help:
      std::fputs(CliUsageText(), stdout);
      return 0;
    case CliCommandLine::Version:
      std::printf("%s %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(),
                  QCoreApplication::applicationVersion().toLocal8Bit().constData());
      return 0;
    case CliCommandLine::Refused:
      return Usage(line.problem);
    case CliCommandLine::Run:
      break;
  }
  return RunCliCommand(line.options);
}

int RunCliCommand(const CliOptions& o) {
  RaceSession s;
  ChooseRace(o, s);
  if (o.command == QLatin1String("check")) return Check(s, o.json);
  if (const int status = Load(o, s); status != 0) return status;
  if (IsInsightCommand(o)) return RunInsightCommand(o, s);
  if (o.command == QLatin1String("summary")) {
    if (o.json) {
      Print(SummaryJson(s));
    } else {
      std::fputs(SummaryText(s).toUtf8().constData(), stdout);
    }
    return 0;
  }
  const QString path = OutputPath(o, s);
  if (o.command == QLatin1String("video")) return MakeVideo(o, s, path);
  const WriteResult w = WriteDocument(o, s, path);
  if (!w.ok) {
    Line(w.message);
    return kExitWrite;
  }
  Line(path);
  return 0;
}

}  // namespace kw
