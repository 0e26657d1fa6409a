// keelway: one instance per user; a second start raises the first window and exits.
#include <QApplication>
#include <QStandardPaths>

#include "app/qt_services.h"
#include "app/single_instance.h"
#include "app/tform1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("keelway"));
  QApplication::setApplicationDisplayName(QStringLiteral("keelway"));

  kw::SingleInstance instance;
  if (instance.RaiseOther()) return 0;
  instance.Listen();

  kw::QtSound sound;
  kw::QtShell shell;
  kw::QtClock clock;
  kw::QtDialogs dialogs(nullptr);
  kw::Services services{&sound, &dialogs, &shell, &clock};
  const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  kw::TForm1 form(services, QCoreApplication::applicationDirPath() + '/', docs);
  QObject::connect(&instance, &kw::SingleInstance::raiseRequested, &form, [&form] {
    form.showNormal();
    form.raise();
    form.activateWindow();
  });
  QObject::connect(&form, &kw::TForm1::programEnd, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  form.show();
  form.FormCreate();
  // Closed while the first race loaded: the event loop would never see the last window close.
  if (form.endRequested() || form.closed()) return 0;
  return app.exec();
}
