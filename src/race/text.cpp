#include "race/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace kw {

QString DisplayText(std::string_view bytes) {
  QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  bool ascii = true;
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return QString::fromLatin1(view);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString s = utf8.decode(view);
  if (!utf8.hasError()) return s;
  QStringDecoder sjis("Shift_JIS");
  if (sjis.isValid()) {
    QString j = sjis.decode(view);
    if (!sjis.hasError()) return j;
  }
  return QString::fromLatin1(view);
}

bool ReadWholeFile(const QString& path, std::string& out, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = f.errorString();
    return false;
  }
  qint64 size = f.size();
  out.clear();
  if (size > 0) {
    out.resize(static_cast<size_t>(size));
    qint64 got = f.read(out.data(), size);
    if (got < 0) {
      if (error) *error = f.errorString();
      return false;
    }
    out.resize(static_cast<size_t>(got));
  }
  // Files of unknown size (pipes, some special files) are read to the end.
  if (!f.atEnd()) {
    QByteArray more = f.readAll();
    out.append(more.constData(), static_cast<size_t>(more.size()));
  }
  return true;
}

void FileBytes::Reserve(size_t n) {
  if (n <= capacity_) return;
  // Not cleared: every byte up to size_ is read into before it is looked at.
  std::unique_ptr<char[]> more(new char[n]);
  if (size_ > 0) std::copy(data_.get(), data_.get() + size_, more.get());
  data_ = std::move(more);
  capacity_ = n;
}

bool FileBytes::Read(const QString& path, QString* error) {
  size_ = 0;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = f.errorString();
    return false;
  }
  Reserve(static_cast<size_t>(std::max<qint64>(f.size(), 0)) + 1);
  // Files of unknown size (pipes, some special files) are read to the end.
  while (true) {
    if (size_ == capacity_) Reserve(capacity_ * 2);
    const qint64 got = f.read(data_.get() + size_, static_cast<qint64>(capacity_ - size_));
    if (got < 0) {
      if (error) *error = f.errorString();
      return false;
    }
    if (got == 0) break;
    size_ += static_cast<size_t>(got);
  }
  return true;
}

WriteResult WriteWholeFile(const QString& path, std::string_view bytes) {
  QSaveFile file(path);
  auto failed = [&] {
    return WriteResult{false, path + QStringLiteral(": ") + file.errorString()};
  };
  if (!file.open(QIODevice::WriteOnly)) return failed();
  if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
      static_cast<qint64>(bytes.size())) {
    file.cancelWriting();
    return failed();
  }
  if (!file.commit()) return failed();
  return {};
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    size_t e = end;
    if (e > start && text[e - 1] == '\r') --e;
    lines.push_back(text.substr(start, e - start));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return lines;
}

QString ResolveFile(const QString& folder, std::string_view name) {
  QString rel = DisplayText(name);
  rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (rel.isEmpty()) return {};
  QString exact = folder + rel;
  if (QFileInfo(exact).isFile()) return exact;
  // Walk the relative path one component at a time, matching each ignoring case.
  QString current = folder;
  const QStringList parts = rel.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (int i = 0; i < parts.size(); ++i) {
    const bool last = i == parts.size() - 1;
    QDir dir(current);
    const QStringList entries =
        dir.entryList(last ? QDir::Files | QDir::Hidden : QDir::Dirs | QDir::NoDotAndDotDot);
    QString found;
    for (const QString& e : entries) {
      if (e.compare(parts[i], Qt::CaseInsensitive) == 0) {
        found = e;
        break;
      }
    }
    if (found.isEmpty()) return {};
    current = current + found + (last ? QString() : QStringLiteral("/"));
  }
  return QFileInfo(current).isFile() ? current : QString();
}

}  // namespace kw
