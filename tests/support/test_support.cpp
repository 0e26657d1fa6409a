#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

namespace kwtest {

DataFolder::DataFolder() {
  for (const char* sub : {"raceadmin", "gpsdat", "winddat", "attachment", "ctrl"}) {
    QDir(dir_.path()).mkpath(QString::fromLatin1(sub));
  }
}

QString DataFolder::path() const {
  return dir_.path() + '/';
}

void DataFolder::Write(const QString& relative, std::string_view bytes) const {
  const QString full = path() + relative;
  QDir().mkpath(QFileInfo(full).absolutePath());
  QFile f(full);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string DataFolder::Read(const QString& relative) const {
  QFile f(path() + relative);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QByteArray b = f.readAll();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

std::string MakeGpx(int n, int year, int month, int day, int hour, int minute, int second, int step,
                    double lat, double lon) {
  std::string s =
      "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\">\n<trk><trkseg>\n";
  long long t0 = hour * 3600LL + minute * 60 + second;
  char buf[200];
  for (int i = 0; i < n; ++i) {
    long long t = t0 + static_cast<long long>(i) * step;
    int d = day + static_cast<int>(t / 86400);
    t %= 86400;
    std::snprintf(
        buf, sizeof buf,
        "<trkpt lat=\"%.6f\" "
        "lon=\"%.6f\"><ele>0</ele><time>%04d-%02d-%02dT%02lld:%02lld:%02lldZ</time></trkpt>\n",
        lat + i * 0.00001, lon + i * 0.00001, year, month, d, t / 3600, t / 60 % 60, t % 60);
    s += buf;
  }
  s += "</trkseg></trk>\n</gpx>\n";
  return s;
}

QString RealDataDir() {
#ifdef KEELWAY_REALDATA_DIR
  QDir d(QStringLiteral(KEELWAY_REALDATA_DIR));
  if (d.exists()) return d.absolutePath() + '/';
#endif
  return {};
}

QString DemoDir() {
  return QStringLiteral(KEELWAY_SOURCE_DIR "/demo/");
}

void EnsureGuiApp() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "keelway_tests";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

}  // namespace kwtest
