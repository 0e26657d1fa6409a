// keelway: one instance per user; a second start raises the first window and exits.
#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include "app/qt_services.h"
#include "app/tform1.h"

namespace {

QString InstanceName() {
  QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME", "user"));
  return QStringLiteral("TEST_MUTEX-") + user;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("keelway"));
  QApplication::setApplicationDisplayName(QStringLiteral("keelway"));

  const QString name = InstanceName();
  {
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(500)) {
      probe.write("raise\n");
      probe.waitForBytesWritten(500);
      probe.disconnectFromServer();
      return 0;
    }
  }
  QLocalServer server;
  QLocalServer::removeServer(name);  // left behind by a crashed instance
  server.listen(name);

  kw::QtSound sound;
  kw::QtShell shell;
  kw::QtClock clock;
  kw::QtDialogs dialogs(nullptr);
  kw::Services services{&sound, &dialogs, &shell, &clock};
  QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  kw::TForm1 form(services, QCoreApplication::applicationDirPath() + '/', docs);
  QObject::connect(&server, &QLocalServer::newConnection, &form, [&] {
    while (QLocalSocket* s = server.nextPendingConnection()) {
      QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      form.showNormal();
      form.raise();
      form.activateWindow();
    }
  });
  QObject::connect(&form, &kw::TForm1::programEnd, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  form.show();
  form.FormCreate();
  if (form.endRequested()) return 0;
  return app.exec();
}
