#include "session/data_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <string>

#include "race/text.h"

namespace kw {

namespace {

QString WithSlash(const QString& folder) {
  const QString path = QDir(folder).absolutePath();
  return path.endsWith('/') ? path : path + '/';
}

}  // namespace

QString InstalledDemoFolder(const QString& programFolder) {
  const QString demo =
      QDir(programFolder).absoluteFilePath(QStringLiteral("../share/keelway/demo"));
  return QFileInfo(demo + QStringLiteral("/raceadmin")).isDir() ? QDir::cleanPath(demo) : QString();
}

QString UserDataHome() {
  const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg;
  return QDir::homePath() + QStringLiteral("/.local/share");
}

CopyOutcome CopyMissingFiles(const QString& from, const QString& to) {
  CopyOutcome out;
  const QDir source(from);
  QStringList files;
  QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) files << source.relativeFilePath(it.next());
  // The race files last: a copy cut short leaves no race folder, so the next run copies again.
  std::stable_partition(files.begin(), files.end(), [](const QString& f) {
    return !f.startsWith(QStringLiteral("raceadmin/"));
  });
  for (const QString& file : files) {
    const QString target = QDir(to).filePath(file);
    // A user's file is never replaced, even by the demo's file of the same name.
    if (QFileInfo::exists(target)) continue;
    std::string bytes;
    QString why;
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
      why = QStringLiteral("cannot create the folder");
    } else if (ReadWholeFile(source.filePath(file), bytes, &why)) {
      const WriteResult w = WriteWholeFile(target, bytes);
      if (w.ok) {
        ++out.copied;
        continue;
      }
      why = w.message;
    }
    // Stop at the first failure: the race folder, copied last, is then missing and the next
    // run copies again.
    out.error = target + QStringLiteral(": ") + why;
    break;
  }
  return out;
}

DataFolderChoice ChooseDataFolder(const QString& explicitFolder, const QString& programFolder,
                                  const QString& dataHome) {
  DataFolderChoice c;
  if (!explicitFolder.isEmpty()) {
    c.folder = WithSlash(explicitFolder);
    return c;
  }
  const QString demo = InstalledDemoFolder(programFolder);
  // The build tree (and any folder that carries its races beside the program) keeps them there.
  if (QFileInfo(QDir(programFolder).filePath(QStringLiteral("raceadmin"))).isDir() ||
      demo.isEmpty()) {
    c.folder = WithSlash(programFolder);
    return c;
  }
  c.folder = WithSlash(QDir(dataHome).filePath(QStringLiteral("keelway")));
  // The first run is the one that finds no race folder; later runs leave the folder as the
  // user keeps it.
  if (QFileInfo(c.folder + QStringLiteral("raceadmin")).isDir()) return c;
  const CopyOutcome copy = CopyMissingFiles(demo, c.folder);
  if (copy.copied > 0)
    c.notice = QStringLiteral("keelway copied its demo races into %1")
                   .arg(QDir::toNativeSeparators(QDir::cleanPath(c.folder)));
  if (!copy.error.isEmpty())
    c.error = QStringLiteral("Could not copy the demo races: ") + copy.error;
  return c;
}

}  // namespace kw
