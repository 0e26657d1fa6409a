// keelway-cli: the headless companion. Loads a race with the same loading sequence as the
// window and prints what it found, for race officers processing races in batch. Everything but
// this function is the keelway_cli library (cli/run.h).
#include <QCoreApplication>

#include "cli/run.h"

int main(int argc, char** argv) {
  const std::unique_ptr<QCoreApplication> app = kw::MakeCliApplication(argc, argv);
  return kw::CliMain(QCoreApplication::arguments());
}
