// keelway-cli's program: the application object, the command line read, and the command run on
// a race loaded with the window's loading sequence. main() only calls these two.
#pragma once

#include <QCoreApplication>
#include <QStringList>

#include <memory>

#include "cli/options.h"

namespace kw {

// The application object keelway-cli needs, named "keelway-cli" with the project's version:
// snapshot, video and polar draw pictures, which need fonts and so the GUI application (on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise); the other commands need Qt Core
// only.
std::unique_ptr<QCoreApplication> MakeCliApplication(int& argc, char** argv);

// Reads the command line (the program's name first) and does what it asks: the usage text, the
// version, or the command. Returns the exit status (see CliUsageText).
int CliMain(const QStringList& arguments);

// Runs a command line already read; the exit status.
int RunCliCommand(const CliOptions& options);

}  // namespace kw
