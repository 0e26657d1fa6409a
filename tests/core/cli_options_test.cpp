// keelway-cli's command line read in the test process (the keelway_cli library): what each
// command takes, the values' checks with the program's own messages, and --version.
#include <gtest/gtest.h>

#include <QStringList>

#include "cli/options.h"
#include "support/cli_run.h"

namespace {

using kw::CliCommandLine;

CliCommandLine Read(const QStringList& args) {
  return kw::ReadCliArguments(QStringList{QStringLiteral("keelway-cli")} + args);
}

// The problem a refused command line names ("" when it was not refused).
std::string Refusal(const QStringList& args) {
  const CliCommandLine line = Read(args);
  return line.action == CliCommandLine::Refused ? line.problem.toStdString() : std::string();
}

}  // namespace

TEST(CliOptions, HelpAndVersionAnywhere) {
  for (const QStringList& args : {QStringList{"--help"},
                                  {"-h"},
                                  {"summary", "--help"},
                                  {"bogus", "-h"},
                                  {"summary", "--race", "--help"},
                                  {"--version", "--help"}})
    EXPECT_EQ(Read(args).action, CliCommandLine::Help) << args.join(' ').toStdString();
  for (const QStringList& args :
       {QStringList{"--version"}, {"summary", "--version"}, {"bogus", "--version"}})
    EXPECT_EQ(Read(args).action, CliCommandLine::Version) << args.join(' ').toStdString();
  // Only the long name: the parser's own -v and --help-all are not the program's.
  EXPECT_EQ(Refusal({"-v"}), "unknown command -v");
  EXPECT_EQ(Refusal({"summary", "--help-all"}), "unknown option --help-all");
}

TEST(CliOptions, CommandsAndTheirOptions) {
  EXPECT_EQ(Refusal({}), "no command");
  EXPECT_EQ(Refusal({"Summary"}), "unknown command Summary");
  EXPECT_EQ(Refusal({"--data", "d", "summary"}), "unknown command --data");
  // Each option only for the commands that take it.
  EXPECT_EQ(Refusal({"summary", "--out", "x"}), "unknown option --out");
  EXPECT_EQ(Refusal({"check", "--mode", "et"}), "unknown option --mode");
  EXPECT_EQ(Refusal({"report", "--json"}), "unknown option --json");
  EXPECT_EQ(Refusal({"summary", "--at", "5"}), "unknown option --at");
  EXPECT_EQ(Refusal({"kml-race", "--still"}), "unknown option --still");
  EXPECT_EQ(Refusal({"video", "--page", "graph"}), "unknown option --page");
  EXPECT_EQ(Refusal({"snapshot", "--fps", "5"}), "unknown option --fps");
  // --data (or --root) and --race for every command; --at and --page together for snapshot only.
  for (const char* command :
       {"summary", "check", "report", "kml-race", "kml-snapshot", "snapshot", "video"}) {
    QStringList args{command, "--root", "d", "--race", "r.txt"};
    if (QString(command).contains("snapshot"))
      args << "--at"
           << "1";
    const CliCommandLine line = Read(args);
    ASSERT_EQ(line.action, CliCommandLine::Run) << command;
    EXPECT_EQ(line.options.command, command);
    EXPECT_EQ(Read({command, "--at", "5", "--page", "graph"}).action == CliCommandLine::Run,
              std::string(command) == "snapshot")
        << command;
  }
}

TEST(CliOptions, OnlyOptionsWrittenOutInFullWithTheirValues) {
  // The first argument that is not an option of the command, whatever comes after it.
  EXPECT_EQ(Refusal({"summary", "--data=d"}), "unknown option --data=d");
  EXPECT_EQ(Refusal({"summary", "--json=1"}), "unknown option --json=1");
  EXPECT_EQ(Refusal({"summary", "-json"}), "unknown option -json");
  EXPECT_EQ(Refusal({"summary", "-"}), "unknown option -");
  EXPECT_EQ(Refusal({"summary", "--", "--json"}), "unknown option --");
  EXPECT_EQ(Refusal({"summary", "extra", "--bogus"}), "unknown option extra");
  EXPECT_EQ(Refusal({"summary", "--bogus", "--mode", "xx"}), "unknown option --bogus");
  EXPECT_EQ(Refusal({"summary", "--race"}), "unknown option --race");
  EXPECT_EQ(Refusal({"summary", "--race", "a", "--root"}), "unknown option --root");
  // A value is the next argument, whatever it looks like.
  const CliCommandLine dashes = Read({"summary", "--race", "--json", "--data", "--"});
  ASSERT_EQ(dashes.action, CliCommandLine::Run);
  EXPECT_EQ(dashes.options.race, "--json");
  EXPECT_EQ(dashes.options.data, "--");
  EXPECT_FALSE(dashes.options.json);
}

