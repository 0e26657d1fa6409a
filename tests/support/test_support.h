// Helpers for tests: temporary data folders laid out like the program's, and small writers.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <ostream>
#include <string>
#include <string_view>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace kwtest {

// A temporary data folder with raceadmin/, gpsdat/, winddat/, attachment/ and ctrl/.
class DataFolder {
 public:
  DataFolder();
  QString path() const;  // ends in '/'
  // Writes bytes to a file under the folder (sub-folders created).
  void Write(const QString& relative, std::string_view bytes) const;
  std::string Read(const QString& relative) const;

 private:
  QTemporaryDir dir_;
};

// GPX text of n points starting at `utc` ("2007-05-12T01:00:00"), one every `step` seconds,
// moving north-east from (lat, lon) degrees.
std::string MakeGpx(int n, int year, int month, int day, int hour, int minute, int second,
                    int step = 2, double lat = 35.3, double lon = 139.48);

// The shared real-data folder, or empty when it is absent.
QString RealDataDir();

// A real two-dinghy club race (Valencia, 2025-06-21, race 1, watches at 1 Hz) written into
// `dir` as raceadmin/valencia.txt: the boats' own GPX files, the marks of the race's metadata,
// a 100 m start and finish line through the start mark square to the committee's wind, the
// course L1 MK1 MK2 MK1 L1. False when the real data is not there.
bool WriteValenciaRace(const DataFolder& dir);

// The demo folder of the source tree.
QString DemoDir();

// Text drawing needs a GUI application; one is made for the whole test run (offscreen unless
// the environment chose a platform). Does nothing when an application exists.
void EnsureGuiApp();

}  // namespace kwtest
