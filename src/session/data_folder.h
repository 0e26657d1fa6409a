// Where the data folder (raceadmin/, gpsdat/ ...) is. A program run from its build tree keeps
// the folder beside the executable, where the build copies the demo. An installed program
// keeps its data in the user's own writable folder and fills it with the installed demo on its
// first run. `--data DIR` overrides both.
#pragma once

#include <QString>

namespace kw {

struct DataFolderChoice {
  QString folder;  // absolute, ending in '/'
  QString notice;  // what the first run did ("keelway copied its demo races into ..."), or empty
  QString error;   // why the first-run copy failed, or empty; the folder is still the one chosen
};

// `explicitFolder`: the --data value, empty when not given. `programFolder`: the executable's
// folder. `dataHome`: the user's data home ($XDG_DATA_HOME, else ~/.local/share).
DataFolderChoice ChooseDataFolder(const QString& explicitFolder, const QString& programFolder,
                                  const QString& dataHome);

// The demo an installed program brings (<prefix>/share/keelway/demo beside <prefix>/bin), or
// an empty text when there is none.
QString InstalledDemoFolder(const QString& programFolder);

// $XDG_DATA_HOME when set and absolute, else ~/.local/share.
QString UserDataHome();

struct CopyOutcome {
  int copied = 0;
  QString error;  // the file that could not be copied and why; empty when none failed
};
// Copies every file under `from` to the same place under `to` unless `to` has it already,
// the race files (raceadmin/) last; stops at the first file that cannot be copied.
CopyOutcome CopyMissingFiles(const QString& from, const QString& to);

}  // namespace kw
