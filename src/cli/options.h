// keelway-cli's command line: the commands, the options each takes and the checks of their
// values, read with QCommandLineParser. Every refusal keeps the program's own wording
// ("keelway-cli: unknown option --x" and the usage text, exit status 64).
#pragma once

#include <QString>
#include <QStringList>

#include "cli/snapshot.h"
#include "cli/video.h"

namespace kw {

// What a command line asks for. A value given as an empty text counts as not given.
struct CliOptions {
  QString command;  // summary, check, report, kml-race, kml-snapshot, snapshot, video, wind,
                    // manoeuvres or polar
  QString data;     // --data or --root (the last of either); empty: the default folder
  QString race;     // --race; empty: the race the window would open
  QString out;      // --out; empty: the default name in the documents folder
  QString mode;     // --mode: "et", "ct", or empty (as the race file says)
  QString boat;     // polar --boat: a boat's track file; empty: every boat
  bool json = false;
  bool estimate = false, write = false;  // wind --estimate [--write]
  double at = 0;  // --at (kml-snapshot, and snapshot of the map), seconds from the gun
  bool fromGiven = false, toGiven = false;  // video: otherwise the replay's whole clock range
  SnapshotOptions shot;  // snapshot and video: at, size, orientation, still map, page
  VideoOptions film;     // video: from, to, speed, fps (its map is `shot`, set after the load)
};

struct CliCommandLine {
  enum Action { Run, Help, Version, Refused };
  Action action = Run;
  CliOptions options;  // Run
  QString problem;     // Refused: what is wrong ("unknown option --x", "no command" ...)
};

// `arguments` as QCoreApplication::arguments() gives them, the program's name first. As ever,
// --help or -h anywhere (even where a value is expected) asks for the usage text; --version
// likewise for the name and version.
CliCommandLine ReadCliArguments(const QStringList& arguments);

// The usage text, as --help prints it and every refusal follows it.
const char* CliUsageText();

}  // namespace kw
