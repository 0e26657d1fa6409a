#include "cli/options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cmath>
#include <tuple>

namespace kw {

namespace {

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
    "       keelway-cli html         [--data DIR] [--race FILE] [--out HTML] [--mode et|ct]\n"
    "       keelway-cli wind --estimate [--data DIR] [--race FILE] [--json] [--write]\n"
    "       keelway-cli manoeuvres   [--data DIR] [--race FILE] [--json] [--out CSV]\n"
    "       keelway-cli polar        [--data DIR] [--race FILE] [--boat FILE] [--out PNG|CSV]\n"
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
    "  html          writes the replay as one web page that any browser opens offline (default:\n"
    "                <race>.html in the documents folder); #t=SECONDS after its address opens\n"
    "                it paused at that race clock, #boat=FILE focuses a boat\n"
    "  wind          --estimate: the true wind direction estimated from the boats' tacks and\n"
    "                gybes, a value a minute with its confidence, and how far it is from\n"
    "                the race's wind file; --write keeps it as the race's wind file\n"
    "                (winddat/<race>_wind.csv, named on the race file's WF line; a file\n"
    "                replaced is kept as .bak)\n"
    "  manoeuvres    every boat's tacks, gybes, mark roundings and penalty turns with their\n"
    "                duration, speeds and metres lost, and its legs (VMG, time and distance\n"
    "                on each board); --out writes them as CSV\n"
    "  polar         boat speed against true wind angle (5-degree bins, 90th percentile) per\n"
    "                boat and class as CSV on stdout, or into --out (.csv, or .png for the\n"
    "                picture); --boat one boat (its track file) by wind speed\n"
    "\n"
    "  --data DIR    the data folder (raceadmin/, gpsdat/ ...); --root is the same. Default:\n"
    "                the program's folder in a build tree; for an installed program\n"
    "                $XDG_DATA_HOME/keelway (~/.local/share/keelway), filled with the demo\n"
    "                races on the first run\n"
    "  --race FILE   a race file in raceadmin/ (or a path); default: as the window chooses\n"
    "  --out PATH    the file to write\n"
    "  --json        (summary, check, wind, manoeuvres) print one JSON document instead of\n"
    "                text\n"
    "  --mode et|ct  elapsed or corrected (handicap) time for a race with factors, whatever\n"
    "                the race file says\n"
    "  --help        this text\n"
    "  --version     the program's name and version\n"
    "\n"
    "Exit status: 0 done; 1 the output could not be written; 2 no boat to show (\"GPS file\n"
    "not exists.\"); 3 a value that does not convert, is out of range or is missing (\"file:\n"
    "message (line n)\" on stderr); 64 wrong usage.\n";

// The commands as bits, so that an option can name the commands that take it.
enum : unsigned {
  kSummary = 1u << 0,
  kCheck = 1u << 1,
  kReport = 1u << 2,
  kKmlRace = 1u << 3,
  kKmlSnapshot = 1u << 4,
  kSnapshot = 1u << 5,
  kVideo = 1u << 6,
  kHtml = 1u << 7,
  kWind = 1u << 8,
  kManoeuvres = 1u << 9,
  kPolar = 1u << 10,
  kEveryCommand = (kPolar << 1) - 1,    // every bit up to the last command
  kPrints = kSummary | kCheck | kWind,  // print on stdout: nothing for --out
  kPictures = kSnapshot | kVideo,
};

struct CommandRow {
  const char* name;
  unsigned bit;
};
constexpr CommandRow kCommands[] = {{"summary", kSummary},
                                    {"check", kCheck},
                                    {"report", kReport},
                                    {"kml-race", kKmlRace},
                                    {"kml-snapshot", kKmlSnapshot},
                                    {"snapshot", kSnapshot},
                                    {"video", kVideo},
                                    {"html", kHtml},
                                    {"wind", kWind},
                                    {"manoeuvres", kManoeuvres},
                                    {"polar", kPolar}};

// Every option: its name (and the other name that means the same), the name of its value (none:
// a switch) and the commands that take it.
struct OptionRow {
  const char* name;
  const char* synonym;
  const char* valueName;
  unsigned commands;
};
constexpr OptionRow kOptions[] = {
    {"data", "root", "DIR", kEveryCommand},
    {"race", nullptr, "FILE", kEveryCommand},
    {"out", nullptr, "PATH", kEveryCommand & ~kPrints},
    {"json", nullptr, nullptr, kPrints | kManoeuvres},
    {"mode", nullptr, "et|ct", kEveryCommand & ~kCheck},
    {"at", nullptr, "SECONDS", kKmlSnapshot | kSnapshot},
    {"size", nullptr, "WxH", kPictures},
    {"north-up", nullptr, nullptr, kPictures},
    {"wind-up", nullptr, nullptr, kPictures},
    {"still", nullptr, nullptr, kPictures},
    {"page", nullptr, "track|graph|analysis", kSnapshot},
    {"from", nullptr, "SECONDS", kVideo},
    {"to", nullptr, "SECONDS", kVideo},
    {"speed", nullptr, "X", kVideo},
    {"fps", nullptr, "N", kVideo},
    {"estimate", nullptr, nullptr, kWind},
    {"write", nullptr, nullptr, kWind},
    {"boat", nullptr, "FILE", kPolar},
};

unsigned CommandBit(const QString& name) {
  for (const CommandRow& c : kCommands)
    if (name == QLatin1String(c.name)) return c.bit;
  return 0;
}

// The option `argument` names when written out in full ("--race"), among those `command` takes.
const OptionRow* OptionNamed(const QString& argument, unsigned command) {
  for (const OptionRow& o : kOptions) {
    if (!(o.commands & command)) continue;
    if (argument == QLatin1String("--") + QLatin1String(o.name) ||
        (o.synonym && argument == QLatin1String("--") + QLatin1String(o.synonym)))
      return &o;
  }
  return nullptr;
}

// The first argument after the command that is not one of the command's options written out in
// full, a valued one followed by its value (whatever that looks like). The parser alone would
// also take "--race=FILE", words after "--" and "-" forms; the program never did.
QString FirstStrayArgument(const QStringList& args, unsigned command) {
  for (qsizetype i = 1; i < args.size(); ++i) {
    const OptionRow* o = OptionNamed(args[i], command);
    if (!o || (o->valueName && i + 1 >= args.size())) return args[i];
    if (o->valueName) ++i;
  }
  return {};
}

QCommandLineOption ParserOption(const OptionRow& o) {
  QStringList names{QLatin1String(o.name)};
  if (o.synonym) names << QLatin1String(o.synonym);
  return o.valueName ? QCommandLineOption(names, QString(), QLatin1String(o.valueName))
                     : QCommandLineOption(names);
}

CliCommandLine Refusal(const QString& problem) {
  CliCommandLine line;
  line.action = CliCommandLine::Refused;
  line.problem = problem;
  return line;
}

// --page: the map (1), the graphs (2) or the analysis figures (3).
QString ReadPage(const QString& page, SnapshotOptions& shot) {
  if (page.isEmpty()) return {};
  static const QStringList kPages = {"track", "graph", "analysis"};
  shot.page = static_cast<int>(kPages.indexOf(page)) + 1;
  return shot.page < 1 ? QStringLiteral("--page wants track, graph or analysis") : QString();
}

// --at, wanted by kml-snapshot and by a snapshot of the map.
QString ReadAt(const QString& at, unsigned command, CliOptions& o) {
  if (command != kKmlSnapshot && !(command == kSnapshot && o.shot.page == 1)) return {};
  bool ok = false;
  o.at = at.toDouble(&ok);
  if (!ok) return o.command + QStringLiteral(" needs --at SECONDS");
  o.shot.at = o.at;
  return {};
}

// --size WxH: big enough for the compass, the clock and the strip; small enough to allocate.
QString ReadSize(const QString& size, unsigned command, SnapshotOptions& shot) {
  if (size.isEmpty()) return {};
  const QStringList wh = size.split(QLatin1Char('x'));
  bool okW = false, okH = false;
  if (wh.size() == 2) {
    shot.width = wh[0].toInt(&okW);
    shot.height = wh[1].toInt(&okH);
  }
  if (!okW || !okH || shot.width < 200 || shot.height < 200 || shot.width > 10000 ||
      shot.height > 10000)
    return QStringLiteral("--size wants WxH, each 200 to 10000 pixels");
  // H.264 halves the colour planes: a video's sides are even.
  if (command == kVideo && (shot.width % 2 != 0 || shot.height % 2 != 0))
    return QStringLiteral("--size of a video wants even numbers");
  return {};
}

// --speed, --from, --to (numbers of seconds, in that order) and --fps.
QString ReadFilm(const QCommandLineParser& parser, VideoOptions& film) {
  for (auto [name, target] : {std::tuple{"speed", &film.speed}, std::tuple{"from", &film.from},
                              std::tuple{"to", &film.to}}) {
    const QString text = parser.value(QLatin1String(name));
    if (text.isEmpty()) continue;
    bool ok = false;
    *target = text.toDouble(&ok);
    if (!ok || !std::isfinite(*target))
      return QStringLiteral("--%1 wants a number of seconds").arg(QLatin1String(name));
  }
  if (!(film.speed > 0)) return QStringLiteral("--speed wants a number above 0");
  const QString fps = parser.value(QStringLiteral("fps"));
  if (!fps.isEmpty()) {
    bool ok = false;
    film.fps = fps.toInt(&ok);
    if (!ok || film.fps < 1 || film.fps > 120)
      return QStringLiteral("--fps wants 1 to 120 frames a second");
  }
  return {};
}

// wind wants --estimate (the one thing it does so far); polar writes a picture or a table.
QString ReadInsight(const QCommandLineParser& parser, unsigned command, CliOptions& o) {
  o.estimate = parser.isSet(QStringLiteral("estimate"));
  o.write = parser.isSet(QStringLiteral("write"));
  o.boat = parser.value(QStringLiteral("boat"));
  if (command == kWind && !o.estimate) return QStringLiteral("wind needs --estimate");
  if (command == kPolar && !o.out.isEmpty() &&
      !o.out.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) &&
      !o.out.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
    return QStringLiteral("--out of polar wants a .png or a .csv file");
  return {};
}

// The values of a command line the parser has taken, checked in the program's order; the first
// problem found, or empty.
QString ReadValues(const QCommandLineParser& parser, unsigned command, CliOptions& o) {
  o.data = parser.value(QStringLiteral("data"));
  o.race = parser.value(QStringLiteral("race"));
  o.out = parser.value(QStringLiteral("out"));
  o.mode = parser.value(QStringLiteral("mode"));
  o.json = parser.isSet(QStringLiteral("json"));
  o.shot.still = parser.isSet(QStringLiteral("still"));
  for (const QString& name : parser.optionNames()) {  // the last of the two wins
    if (name == QLatin1String("north-up")) o.shot.northUp = 1;
    if (name == QLatin1String("wind-up")) o.shot.northUp = 0;
  }
  if (command == kVideo) o.shot.width = 1280, o.shot.height = 720;
  o.fromGiven = !parser.value(QStringLiteral("from")).isEmpty();
  o.toGiven = !parser.value(QStringLiteral("to")).isEmpty();
  if (QString why = ReadPage(parser.value(QStringLiteral("page")), o.shot); !why.isEmpty())
    return why;
  if (!o.mode.isEmpty() && o.mode != QLatin1String("et") && o.mode != QLatin1String("ct"))
    return QStringLiteral("--mode wants et or ct");
  if (QString why = ReadAt(parser.value(QStringLiteral("at")), command, o); !why.isEmpty())
    return why;
  if (QString why = ReadSize(parser.value(QStringLiteral("size")), command, o.shot); !why.isEmpty())
    return why;
  if (QString why = ReadInsight(parser, command, o); !why.isEmpty()) return why;
  return ReadFilm(parser, o.film);
}

}  // namespace

const char* CliUsageText() {
  return kUsage;
}

CliCommandLine ReadCliArguments(const QStringList& arguments) {
  const QStringList args = arguments.mid(1);
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h")))
    return {CliCommandLine::Help, {}, {}};
  if (args.contains(QStringLiteral("--version"))) return {CliCommandLine::Version, {}, {}};
  if (args.isEmpty()) return Refusal(QStringLiteral("no command"));
  const unsigned command = CommandBit(args.first());
  if (command == 0) return Refusal(QStringLiteral("unknown command ") + args.first());
  if (const QString stray = FirstStrayArgument(args, command); !stray.isEmpty())
    return Refusal(QStringLiteral("unknown option ") + stray);
  QCommandLineParser parser;
  for (const OptionRow& o : kOptions) parser.addOption(ParserOption(o));
  // What the parser could still refuse, the check above has refused already.
  if (!parser.parse(arguments)) return Refusal(parser.errorText());
  CliCommandLine line;
  line.options.command = args.first();
  line.problem = ReadValues(parser, command, line.options);
  if (!line.problem.isEmpty()) line.action = CliCommandLine::Refused;
  return line;
}

}  // namespace kw
