#include "output/video_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include "output/video_encoder.h"

namespace kw {

namespace {

// The encoder module's entry point, loaded once and kept for the life of the program; null
// with the loader's reason when it cannot be had. Looked for beside the program (the build
// tree), then in the program's own library folder (installed: bin/../KEELWAY_MODULE_DIR).
struct LoadedModule {
  NewVideoEncoder make = nullptr;
  QString why;
};

LoadedModule LoadModule() {
  const QString dir = QCoreApplication::instance()
                          ? QCoreApplication::applicationDirPath()
                          : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
  LoadedModule m;
  for (const QString& path :
       {dir + QStringLiteral("/keelway_video"),
        QDir::cleanPath(dir + QStringLiteral("/../" KEELWAY_MODULE_DIR "/keelway_video"))}) {
    QLibrary module(path);
    if (!module.load()) {
      if (m.why.isEmpty()) m.why = module.errorString();
      continue;
    }
    m.make = reinterpret_cast<NewVideoEncoder>(module.resolve(kNewVideoEncoderSymbol));
    if (m.make) return m;
    m.why = module.errorString();
  }
  m.why = QStringLiteral("no video encoder (keelway_video): ") + m.why;
  return m;
}

}  // namespace

VideoWriter::VideoWriter() = default;
VideoWriter::~VideoWriter() = default;

bool VideoWriter::Open(const QString& path, int width, int height, int fps) {
  static const LoadedModule module = LoadModule();
  if (!module.make) {
    encoder_.reset();
    error_ = path + QStringLiteral(": ") + module.why;
    return false;
  }
  encoder_.reset(module.make());
  error_.clear();
  return encoder_->Open(path, width, height, fps);
}

bool VideoWriter::Add(const QImage& frame) {
  return encoder_ && encoder_->Add(frame);
}

bool VideoWriter::Finish() {
  return encoder_ && encoder_->Finish();
}

QString VideoWriter::error() const {
  return encoder_ ? encoder_->error() : error_;
}

int VideoWriter::frames() const {
  return encoder_ ? encoder_->frames() : 0;
}

}  // namespace kw
