#include "race/racefile_save.h"

#include <QFileInfo>

#include <string>

#include "race/model.h"
#include "race/racefile.h"
#include "race/text.h"

namespace kw {

bool CourseChanged(const RaceData& r) {
  return CourseBlock(r, "\n") != r.CourseAsRead;
}

WriteResult KeepBackupOnce(const QString& path, QStringList& backedUp) {
  if (!QFileInfo(path).isFile()) return {};
  const QString canonical = QFileInfo(path).canonicalFilePath();
  if (backedUp.contains(canonical)) return {};
  std::string before;
  QString why;
  if (!ReadWholeFile(path, before, &why)) return {false, QStringLiteral("%1: %2").arg(path, why)};
  const WriteResult kept = WriteWholeFile(path + QStringLiteral(".bak"), before);
  if (!kept.ok) {
    return {false, QStringLiteral("No backup of %1 could be kept, so it was not rewritten: %2")
                       .arg(path, kept.message)};
  }
  backedUp << canonical;
  return {};
}

WriteResult SaveRaceFile(RaceData& r, QStringList& backedUp) {
  // A file that is missing or was not read to its end: the writer says what it does.
  if (!QFileInfo(r.RaceFilePath).isFile() || r.RaceFileReadFailed) return WriteRaceFile(r);
  const WriteResult kept = KeepBackupOnce(r.RaceFilePath, backedUp);
  if (!kept.ok) return kept;
  WriteResult w = WriteRaceFile(r);
  if (w.ok) r.CourseAsRead = CourseBlock(r, "\n");
  return w;
}

}  // namespace kw