TEST(CliOptions, TheLastValueWinsAndRootIsData) {
  CliCommandLine line = Read({"summary", "--data", "a", "--root", "b", "--json", "--json"});
  ASSERT_EQ(line.action, CliCommandLine::Run);
  EXPECT_EQ(line.options.data, "b");
  EXPECT_TRUE(line.options.json);
  line = Read({"snapshot", "--at", "1", "--root", "a", "--data", "c", "--north-up", "--wind-up"});
  EXPECT_EQ(line.options.data, "c");
  EXPECT_EQ(line.options.shot.northUp, 0);
  line = Read({"snapshot", "--at", "1", "--wind-up", "--north-up", "--still"});
  EXPECT_EQ(line.options.shot.northUp, 1);
  EXPECT_TRUE(line.options.shot.still);
  EXPECT_EQ(Read({"snapshot", "--at", "1"}).options.shot.northUp, -1);
}

TEST(CliOptions, ValuesAreCheckedInTheProgramsOrder) {
  EXPECT_EQ(Refusal({"snapshot", "--page", "GRAPH"}), "--page wants track, graph or analysis");
  EXPECT_EQ(Refusal({"snapshot", "--page", "bad", "--size", "1x1"}),
            "--page wants track, graph or analysis");
  EXPECT_EQ(Refusal({"summary", "--mode", "ET"}), "--mode wants et or ct");
  EXPECT_EQ(Refusal({"kml-snapshot", "--mode", "xx"}), "--mode wants et or ct");
  EXPECT_EQ(Refusal({"kml-snapshot", "--at", "abc"}), "kml-snapshot needs --at SECONDS");
  EXPECT_EQ(Refusal({"snapshot", "--page", "track"}), "snapshot needs --at SECONDS");
  EXPECT_EQ(Refusal({"snapshot", "--at", "q", "--size", "1x1"}), "snapshot needs --at SECONDS");
  EXPECT_EQ(Refusal({"snapshot", "--at", "5", "--size", "300X300"}),
            "--size wants WxH, each 200 to 10000 pixels");
  EXPECT_EQ(Refusal({"video", "--size", "301x300"}), "--size of a video wants even numbers");
  EXPECT_EQ(Refusal({"video", "--from", "y", "--speed", "x"}), "--speed wants a number of seconds");
  EXPECT_EQ(Refusal({"video", "--to", "inf"}), "--to wants a number of seconds");
  EXPECT_EQ(Refusal({"video", "--speed", "-1"}), "--speed wants a number above 0");
  EXPECT_EQ(Refusal({"video", "--fps", "2.5"}), "--fps wants 1 to 120 frames a second");
}

TEST(CliOptions, WhatAGoodCommandLineCarries) {
  CliCommandLine line = Read({"video", "--from", "10", "--fps", "50", "--speed", "2.5"});
  ASSERT_EQ(line.action, CliCommandLine::Run);
  const kw::CliOptions& v = line.options;
  EXPECT_EQ(v.shot.width, 1280);
  EXPECT_EQ(v.shot.height, 720);
  EXPECT_TRUE(v.fromGiven);
  EXPECT_FALSE(v.toGiven);
  EXPECT_EQ(v.film.from, 10);
  EXPECT_EQ(v.film.speed, 2.5);
  EXPECT_EQ(v.film.fps, 50);
  line = Read({"snapshot", "--page", "graph", "--at", "x", "--size", "400x300"});
  ASSERT_EQ(line.action, CliCommandLine::Run);  // the pages want no --at
  EXPECT_EQ(line.options.shot.page, 2);
  EXPECT_EQ(line.options.shot.width, 400);
  line = Read({"kml-snapshot", "--at", "600", "--mode", "ct", "--out", "k.kml"});
  ASSERT_EQ(line.action, CliCommandLine::Run);
  EXPECT_EQ(line.options.at, 600);
  EXPECT_EQ(line.options.mode, "ct");
  EXPECT_EQ(line.options.out, "k.kml");
  // An empty value is no value.
  line = Read({"snapshot", "--page", "", "--at", "1", "--mode", "", "--size", ""});
  ASSERT_EQ(line.action, CliCommandLine::Run);
  EXPECT_EQ(line.options.shot.page, 1);
  EXPECT_EQ(line.options.shot.width, 1000);
}

TEST(CliOptions, VersionAndHelpOfTheProgram) {
  const kwtest::CliRun version = kwtest::Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, QByteArray("keelway-cli " KEELWAY_VERSION "\n"));
  const kwtest::CliRun help = kwtest::Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.contains("  --help        this text\n"));
  EXPECT_TRUE(help.out.contains("  --version     the program's name and version\n"));
  const kwtest::CliRun refused = kwtest::Cli({"summary", "--data=x"});
  EXPECT_EQ(refused.status, 64);
  EXPECT_TRUE(refused.err.startsWith("keelway-cli: unknown option --data=x\nUsage: keelway-cli"));
}
