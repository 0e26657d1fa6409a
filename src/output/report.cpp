#include "output/report.h"

#include <QDir>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "analysis/mark_passing.h"
#include "race/datetime.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/services.h"
#include "race/text.h"

namespace kw {

namespace {

constexpr double kMetresPerMile = 1852.0;
constexpr double kNotPassedLimit = 999999;
constexpr const char* kEol = "\r\n";

bool Passed(double t) {
  return t < kNotPassedLimit;
}

std::string Signed(double v, std::string text) {
  return v > 0 ? "+" + text : text;
}

const char* KindCell(int kind) {
  return kind == 1 ? "(UP)" : kind == 2 ? "(DN)" : "";
}

// The caption normally is the title line of the race file: write its bytes unchanged, like the
// boat names, so that the whole report is in one code page.
std::string CaptionBytes(const RaceData& r) {
  if (!r.RaceTitle.empty() && r.RaceCaption == DisplayText(r.RaceTitle)) return r.RaceTitle;
  return r.RaceCaption.toStdString();
}

class ReportWriter {
 public:
  ReportWriter(const RaceData& r, const PassingResults& p) : r_(r), p_(p) {
    // The passing tables were sized when the race was loaded; a course edited since then reaches
    // the report only after a reload, so never read beyond them.
    n_ = std::clamp(std::min(r.CourseCount, p.EntryCount), 0, kMaxCourse);
    size_t rows = std::min({p.MarkPassTime.size(), p.LegSailedDistance.size(), p.UpTime.size(),
                            p.DownTime.size(), p.UpDistance.size(), p.DownDistance.size()});
    boats_ = std::clamp(r.BoatCount, 0, std::max(0, static_cast<int>(rows) - 2));
    boats_ = std::min({boats_, static_cast<int>(r.BoatName.size()) - 1,
                       static_cast<int>(r.BoatFactor.size()) - 1});
    boats_ = std::max(boats_, 0);
    if (n_ > 0) {
      for (size_t b = 0; b < static_cast<size_t>(boats_) + 1; ++b) {
        if (p.MarkPassTime[b].size() < static_cast<size_t>(n_) + 1 ||
            p.LegSailedDistance[b].size() < static_cast<size_t>(n_) + 1) {
          n_ = 0;
          break;
        }
      }
      if (std::min({p.LegKind.size(), p.LegLength.size(), p.LegBearing.size()}) <
          static_cast<size_t>(n_) + 1)
        n_ = 0;
    }
    corrected_ = r.CorrectedTimeMode > 0;
    for (int k = 1; k <= n_ - 1; ++k) {
      if (p.LegKind[k] == 1) upCourse_ += p.LegLength[k] / kMetresPerMile;
      if (p.LegKind[k] == 2) downCourse_ += p.LegLength[k] / kMetresPerMile;
    }
    // Position at each entry: equal times share a rank and the next rank is skipped.
    rank_.assign(static_cast<size_t>(boats_) + 1, std::vector<int>(static_cast<size_t>(n_) + 1));
    for (int b = 1; b <= boats_; ++b) {
      for (int j = 1; j <= n_; ++j) {
        int rank = 1;
        for (int c = 1; c <= boats_; ++c)
          if (Pass(c, j) < Pass(b, j)) ++rank;
        rank_[b][j] = rank;
      }
    }
    // The best boat: the earliest finisher, the lower number among equal times.
    double limit = 1000000;
    for (int b = 1; b <= boats_; ++b) {
      if (Finish(b) < limit && Finish(b) > 0) {
        limit = Finish(b);
        best_ = b;
      }
    }
  }

  std::string Build() {
    Header();
    LegTimes();
    Positions();
    CourseLengths();
    SailedDistances();
    BoatSpeeds();
    Summary();
    Comparison();
    return std::move(out_);
  }

 private:
  double Pass(int b, int j) const { return p_.MarkPassTime[b][j]; }
  double Sailed(int b, int k) const { return p_.LegSailedDistance[b][k]; }
  double LegTime(int b, int k) const { return k == 1 ? Pass(b, 2) : Pass(b, k + 1) - Pass(b, k); }
  double Finish(int b) const { return n_ >= 1 ? Pass(b, n_) : NotPassed; }
  double Distance(int b) const { return n_ >= 1 ? Sailed(b, n_) : 0; }

