// Platform services behind small interfaces, so that tests run offscreen, never wait on real
// time and never open real applications. The window supplies Qt implementations.
#pragma once

#include <QString>

namespace kw {

class Sound {
 public:
  virtual ~Sound() = default;
  virtual void Beep() = 0;
  virtual void Gun() = 0;  // the start and finish gun, played asynchronously
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void Message(const QString& title, const QString& text) = 0;  // OK
  virtual bool Ask(const QString& title, const QString& text) = 0;      // Yes/No
};

class Shell {
 public:
  virtual ~Shell() = default;
  virtual bool Open(const QString& pathOrUrl) = 0;  // opens with the desktop's default program
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual long long TickCount() = 0;  // milliseconds, monotonic
};

}  // namespace kw
