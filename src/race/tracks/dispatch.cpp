#include "race/tracks/dispatch.h"

#include <QFileInfo>

#include <algorithm>

#include "race/model.h"
#include "race/text.h"
#include "race/tracks/readers.h"

namespace kw {

namespace {

// Content sniffers: whether a file whose extension no reader takes shows itself as a format.
// Looking at the head (the first megabyte) is enough: the formats that sniff show themselves
// early.
bool LooksLikeGpx(std::string_view head) {
  for (size_t p = head.find('<'); p != std::string_view::npos; p = head.find('<', p + 1)) {
    if (p + 4 <= head.size() && (head[p + 1] | 0x20) == 'g' && (head[p + 2] | 0x20) == 'p' &&
        (head[p + 3] | 0x20) == 'x')
      return true;
  }
  return false;
}

bool LooksLikeNmea(std::string_view head) {
  for (size_t p = head.find('$'); p != std::string_view::npos; p = head.find('$', p + 1)) {
    if (p + 6 <= head.size() && head[p + 3] == 'R' && head[p + 4] == 'M' && head[p + 5] == 'C')
      return true;
  }
  return false;
}

using TrackReaderFunction = TrackReadResult (*)(std::string_view data, const QString& fileName,
                                                TrackStore& store);

// The track readers: one row per format, the only place that ties a format to its file names,
// its content and its reader.
//   name        the format's name for the fuzz harness and tests/fuzz_regressions/<name>/
//   extensions  the last three characters of a file name, lower-case ("" fills the row)
//   sniff       how a file with an extension no row takes shows itself as this format; rows
//               are asked in table order (GPX before NMEA); null: never by content
//   read        the reader (readers.h)
struct TrackReaderRow {
  TrackFormat format;
  std::string_view name;
  std::string_view extensions[2];
  bool (*sniff)(std::string_view head);
  TrackReaderFunction read;
};

constexpr TrackReaderRow kTrackReaders[] = {
    {TrackFormat::Gpx, "gpx", {"gpx", ""}, LooksLikeGpx, ReadGpx},
    {TrackFormat::Trb, "trb", {"trb", ""}, nullptr, ReadTrb},
    {TrackFormat::Gdb, "gdb", {"gdb", ""}, nullptr, ReadGdb},
    {TrackFormat::Mps, "mps", {"mps", ""}, nullptr, ReadMps},
    {TrackFormat::Trl, "trl", {"trl", ""}, nullptr, ReadTrl},
    {TrackFormat::TextTrack, "text_track", {"dtr", "trk"}, nullptr, ReadTextTrack},
    {TrackFormat::Nmea, "nmea", {"log", ""}, LooksLikeNmea, ReadNmea},
};

const TrackReaderRow* RowOf(TrackFormat format) {
  for (const TrackReaderRow& row : kTrackReaders)
    if (row.format == format) return &row;
  return nullptr;
}

}  // namespace

TrackFormat FormatOfName(const QString& fileName) {
  const QString ext = fileName.right(3).toLower();
  for (const TrackReaderRow& row : kTrackReaders) {
    for (std::string_view e : row.extensions) {
      if (!e.empty() && ext == QLatin1String(e.data(), static_cast<qsizetype>(e.size())))
        return row.format;
    }
  }
  return TrackFormat::None;
}

TrackFormat FormatOfContent(std::string_view data) {
  const std::string_view head = data.substr(0, 1 << 20);
  for (const TrackReaderRow& row : kTrackReaders)
    if (row.sniff && row.sniff(head)) return row.format;
  return TrackFormat::None;
}

TrackFormat FormatNamed(std::string_view name) {
  for (const TrackReaderRow& row : kTrackReaders)
    if (row.name == name) return row.format;
  return TrackFormat::None;
}

TrackReadResult ReadTrackData(TrackFormat format, std::string_view data, const QString& fileName,
                              TrackStore& store) {
  const TrackReaderRow* row = RowOf(format);
  return row ? row->read(data, fileName, store) : TrackReadResult{};
}

namespace {

// The file named in the race file, read whole, and the reader it takes. False when there is
// nothing to parse: no such file (fileFound stays false), or a read that failed (the error).
bool OpenTrackFile(const QString& folder, const std::string& file, LoadTrackResult& result,
                   FileBytes& bytes, QString& name, TrackFormat& format) {
  const QString path = ResolveFile(folder, file);
  if (path.isEmpty()) return false;
  result.fileFound = true;
  name = QFileInfo(path).fileName();
  QString why;
  if (!bytes.Read(path, &why)) {
    result.ok = false;
    result.error = {name, 0, why};
    return false;
  }
  format = FormatOfName(name);
  if (format == TrackFormat::None) format = FormatOfContent(bytes.view());
  result.formatKnown = format != TrackFormat::None;
  return true;
}

// What the storing rules counted, and the quality of the n samples kept when asked.
void CountStored(const TrackStore& store, int n, bool assess, LoadTrackResult& result) {
  result.why.outsideWindow = store.outsideWindow();
  result.recordsRead = store.offered() + result.why.Total() - result.why.outsideWindow;
  result.anyFix = store.offered() > 0;
  result.firstFix = store.firstOffered();
  result.lastFix = store.lastOffered();
  if (assess) result.quality = AssessTrack(store.times(), store.lats(), store.lons(), n);
  // A file no reader takes reads nothing and leaves the zoom alone.
  result.resetsZoom = result.formatKnown && n < 100 && store.rules().resetsZoom;
}

}  // namespace

LoadTrackResult ReadBoatTrack(RaceData& r, int boatNumber,
                              const std::function<void()>& processEvents, bool assess) {
  LoadTrackResult result;
  const int row = boatNumber - r.DroppedBoatCount;
  // Moved down even when the file is missing or unreadable: otherwise the row would keep the
  // name and settings of the boat that was there before.
  if (r.DroppedBoatCount > 0) CompactBoat(r, boatNumber, row);
  r.BoatSampleCount[row] = 0;
  r.BoatSkippedRecords[row] = 0;
  FileBytes bytes;
  QString name;
  TrackFormat format = TrackFormat::None;
  if (!OpenTrackFile(r.ProgramFolder + QStringLiteral("gpsdat/"), r.BoatTrackFile[row], result,
                     bytes, name, format))
    return result;
  TrackStore store(r, row);
  if (processEvents) store.SetEventPump(processEvents);
  static_cast<TrackReadResult&>(result) = ReadTrackData(format, bytes.view(), name, store);
  const int n = store.Finish();
  r.BoatSkippedRecords[row] = result.skipped;
  CountStored(store, n, assess, result);
  ApplyCorrectedTime(r, row);
  return result;
}

TrackJob JobOf(const RaceData& r, int boatNumber, bool assess) {
  TrackJob job;
  job.folder = r.ProgramFolder + QStringLiteral("gpsdat/");
  job.file = r.BoatTrackFile[boatNumber];
  job.settings = SettingsOf(r, boatNumber);
  job.factor = r.BoatFactor[boatNumber];
  job.correctedTimeMode = r.CorrectedTimeMode;
  job.assess = assess;
  return job;
}

PreparedTrack ReadTrackJob(const TrackJob& job, FileBytes& bytes) {
  PreparedTrack p;
  LoadTrackResult& result = p.result;
  QString name;
  TrackFormat format = TrackFormat::None;
  if (!OpenTrackFile(job.folder, job.file, result, bytes, name, format)) return p;
  TrackStore store(job.settings, p.buffer);
  static_cast<TrackReadResult&>(result) = ReadTrackData(format, bytes.view(), name, store);
  const int n = store.Finish();
  p.stored = true;
  CountStored(store, n, job.assess, result);
  ApplyCorrectedTime(p.buffer.time, n, job.factor, job.correctedTimeMode);
  return p;
}

LoadTrackResult CommitTrack(RaceData& r, int boatNumber, PreparedTrack&& p) {
  const int row = boatNumber - r.DroppedBoatCount;
  if (r.DroppedBoatCount > 0) CompactBoat(r, boatNumber, row);
  r.BoatSampleCount[row] = 0;
  r.BoatSkippedRecords[row] = 0;
  if (!p.stored) return std::move(p.result);
  TrackBuffer& b = p.buffer;
  const size_t capacity = b.time.size();
  r.TrackTime[row] = std::move(b.time);
  r.TrackLat[row] = std::move(b.lat);
  r.TrackLon[row] = std::move(b.lon);
  r.TrackSpeed[row].resize(capacity);
  r.TrackSpeed[row].Zero();
  r.TrackCourse[row].resize(capacity);
  r.TrackCourse[row].Zero();
  r.BoatSampleCount[row] = b.count;
  r.BoatSampleInterval[row] = b.interval;
  r.BoatSkippedRecords[row] = p.result.skipped;
  return std::move(p.result);
}

}  // namespace kw
