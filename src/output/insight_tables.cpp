#include "output/insight_tables.h"

#include <QString>

#include <cmath>

#include "analysis/mark_passing.h"
#include "analysis/wind_estimate.h"
#include "analysis/wind_used.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"

namespace kw {

namespace {

// A number rounded to `decimals` places (half to even) in its shortest text.
std::string Num(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return ShortestReal(RoundHalfEven(v * scale) / scale);
}

// A text cell: quoted when it holds a comma or a quote (boat names may).
std::string Cell(const std::string& raceBytes) {
  std::string text = DisplayText(raceBytes).toStdString();
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string ClassCell(const RaceData& race, int c) {
  return c >= 1 && c <= race.ClassCount ? Cell(race.ClassName[c]) : std::string();
}

void ManoeuvreRows(const RaceData& race, const BoatManoeuvres& bm, std::string& out) {
  const int b = bm.boat;
  for (const Manoeuvre& x : bm.list) {
    out += Cell(race.BoatTrackFile[b]) + ',' + Cell(race.BoatName[b]) + ',' + Num(x.t, 1) + ',' +
           ManoeuvreKindName(x.kind) + ',' + Num(x.lat / 60, 6) + ',' + Num(x.lon / 60, 6) + ',' +
           Num(x.end - x.start, 1) + ',' + Num(x.speedIn, 2) + ',' + Num(x.speedMin, 2) + ',' +
           Num(x.speedOut, 2) + ',' + Num(x.lossMetres, 1) + '\n';
  }
}

void LegRows(const RaceData& race, const BoatManoeuvres& bm, std::string& out) {
  const int b = bm.boat;
  for (const LegFigures& f : bm.legs) {
    out += Cell(race.BoatTrackFile[b]) + ',' + Cell(race.BoatName[b]) + ',' +
           std::to_string(f.leg) + ',' + Cell(race.CourseEntry[f.leg - 1]) + ',' +
           Cell(race.CourseEntry[f.leg]) + ',' + LegKindText(f.kind) + ',' + Num(f.seconds, 1) +
           ',' + Num(f.sailedMetres, 0) + ',' + Num(f.lengthMetres, 0) + ',' +
           Num(f.madeGoodKnots, 2) + ',' + Num(f.portSeconds, 0) + ',' +
           Num(f.starboardSeconds, 0) + ',' + Num(f.portMetres, 0) + ',' +
           Num(f.starboardMetres, 0) + ',' + std::to_string(f.tacks) + ',' +
           std::to_string(f.gybes) + ',' + Num(f.meanLossMetres, 1) + '\n';
  }
}

}  // namespace

const char* LegKindText(int kind) {
  return kind == 1 ? "UP" : kind == 2 ? "DN" : "-";
}

std::string ManoeuvresCsv(const RaceData& race, const std::vector<BoatManoeuvres>& boats,
                          const WindUsed& wind) {
  std::string out = "wind," + WindSourceText(race, wind) + "\n\n";
  out += "file,name,t,kind,lat,lon,durationSeconds,speedIn,speedMin,speedOut,lossMetres\n";
  for (size_t b = 1; b < boats.size(); ++b) ManoeuvreRows(race, boats[b], out);
  out +=
      "\nfile,name,leg,from,to,kind,seconds,sailedMetres,lengthMetres,vmgKnots,portSeconds,"
      "starboardSeconds,portMetres,starboardMetres,tacks,gybes,meanLossMetres\n";
  for (size_t b = 1; b < boats.size(); ++b) LegRows(race, boats[b], out);
  return out;
}

std::string PolarCsv(const RaceData& race, const std::vector<Polar>& polars, const WindUsed& wind) {
  std::string out = "wind," + WindSourceText(race, wind) + "\n\n";
  out += "name,file,class,windFrom,windTo,samples";
  for (int bin = 0; bin < kPolarBins; ++bin)
    out += ',' + std::to_string(bin * kPolarBinDegrees) + '-' +
           std::to_string((bin + 1) * kPolarBinDegrees);
  out += '\n';
  for (const Polar& p : polars) {
    for (const PolarBand& band : p.bands) {
      out += Cell(p.name) + ',' + (p.boat > 0 ? Cell(race.BoatTrackFile[p.boat]) : "") + ',' +
             ClassCell(race, p.boatClass) + ',' +
             (band.windFrom < 0 ? std::string() : Num(band.windFrom, 1)) + ',' +
             (band.windTo < 0 ? std::string() : Num(band.windTo, 1)) + ',' +
             std::to_string(band.Samples());
      for (int bin = 0; bin < kPolarBins; ++bin)
        out += ',' + (band.speed[bin] > 0 ? Num(band.speed[bin], 2) : std::string());
      out += '\n';
    }
  }
  return out;
}

bool TakeEstimateAsWindSeries(const WindEstimate& estimate, RaceData& race) {
  if (!estimate.enough || estimate.series.empty()) return false;
  const size_t n = estimate.series.size();
  race.WindTime.assign(n + 2, 0);
  race.WindSpeed.assign(n + 2, 0);
  race.WindDir.assign(n + 2, 0);
  for (size_t i = 0; i < n; ++i) {
    race.WindTime[i + 1] = estimate.series[i].t;
    race.WindDir[i + 1] = RoundInt(estimate.series[i].direction) % 360;
  }
  race.WindCount = static_cast<int>(n);
  race.WindSpeedMax = 0;
  return true;
}

}  // namespace kw
