#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

#include "race/numbers.h"

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

bool WriteValenciaRace(const DataFolder& dir) {
  const QString src = RealDataDir() + "maxsail-analytics/";
  if (RealDataDir().isEmpty() || !QFileInfo::exists(src)) return false;
  QFile meta(src + "2025-06-21-ESP30782-P01-meta-data.json");
  if (!meta.open(QIODevice::ReadOnly)) return false;
  const QJsonObject m = QJsonDocument::fromJson(meta.readAll()).object();
  double b1[2] = {0, 0}, s1[2] = {0, 0};
  for (const QJsonValue& v : m["BALIZAS"].toArray()) {
    const QJsonObject o = v.toObject();
    double* p = o["nombre"].toString() == "B1" ? b1 : s1;
    p[0] = o["lat"].toDouble() * 60;
    p[1] = o["lon"].toDouble() * 60;
  }
  const int twd = m["TWD"].toInt();
  // A 100 m start and finish line through the start mark, square to the wind.
  const double a = (twd + 90) * std::acos(-1.0) / 180, half = 50.0 / 1852;
  const double c = std::cos(s1[0] / 60 * std::acos(-1.0) / 180);
  const double dLat = half * std::cos(a), dLon = half * std::sin(a) / c;
  auto f = [](double v) { return kw::ShortestReal(v); };
  std::string race =
      "T1,Valencia club race 1\nT2,2025/06/21  two dinghies\n"
      "ST,2025/06/21 13:24:00\nFT,2025/06/21 13:55:00\nTD,2\nBT,5\n"
      "WD," +
      std::to_string(twd) +
      "\nBN,esp29375.gpx,ESP29375\n"
      "BN,esp30782.gpx,ESP30782\nMK," +
      f(b1[0]) + "," + f(b1[1]) + "\nMK," + f(s1[0]) + "," + f(s1[1]) + "\nLN," + f(s1[0] - dLat) +
      "," + f(s1[1] - dLon) + "," + f(s1[0] + dLat) + "," + f(s1[1] + dLon) +
      "\nCRS,L1,MK1,MK2,MK1,L1\n";
  dir.Write("raceadmin/valencia.txt", race);
  for (const char* boat : {"ESP29375", "ESP30782"}) {
    QFile gpx(src + QStringLiteral("2025-06-21-%1-P01.gpx").arg(boat));
    if (!gpx.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = gpx.readAll();
    dir.Write(QStringLiteral("gpsdat/%1.gpx").arg(QString::fromLatin1(boat).toLower()),
              std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  }
  return true;
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