  // The best boat's values, or the row of zeros when no boat finished.
  double RefPass(int j) const { return best_ > 0 ? Pass(best_, j) : 0; }
  double RefSailed(int k) const { return best_ > 0 ? Sailed(best_, k) : 0; }
  double RefLegTime(int k) const { return k == 1 ? RefPass(2) : RefPass(k + 1) - RefPass(k); }
  double RefFinish() const { return best_ > 0 ? Finish(best_) : 0; }
  double RefDistance() const { return best_ > 0 ? Distance(best_) : 0; }
  // A best boat that missed a mark has no time on the legs touching it: nothing to compare with.
  bool RefLegKnown(int k) const {
    return best_ == 0 || (Passed(RefPass(k + 1)) && (k == 1 || Passed(RefPass(k))));
  }

  static double Knots(double metres, double seconds) {
    return metres / seconds * 3600 / kMetresPerMile;
  }

  void Line(const std::string& text) { out_.append(text).append(kEol); }
  void Blank(int count = 1) {
    for (int i = 0; i < count; ++i) Line(" ");
  }
  std::string Name(int b) const { return r_.BoatName[b]; }
  std::string EntryName(int j) const { return r_.CourseEntry[j - 1]; }

  // ",from->to" per leg.
  std::string LegHeaders() const {
    std::string s;
    for (int k = 1; k <= n_ - 1; ++k)
      s += "," + (k == 1 ? std::string("ST") : EntryName(k)) + "->" + EntryName(k + 1);
    return s;
  }
  std::string KindRow(bool extraCell = false) const {
    std::string s = extraCell ? "," : "";
    for (int k = 1; k <= n_ - 1; ++k) s += std::string(",") + KindCell(p_.LegKind[k]);
    return s;
  }
  void TableHead(const char* title, const char* total) {
    Blank(2);
    Line(title);
    Line(KindRow());
    Line("Boat Name" + LegHeaders() + "," + total);
  }

  void Header() {
    if (corrected_) Line("NOTE: All data related \"time\" including BSP are corrected by TCC/TMF");
    Line(CaptionBytes(r_));
    Line("Start Time," + FormatDateTime(r_.StartTime));
    Line("Mean Wind Dir," + std::to_string(r_.WindwardBearing) + " deg");
    Blank();
  }

  void LegTimes() {
    Line("Time by each leg (Sec)");
    Line(KindRow(corrected_));
    Line(std::string("Boat Name") + (corrected_ ? ",TCC/TMF" : "") + LegHeaders() +
         ",Total(A),,Sail Dist(B),BSP(C=B/A),,Start Time");
    for (int b = 1; b <= boats_; ++b) {
      std::string s = Name(b);
      if (corrected_) s += "," + GeneralNumber(r_.BoatFactor[b]);
      for (int k = 1; k <= n_ - 1; ++k) {
        const double t = LegTime(b, k);
        s += "," + (t <= 0 || !Passed(Pass(b, k + 1)) ? std::string("-") : WholeCell(t));
      }
      const double f = Finish(b), d = Distance(b);
      const bool finished = f > 0 && Passed(f);
      s += "," + (finished ? WholeCell(f) : std::string("-"));
      s += ",";
      s += "," + (d > 0 ? FourPlaceCell(d / kMetresPerMile) : std::string("-"));
      // A finish at or before the gun gives no speed (it would divide by zero or less).
      s += "," + (finished && d > 0 ? FourPlaceCell(Knots(d, f)) : std::string("-"));
      if (n_ >= 1) {
        const double start = Pass(b, 1);
        if (start > 0) s += ", ," + (Passed(start) ? WholeCell(start) : std::string("-"));
      }
      Line(s);
    }
  }

  void Positions() {
    Blank(2);
    Line("Position by each Mark/Line");
    std::string head = "Boat Name";
    for (int j = 1; j <= n_; ++j)
      head += "," + (j == 1    ? std::string("START")
                     : j == n_ ? std::string("FINISH")
                               : EntryName(j));
    Line(head);
    for (int b = 1; b <= boats_; ++b) {
      std::string s = Name(b);
      for (int j = 1; j <= n_; ++j)
        s += "," + (Passed(Pass(b, j)) ? std::to_string(rank_[b][j]) : std::string("-"));
      Line(s);
    }
  }

