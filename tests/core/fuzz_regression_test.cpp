// Every input the fuzzers found (tests/fuzz_regressions/<reader>/) read again through its reader;
// the sanitizer build turns a fault back into a failure.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <string>

#include "fuzz/reader_input.h"

TEST(FuzzRegressions, FoundInputsReadCleanly) {
  const kwfuzz::Folder folder;
  const QString root = QStringLiteral(KEELWAY_SOURCE_DIR "/tests/fuzz_regressions/");
  int inputs = 0;
  for (const char* reader : kwfuzz::kReaders) {
    const QDir dir(root + reader);
    for (const QString& name : dir.entryList(QDir::Files)) {
      QFile f(dir.filePath(name));
      ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
      const QByteArray bytes = f.readAll();
      SCOPED_TRACE(std::string(reader) + "/" + name.toStdString());
      EXPECT_TRUE(kwfuzz::ReadInput(
          reader, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), folder));
      ++inputs;
    }
  }
  RecordProperty("inputs", inputs);
}
