// One running keelway per user: the first instance listens on a local socket named after
// "TEST_MUTEX" and the user; a second start asks it to raise its window, then ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace kw {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(const QString& name = DefaultName(), QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when another instance answered and was asked to raise its window.
  bool RaiseOther();
  // Becomes the running instance; false when the name cannot be taken.
  bool Listen();

  static QString DefaultName();

 signals:
  void raiseRequested();

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
};

}  // namespace kw