  void CourseLengths() {
    Blank(2);
    Line("Course Length by each leg (N Miles)");
    Line("Line/Mark" + LegHeaders() + ",Total(A)");
    std::string kinds = "Point of sail";
    for (int k = 1; k <= n_ - 1; ++k) kinds += std::string(",") + KindCell(p_.LegKind[k]);
    Line(kinds + ",,,UP_DIST,DN_DIST");
    std::string length = "Length";
    for (int k = 1; k <= n_; ++k) length += "," + FourPlaceCell(p_.LegLength[k] / kMetresPerMile);
    Line(length + ",," + GeneralNumber(upCourse_) + "," + GeneralNumber(downCourse_));
    std::string brg = "BRG(deg/Mag)";
    for (int k = 1; k <= n_ - 1; ++k) {
      double m = p_.LegBearing[k] - r_.MagneticVariation;
      if (m < 0) m += 360;
      if (m > 360) m -= 360;
      brg += "," + IntegerPartCell(m);
    }
    Line(brg + ",-");
  }

  void SailedDistances() {
    TableHead("Sailed Distance by each leg (N Miles)", "Total(B)");
    for (int b = 1; b <= boats_; ++b) {
      std::string s = Name(b);
      for (int k = 1; k <= n_; ++k) {
        const double d = Sailed(b, k);
        s += "," + (d > 0 ? FourPlaceCell(d / kMetresPerMile) : std::string("-"));
      }
      Line(s);
    }
  }

  void BoatSpeeds() {
    TableHead("Boat speed by each leg (KTS)", "Ave(C)");
    for (int b = 1; b <= boats_; ++b) {
      std::string s = Name(b);
      for (int k = 1; k <= n_ - 1; ++k) {
        const double t = LegTime(b, k), d = Sailed(b, k);
        const bool known = t > 0 && Passed(Pass(b, k + 1)) && d > 0;
        s += "," + (known ? FourPlaceCell(Knots(d, t)) : std::string("-"));
      }
      const double f = Finish(b), d = Distance(b);
      s += "," + (f > 0 && d > 0 ? FourPlaceCell(Knots(d, f)) : std::string("-"));
      Line(s);
    }
  }

  void Summary() {
    Blank(2);
    Line("SUMMARY OF SAILING PERFORMANCE");
    Line(",(UP),(UP),(UP),(UP),,(DN),(DN),(DN),(DN)");
    Line("BOAT NAME,TIME,DIST,BSP,VMC,,TIME,DIST,BSP,VMC");
    auto four = [](double time, double dist, double course) {
      const double bsp = time > 0 ? dist * 3600 / time : 0;
      const double vmc = time > 0 ? course * 3600 / time : 0;
      return WholeCell(time) + "," + FiveCharCell(dist) + "," + FiveCharCell(bsp) + "," +
             FiveCharCell(vmc);
    };
    for (int b = 1; b <= boats_; ++b) {
      Line(Name(b) + "," + four(p_.UpTime[b], p_.UpDistance[b], upCourse_) + ",," +
           four(p_.DownTime[b], p_.DownDistance[b], downCourse_));
    }
  }

