// keelway-cli: the headless companion. Loads a race with the same loading sequence as the
// window and prints what it found, for race officers processing races in batch.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>

#include "cli/summary.h"
#include "race/loader.h"
#include "race/session.h"

namespace {

constexpr int kExitNoBoats = 2;
constexpr int kExitConversion = 3;
constexpr int kExitUsage = 64;

const char* kUsage =
    "Usage: keelway-cli summary [--root DIR] [--race FILE] [--json]\n"
    "\n"
    "Loads a race as keelway does and prints its summary: caption, times, boats, the boats\n"
    "dropped and why, the course and its legs, every boat's passing time at every course\n"
    "entry, finish ranks, the distance sailed per leg and the upwind/downwind sums.\n"
    "\n"
    "  --root DIR   the data folder (raceadmin/, gpsdat/ ...); default: the program's folder\n"
    "  --race FILE  a race file in raceadmin/ (or a path); default: as the window chooses\n"
    "  --json       print one JSON document instead of text\n"
    "  --help       this text\n"
    "\n"
    "Exit status: 0 loaded; 2 no boat to show (\"GPS file not exists.\"); 3 a value that does\n"
    "not convert (\"file: message (line n)\" on stderr); 64 wrong usage.\n";

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

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.isEmpty() || args.first() != QStringLiteral("summary"))
    return Usage(args.isEmpty() ? QStringLiteral("no command") : "unknown command " + args.first());
  QString root = QCoreApplication::applicationDirPath();
  QString race;
  bool json = false;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QStringLiteral("--json")) {
      json = true;
    } else if ((a == QStringLiteral("--root") || a == QStringLiteral("--race")) &&
               i + 1 < args.size()) {
      (a == QStringLiteral("--root") ? root : race) = args[++i];
    } else {
      return Usage("unknown option " + a);
    }
  }

  kw::RaceSession s;
  s.race.ProgramFolder = QDir(root).absolutePath() + '/';
  const QString listNotice = kw::BuildRaceList(s.race);
  if (!listNotice.isEmpty()) std::fprintf(stderr, "%s\n", listNotice.toLocal8Bit().constData());
  kw::ChooseRaceFile(s.race);
  if (!race.isEmpty()) {
    const QString inAdmin = s.race.ProgramFolder + QStringLiteral("raceadmin/") + race;
    s.race.RaceFilePath =
        QFileInfo(inAdmin).isFile() ? inAdmin : QFileInfo(race).absoluteFilePath();
    s.race.RaceListIndex = kw::RaceListIndexOf(s.race);
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
  if (json) {
    const QByteArray doc = QJsonDocument(kw::SummaryJson(s)).toJson(QJsonDocument::Indented);
    std::fwrite(doc.constData(), 1, static_cast<size_t>(doc.size()), stdout);
  } else {
    std::fputs(kw::SummaryText(s).toUtf8().constData(), stdout);
  }
  return 0;
}
