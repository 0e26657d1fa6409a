#include "app/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace kw {

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultName() {
  const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME", "user"));
  return QStringLiteral("TEST_MUTEX-") + user;
}

bool SingleInstance::RaiseOther() {
  QLocalSocket probe;
  probe.connectToServer(name_);
  if (!probe.waitForConnected(500)) return false;
  probe.write("raise\n");
  probe.waitForBytesWritten(500);
  probe.disconnectFromServer();
  return true;
}

bool SingleInstance::Listen() {
  server_ = new QLocalServer(this);
  QLocalServer::removeServer(name_);  // left behind by an instance that crashed
  if (!server_->listen(name_)) return false;
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_->nextPendingConnection()) {
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      emit raiseRequested();
    }
  });
  return true;
}

}  // namespace kw
