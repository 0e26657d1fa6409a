#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <string>

#include "race/text.h"
#include "session/data_folder.h"
#include "support/test_support.h"

using namespace kw;

namespace {

std::string Read(const QString& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

}  // namespace

// Which folder each kind of program uses: a build tree keeps the folder beside the executable,
// an installed program the user's data home, --data always wins.
TEST(DataFolder, ChosenByHowTheProgramRuns) {
  kwtest::DataFolder tree;  // a build tree: bin/ holds the races beside the executable
  tree.Write("bin/raceadmin/r.txt", "race");
  kwtest::DataFolder prefix;  // an installed program: bin/ and share/keelway/demo/
  prefix.Write("bin/keep", "");
  prefix.Write("share/keelway/demo/raceadmin/r.txt", "race");
  kwtest::DataFolder bare;  // neither: a lone executable keeps today's rule
  bare.Write("bin/keep", "");
  kwtest::DataFolder home;
  kwtest::DataFolder other;

  struct Case {
    const char* what;
    QString explicitFolder, programFolder, expected;
  } cases[] = {
      {"build tree", "", tree.path() + "bin", tree.path() + "bin/"},
      {"installed", "", prefix.path() + "bin", home.path() + "keelway/"},
      {"lone executable", "", bare.path() + "bin/", bare.path() + "bin/"},
      {"--data in a build tree", other.path(), tree.path() + "bin", other.path()},
      {"--data when installed", other.path() + "x/..", prefix.path() + "bin", other.path()},
  };
  for (const Case& c : cases) {
    const DataFolderChoice d = ChooseDataFolder(c.explicitFolder, c.programFolder, home.path());
    EXPECT_EQ(d.folder, c.expected) << c.what;
    EXPECT_TRUE(d.error.isEmpty()) << c.what;
  }
  EXPECT_EQ(InstalledDemoFolder(prefix.path() + "bin"),
            QDir::cleanPath(prefix.path() + "share/keelway/demo"));
  EXPECT_TRUE(InstalledDemoFolder(tree.path() + "bin").isEmpty());
}

// The first run of an installed program copies the demo into the user's folder and says so;
// a file the user already has is never replaced, and later runs copy nothing.
TEST(DataFolder, FirstRunCopiesTheDemoAndNeverOverwrites) {
  kwtest::DataFolder prefix;
  prefix.Write("bin/keep", "");
  prefix.Write("share/keelway/demo/raceadmin/r1.txt", "demo race");
  prefix.Write("share/keelway/demo/raceadmin/racefile.st", "r1.txt\n");
  prefix.Write("share/keelway/demo/gpsdat/a.gpx", "demo track");
  kwtest::DataFolder home;
  home.Write("keelway/gpsdat/a.gpx", "the user's own track");
  const QString user = home.path() + "keelway/";

  const DataFolderChoice first = ChooseDataFolder("", prefix.path() + "bin", home.path());
  EXPECT_EQ(first.folder, user);
  EXPECT_TRUE(first.notice.endsWith(QDir::toNativeSeparators(home.path() + "keelway")))
      << first.notice.toStdString();
  EXPECT_TRUE(first.error.isEmpty());
  EXPECT_EQ(Read(user + "raceadmin/r1.txt"), "demo race");
  EXPECT_EQ(Read(user + "raceadmin/racefile.st"), "r1.txt\n");
  EXPECT_EQ(Read(user + "gpsdat/a.gpx"), "the user's own track");

  // The user edits a race and deletes another file; the next run restores nothing.
  home.Write("keelway/raceadmin/r1.txt", "edited");
  QFile::remove(user + "raceadmin/racefile.st");
  const DataFolderChoice second = ChooseDataFolder("", prefix.path() + "bin", home.path());
  EXPECT_TRUE(second.notice.isEmpty());
  EXPECT_EQ(Read(user + "raceadmin/r1.txt"), "edited");
  EXPECT_FALSE(QFileInfo::exists(user + "raceadmin/racefile.st"));
}

// A copy that cannot write says which file and why, and leaves no race folder behind so that
// the next run tries again.
TEST(DataFolder, AFailedCopyIsReportedAndRetried) {
  kwtest::DataFolder prefix;
  prefix.Write("bin/keep", "");
  prefix.Write("share/keelway/demo/raceadmin/r1.txt", "demo race");
  prefix.Write("share/keelway/demo/gpsdat/a.gpx", "demo track");
  kwtest::DataFolder home;
  home.Write("keelway/gpsdat", "a file where a folder should be");
  const DataFolderChoice d = ChooseDataFolder("", prefix.path() + "bin", home.path());
  EXPECT_FALSE(d.error.isEmpty());
  EXPECT_TRUE(d.error.contains("a.gpx")) << d.error.toStdString();
  EXPECT_FALSE(QFileInfo::exists(home.path() + "keelway/raceadmin"));
  // Once the obstacle is gone, the next run copies the demo.
  QFile::remove(home.path() + "keelway/gpsdat");
  const DataFolderChoice again = ChooseDataFolder("", prefix.path() + "bin", home.path());
  EXPECT_TRUE(again.error.isEmpty());
  EXPECT_FALSE(again.notice.isEmpty());
  EXPECT_EQ(Read(home.path() + "keelway/raceadmin/r1.txt"), "demo race");
}
