// What a reader reports when a value does not convert: the file, the line (or byte offset) and a
// precise message. Shown as "file: message (line n)".
#pragma once

#include <QString>
#include <QStringList>

namespace kw {

struct ReadError {
  QString file;        // file name as the user knows it
  long long line = 0;  // 1-based line, or byte offset for binary files; 0 when not known
  QString message;
  bool byteOffset = false;

  QString Text() const {
    QString where = line > 0
                        ? QStringLiteral(" (%1 %2)")
                              .arg(byteOffset ? QStringLiteral("byte") : QStringLiteral("line"))
                              .arg(line)
                        : QString();
    return file + QStringLiteral(": ") + message + where;
  }
};

// What a writer reports; on failure `message` says why.
struct WriteResult {
  bool ok = true;
  QString message;
};

// Entries that did not fit the fixed tables, by what they are ("boats beyond 80" -> names).
// Reported once per load, naming what was ignored.
class CapacityNotes {
 public:
  void Add(const QString& what, const QString& item) {
    for (auto& e : entries_) {
      if (e.first == what) {
        e.second << item;
        return;
      }
    }
    entries_.push_back({what, QStringList{item}});
  }
  bool Empty() const { return entries_.empty(); }
  QString Text() const {
    QStringList parts;
    for (const auto& e : entries_) parts << e.first + QStringLiteral(": ") + e.second.join(", ");
    return QStringLiteral("Ignored (tables full): ") + parts.join("; ");
  }

 private:
  std::vector<std::pair<QString, QStringList>> entries_;
};

}  // namespace kw