  void Comparison() {
    Blank(2);
    Line("COMPARISON OF DATA (Best boat:=0");
    Blank();
    Line("Difference of Time by each leg (SEC: difference from Best Boat)");
    Line(KindRow());
    Line("Boat Name" + LegHeaders() + ",Total(B)");
    for (int b = 1; b <= boats_; ++b) {
      std::string s = Name(b);
      for (int k = 1; k <= n_ - 1; ++k) {
        const bool known = Passed(Pass(b, k)) && Passed(Pass(b, k + 1)) && RefLegKnown(k);
        s += "," + (known ? WholeCell(LegTime(b, k) - RefLegTime(k)) : std::string("-"));
      }
      const double f = Finish(b);
      s += "," + (Passed(f) ? Signed(f - RefFinish(), WholeCell(f - RefFinish())) : "-");
      Line(s);
    }

    TableHead("Difference of Sailed Distance by each leg (Meters)", "Total(B)");
    for (int b = 1; b <= boats_; ++b) {
      std::string s = Name(b);
      for (int k = 1; k <= n_; ++k) {
        const double d = Sailed(b, k);
        // A best boat without a distance on this leg gives nothing to compare with.
        const bool known = d > 0 && (best_ == 0 || RefSailed(k) > 0);
        const double diff = d - RefSailed(k);
        s += "," + (known ? Signed(diff, WholeCell(diff)) : std::string("-"));
      }
      Line(s);
    }

    TableHead("Difference of Boat speed by each leg (KTS)", "Ave(C)");
    for (int b = 1; b <= boats_; ++b) {
      std::string s = Name(b);
      for (int k = 1; k <= n_ - 1; ++k) {
        const double t = LegTime(b, k), d = Sailed(b, k), tb = RefLegTime(k);
        // As for distances: a best boat without a distance on the leg has no speed to compare.
        const bool known = t > 0 && Passed(Pass(b, k + 1)) && d > 0 && tb > 0 && RefLegKnown(k) &&
                           RefSailed(k) > 0;
        if (!known) {
          s += ",-";
          continue;
        }
        const double diff = (d / t - RefSailed(k) / tb) * 3600 / kMetresPerMile;
        s += "," + Signed(diff, FourPlaceCell(diff));
      }
      const double f = Finish(b), d = Distance(b), fb = RefFinish();
      if (f > 0 && d > 0 && (best_ == 0 || RefDistance() > 0)) {
        // Without a finisher the reference row is zeros: compare with a speed of 0, not 0 / 0.
        const double ref = fb > 0 ? RefDistance() / fb : 0;
        const double diff = (d / f - ref) * 3600 / kMetresPerMile;
        s += "," + Signed(diff, FourPlaceCell(diff));
      } else {
        s += ",-";
      }
      Line(s);
    }
  }

  const RaceData& r_;
  const PassingResults& p_;
  int n_ = 0, boats_ = 0, best_ = 0;
  bool corrected_ = false;
  double upCourse_ = 0, downCourse_ = 0;
  std::vector<std::vector<int>> rank_;
  std::string out_;
};

}  // namespace

std::string GeneralNumber(double v) {
  if (!std::isfinite(v)) return "-";
  std::string s = ShortestReal(v);
  if (s.find('e') == std::string::npos) return s;
  // Very small or very large magnitudes: the same 15 significant digits in fixed notation.
  const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
  const int decimals = std::max(0, 14 - exponent);
  char buf[512];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return s;
  std::string fixed(buf, p);
  if (fixed.find('.') != std::string::npos) {
    while (fixed.back() == '0') fixed.pop_back();
    if (fixed.back() == '.') fixed.pop_back();
  }
  return fixed;
}

std::string WholeCell(double v) {
  const double r = RoundHalfEven(v);
  if (!std::isfinite(r)) return "-";
  if (std::fabs(r) < 9.0e18) return std::to_string(static_cast<long long>(r));
  return GeneralNumber(r);
}

std::string FourPlaceCell(double v) {
  std::string s = GeneralNumber(v);
  const size_t point = s.find('.');
  if (point == std::string::npos) return s;
  s += "00000";
  return s.substr(0, point + 5);
}

std::string FiveCharCell(double v) {
  return GeneralNumber(v).substr(0, 5);
}

std::string IntegerPartCell(double v) {
  const std::string s = GeneralNumber(v);
  return s.substr(0, s.find('.'));
}

std::string BuildReport(const RaceData& race, const PassingResults& passing) {
  return ReportWriter(race, passing).Build();
}

WriteResult WriteReport(const RaceData& race, const PassingResults& passing, const QString& path) {
  const std::string text = BuildReport(race, passing);
  return WriteWholeFile(path, text);
}

QString ReportPath(const QString& documentsFolder) {
  return QDir(documentsFolder).filePath(QStringLiteral("NoName.csv"));
}

QString ReportLockedText() {
  return QStringLiteral("Excell is already open\nClose present Excell and try again.");
}

WriteResult ShowReport(const RaceData& race, const PassingResults& passing,
                       const QString& documentsFolder, Dialogs& dialogs, Shell& shell,
                       Sound* sound) {
  const QString path = ReportPath(documentsFolder);
  WriteResult w = WriteReport(race, passing, path);
  if (!w.ok) {
    dialogs.Message(QStringLiteral("keelway"), ReportLockedText());
    return w;
  }
  if (sound) sound->Beep();
  shell.Open(path);
  return w;
}

}  // namespace kw
