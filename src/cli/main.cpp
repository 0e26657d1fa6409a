// keelway-cli: the headless companion. Loads a race with the same loading sequence as the
// window and prints what it found, for race officers processing races in batch.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>

#include <cstdio>

#include "analysis/boat_state.h"
#include "cli/check.h"
#include "cli/summary.h"
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
    "\n"
    "  --data DIR    the data folder (raceadmin/, gpsdat/ ...); --root is the same. Default:\n"
    "                the program's folder in a build tree; for an installed program\n"
    "                $XDG_DATA_HOME/keelway (~/.local/share/keelway), filled with the demo\n"
    "                races on the first run\n"
    "  --race FILE   a race file in raceadmin/ (or a path); default: as the window chooses\n"
    "  --out PATH    the file to write\n"
    "  --json        (summary, check) print one JSON document instead of text\n"
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
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  static const QStringList kCommands = {"summary", "check", "report", "kml-race", "kml-snapshot"};
  if (args.isEmpty() || !kCommands.contains(args.first()))
    return Usage(args.isEmpty() ? QStringLiteral("no command") : "unknown command " + args.first());
  const QString command = args.first();
  QString root;
  QString race, out, at;
  bool json = false;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    QString* value = a == QStringLiteral("--root") || a == QStringLiteral("--data") ? &root
                     : a == QStringLiteral("--race")                                ? &race
                     : a == QStringLiteral("--out")                                 ? &out
                     : a == QStringLiteral("--at")                                  ? &at
                                                                                    : nullptr;
    const bool prints = command == QStringLiteral("summary") || command == QStringLiteral("check");
    if (a == QStringLiteral("--json") && prints) {
      json = true;
    } else if (value && i + 1 < args.size() && (value != &out || !prints) &&
               (value != &at || command == "kml-snapshot")) {
      *value = args[++i];
    } else {
      return Usage("unknown option " + a);
    }
  }
  double atSeconds = 0;
  if (command == QStringLiteral("kml-snapshot")) {
    bool ok = false;
    atSeconds = at.toDouble(&ok);
    if (!ok) return Usage(QStringLiteral("kml-snapshot needs --at SECONDS"));
  }

  const kw::DataFolderChoice data =
      kw::ChooseDataFolder(root, QCoreApplication::applicationDirPath(), kw::UserDataHome());
  if (!data.notice.isEmpty()) std::fprintf(stderr, "%s\n", data.notice.toLocal8Bit().constData());
  if (!data.error.isEmpty()) std::fprintf(stderr, "%s\n", data.error.toLocal8Bit().constData());
  kw::RaceSession s;
  s.race.ProgramFolder = data.folder;
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
                                                                    : kw::kKmlSnapshotFileName;
  const QString path = out.isEmpty() ? docs + '/' + QString::fromLatin1(defaultName)
                                     : QFileInfo(out).absoluteFilePath();
  kw::WriteResult w;
  if (command == QStringLiteral("report")) {
    w = kw::WriteReport(s.race, s.passing, path);
    if (!w.ok) std::fprintf(stderr, "%s\n", kw::ReportLockedText().toLocal8Bit().constData());
  } else {
    kw::KmlOptions options;
    options.language = s.play.Language;
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
