// The demo simulator's truth beside its races: the wind it blew and every boat's tacks, gybes and
// roundings (demo/truth/, see its README), and loading a demo race as the programs do.
#pragma once

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "race/text.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

namespace kwtest {

inline const char* const kDemoRaces[] = {"enoshima-r1", "enoshima-coastal", "sagami-offshore"};

inline bool HasDemo() {
  std::string probe;
  return kw::ReadWholeFile(DemoDir() + "truth/enoshima-r1-wind.csv", probe);
}

// Every race file of the demo folder.
inline const QStringList kDemoRaceFiles = {"enoshima-r1.txt", "enoshima-coastal.txt",
                                           "sagami-offshore.txt", "enoshima-practice.txt"};

// Loads the demo folder's race file `file` ("enoshima-r1.txt").
inline bool LoadDemoFile(kw::RaceSession& s, const QString& file) {
  s.race.ProgramFolder = DemoDir();
  kw::BuildRaceList(s.race);
  kw::ChooseRaceFile(s.race);
  s.race.RaceFilePath = s.race.ProgramFolder + "raceadmin/" + file;
  kw::LoadHooks hooks;
  return kw::LoadRace(s, hooks).status == kw::LoadOutcome::Loaded;
}

inline bool LoadDemoRace(kw::RaceSession& s, const QString& stem) {
  return LoadDemoFile(s, stem + ".txt");
}

// The cells of a truth CSV, header line left out.
inline std::vector<QStringList> TruthRows(const QString& file) {
  std::vector<QStringList> rows;
  std::string text;
  if (!kw::ReadWholeFile(DemoDir() + "truth/" + file, text)) return rows;
  const auto lines = kw::SplitLines(text);
  for (size_t i = 1; i < lines.size(); ++i)
    rows.push_back(QString::fromUtf8(lines[i].data(), static_cast<qsizetype>(lines[i].size()))
                       .split(QLatin1Char(',')));
  return rows;
}

// The simulated wind: seconds from the gun -> direction in the race file's convention.
struct WindTruth {
  std::vector<double> t, direction;
  double At(double at) const {
    if (t.empty()) return 0;
    const size_t i = std::upper_bound(t.begin(), t.end(), at) - t.begin();
    if (i == 0) return direction.front();
    if (i >= t.size()) return direction.back();
    const double f = (at - t[i - 1]) / (t[i] - t[i - 1]);
    double d = direction[i] - direction[i - 1];
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return std::fmod(direction[i - 1] + f * d + 360.0, 360.0);
  }
};

inline WindTruth ReadWindTruth(const QString& stem) {
  WindTruth w;
  for (const QStringList& c : TruthRows(stem + "-wind.csv")) {
    if (c.size() < 4) continue;
    w.t.push_back(c[0].toDouble());
    w.direction.push_back(c[1].toDouble());
  }
  return w;
}

struct TrueManoeuvre {
  double t = 0;
  QString kind;       // tack, gybe, rounding
  double loss = 0;    // metres; tacks and gybes
  double window = 0;  // seconds the loss was counted over
};

// Track file -> its manoeuvres in time order.
inline std::map<std::string, std::vector<TrueManoeuvre>> ReadManoeuvreTruth(const QString& stem) {
  std::map<std::string, std::vector<TrueManoeuvre>> out;
  for (const QStringList& c : TruthRows(stem + "-manoeuvres.csv")) {
    if (c.size() < 7) continue;
    out[c[0].toStdString()].push_back({c[2].toDouble(), c[3], c[6].toDouble(), c[5].toDouble()});
  }
  return out;
}

}  // namespace kwtest
