// Qt implementations of the platform services.
#pragma once

#include <memory>

#include "race/services.h"

class QWidget;
class QSoundEffect;

namespace kw {

class QtSound : public Sound {
 public:
  QtSound();
  ~QtSound() override;
  void Beep() override;
  void Gun() override;

 private:
  std::unique_ptr<QSoundEffect> gun_;
};

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}
  void Message(const QString& title, const QString& text) override;
  bool Ask(const QString& title, const QString& text) override;

 private:
  QWidget* parent_;
};

class QtShell : public Shell {
 public:
  bool Open(const QString& pathOrUrl) override;
};

class QtClock : public Clock {
 public:
  long long TickCount() override;
};

struct Services {
  Sound* sound;
  Dialogs* dialogs;
  Shell* shell;
  Clock* clock;
};

}  // namespace kw
