// Runs the keelway-cli built with the tests and collects what it printed.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace kwtest {

struct CliRun {
  int status = -1;  // -1: did not finish in time; -2: crashed
  QByteArray out, err;
};

inline CliRun Cli(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(KEELWAY_CLI), args);
  CliRun r;
  if (!p.waitForFinished(120000)) return r;
  r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  return r;
}

}  // namespace kwtest
