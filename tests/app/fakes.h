// Fake platform services: nothing sounds, opens or waits; dialogs answer from a script.
#pragma once

#include <QStringList>

#include "app/qt_services.h"

namespace kwtest {

struct FakeSound : kw::Sound {
  int beeps = 0, guns = 0;
  void Beep() override { ++beeps; }
  void Gun() override { ++guns; }
};

struct FakeDialogs : kw::Dialogs {
  QStringList messages;
  bool answer = true;
  void Message(const QString&, const QString& text) override { messages << text; }
  bool Ask(const QString&, const QString& text) override {
    messages << text;
    return answer;
  }
};

struct FakeShell : kw::Shell {
  QStringList opened;
  bool Open(const QString& what) override {
    opened << what;
    return true;
  }
};

// Time stands still unless a test moves it; `step` moves it on every reading, so that a wait
// on the clock always ends.
struct FakeClock : kw::Clock {
  long long now = 0;
  long long step = 10;
  long long TickCount() override { return now += step; }
};

struct FakeServices {
  FakeSound sound;
  FakeDialogs dialogs;
  FakeShell shell;
  FakeClock clock;
  kw::Services services() { return {&sound, &dialogs, &shell, &clock}; }
};

}  // namespace kwtest
