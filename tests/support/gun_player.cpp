// keelway_gun_player: fires the start gun through QtSound in a process of its own, for the sound
// tests. Qt's audio service connects to the sound server once per process, so every server the
// tests try (a null sink, none at all) needs a fresh process.
//
//   keelway_gun_player MS   beeps, fires the gun, and quits MS milliseconds later, printing
//                           "windows shown: N" (the top-level windows visible at the end)
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

#include "app/qt_services.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int lifetimeMs = argc > 1 ? std::atoi(argv[1]) : 1500;
  kw::QtSound sound;
  sound.Beep();
  sound.Gun();
  QTimer::singleShot(lifetimeMs, &app, &QCoreApplication::quit);
  const int status = QApplication::exec();
  int shown = 0;
  for (const QWidget* w : QApplication::topLevelWidgets()) shown += w->isVisible() ? 1 : 0;
  std::printf("windows shown: %d\n", shown);
  return status;
}
