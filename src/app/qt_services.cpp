#include "app/qt_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QSoundEffect>
#include <QUrl>

// keelway_app is a static library and nothing refers to the object rcc makes of its .qrc, so the
// linker leaves the sounds out of the program unless they are registered by name. The macro
// declares a function and cannot stand inside a namespace.
static void RegisterSounds() {
  Q_INIT_RESOURCE(keelway);
}

namespace kw {

QtSound::QtSound() {
  RegisterSounds();
}
QtSound::~QtSound() = default;

void QtSound::Beep() {
  QApplication::beep();
}

void QtSound::Gun() {
  // Created on first use: without an audio device the effect simply stays silent.
  if (!gun_) {
    gun_ = std::make_unique<QSoundEffect>();
    gun_->setSource(QUrl(QStringLiteral("qrc:/sounds/gun.wav")));
  }
  gun_->play();
}

void QtDialogs::Message(const QString& title, const QString& text) {
  QMessageBox::information(parent_, title, text, QMessageBox::Ok);
}

bool QtDialogs::Ask(const QString& title, const QString& text) {
  return QMessageBox::question(parent_, title, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

bool QtShell::Open(const QString& pathOrUrl) {
  QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl) : QUrl(pathOrUrl);
  return QDesktopServices::openUrl(url);
}

long long QtClock::TickCount() {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

}  // namespace kw
