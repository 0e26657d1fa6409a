// keelway: one instance per user; a second start raises the first window and exits.
// `keelway --data DIR` opens the data folder DIR instead of the one chosen by default;
// `keelway --version` and `keelway --help` answer and exit.
#include <QApplication>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

#include "app/qt_services.h"
#include "app/single_instance.h"
#include "app/tform1.h"
#include "session/data_folder.h"

static const char* const kUsage = "Usage: keelway [--data DIR] [--version] [--help]\n";

int main(int argc, char** argv) {
  // Answered before the window system is opened, so that they work without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("keelway %s\n", KEELWAY_VERSION);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("keelway"));
  QApplication::setApplicationDisplayName(QStringLiteral("keelway"));

  QStringList args = QCoreApplication::arguments();
  QString dataFolder;
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--data") && i + 1 < args.size()) {
      dataFolder = args[++i];
    } else {
      std::fprintf(stderr, "keelway: unknown option %s\n%s", args[i].toLocal8Bit().constData(),
                   kUsage);
      return 64;
    }
  }

  kw::SingleInstance instance;
  if (instance.RaiseOther()) return 0;
  instance.Listen();

  kw::QtSound sound;
  kw::QtShell shell;
  kw::QtClock clock;
  kw::QtDialogs dialogs(nullptr);
  kw::Services services{&sound, &dialogs, &shell, &clock};
  const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const kw::DataFolderChoice data =
      kw::ChooseDataFolder(dataFolder, QCoreApplication::applicationDirPath(), kw::UserDataHome());
  for (const QString& text : {data.notice, data.error})
    if (!text.isEmpty()) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  kw::TForm1 form(services, data.folder, docs);
  // The first run tells on its cover where the demo races went.
  form.SetCoverNotice(data.error.isEmpty() ? data.notice : data.error);
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
