#include "cli/insight_commands.h"

#include <QBuffer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>

#include <cstdio>

#include "analysis/polar.h"
#include "cli/insight_documents.h"
#include "output/insight_tables.h"
#include "output/keep_wind.h"
#include "race/text.h"
#include "session/session.h"
#include "view/paint.h"
#include "view/polar_picture.h"

namespace kw {

namespace {

// The usage text's statuses.
constexpr int kExitWrite = 1;
constexpr int kExitUsage = 64;

void Line(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void Print(const QJsonObject& o) {
  const QByteArray doc = QJsonDocument(o).toJson(QJsonDocument::Indented);
  std::fwrite(doc.constData(), 1, static_cast<size_t>(doc.size()), stdout);
}

void Print(const QString& text) {
  std::fputs(text.toUtf8().constData(), stdout);
}

int Wind(const CliOptions& o, RaceSession& s) {
  const RaceInsight& in = InsightOf(s);
  if (o.json) {
    Print(WindEstimateJson(s, in));
  } else {
    Print(WindEstimateText(s, in));
  }
  if (!o.write) return 0;
  QStringList backedUp;
  const KeptWind kept = KeepEstimatedWind(s.race, in.estimate, backedUp);
  for (const QString& notice : kept.notices) Line(notice);
  if (!kept.ok) {
    Line(QStringLiteral("keelway-cli: ") + kept.message);
    return kExitWrite;
  }
  Line(kept.path);
  return 0;
}

int Manoeuvres(const CliOptions& o, RaceSession& s) {
  const RaceInsight& in = InsightOf(s);
  if (!o.out.isEmpty()) {
    const QString path = QFileInfo(o.out).absoluteFilePath();
    const WriteResult w = WriteWholeFile(path, ManoeuvresCsv(s.race, in.manoeuvres, in.wind));
    if (!w.ok) {
      Line(w.message);
      return kExitWrite;
    }
    Line(path);
    return 0;
  }
  if (o.json) {
    Print(ManoeuvresJson(s, in));
  } else {
    Print(ManoeuvresText(s, in));
  }
  return 0;
}

// The boat --boat names by its track file (ignoring case), 0 when none does.
int BoatNamed(const RaceData& r, const QString& file) {
  for (int b = 1; b <= r.BoatCount; ++b)
    if (DisplayText(r.BoatTrackFile[b]).compare(file, Qt::CaseInsensitive) == 0) return b;
  return 0;
}

// One boat: a curve per wind band (every wind together when there are no wind speeds). The
// fleet: a curve per boat in its colour, every wind together.
std::vector<PolarCurve> Curves(const RaceData& r, const std::vector<Polar>& polars, int boat) {
  std::vector<PolarCurve> curves;
  static const QColor kBands[] = {QColor(30, 90, 200), QColor(0, 150, 120),  QColor(220, 130, 0),
                                  QColor(200, 30, 60), QColor(120, 60, 170), QColor(90, 90, 90)};
  for (const Polar& p : polars) {
    if (boat > 0 ? p.boat != boat : p.boat == 0) continue;
    const QColor colour = p.boat > 0 ? ToQColor(r.BoatColor[p.boat]) : QColor(Qt::black);
    if (boat == 0 || p.bands.size() == 1) {
      curves.push_back({DisplayText(p.name), colour, p.bands.front().speed});
      continue;
    }
    for (size_t k = 1; k < p.bands.size(); ++k)
      curves.push_back(
          {QStringLiteral("%1-%2 kn wind").arg(p.bands[k].windFrom).arg(p.bands[k].windTo),
           kBands[(k - 1) % 6], p.bands[k].speed});
  }
  return curves;
}

int PolarCommand(const CliOptions& o, RaceSession& s) {
  const RaceInsight& in = InsightOf(s);
  const int boat = o.boat.isEmpty() ? 0 : BoatNamed(s.race, o.boat);
  if (!o.boat.isEmpty() && boat == 0) {
    Line(QStringLiteral("keelway-cli: --boat %1 names no boat of the race").arg(o.boat));
    return kExitUsage;
  }
  std::vector<Polar> polars = BuildFleetPolars(s.race, s.passing, in.fleet, in.manoeuvres, in.wind);
  if (boat > 0) std::erase_if(polars, [&](const Polar& p) { return p.boat != boat; });
  if (o.out.isEmpty()) {
    Print(QString::fromStdString(PolarCsv(s.race, polars, in.wind)));
    return 0;
  }
  const QString path = QFileInfo(o.out).absoluteFilePath();
  WriteResult w;
  if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
    w = WriteWholeFile(path, PolarCsv(s.race, polars, in.wind));
  } else {
    QImage image(1100, 800, QImage::Format_RGB32);
    const QString title = (boat > 0 ? DisplayText(s.race.BoatName[boat]) : s.race.RaceCaption) +
                          QStringLiteral("  polar (90th percentile), wind: ") +
                          QString::fromStdString(WindSourceText(s.race, in.wind));
    DrawPolarPicture(image, title, Curves(s.race, polars, boat));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    w = WriteWholeFile(path, std::string_view(png.constData(), static_cast<size_t>(png.size())));
  }
  if (!w.ok) {
    Line(w.message);
    return kExitWrite;
  }
  Line(path);
  return 0;
}

}  // namespace

bool IsInsightCommand(const CliOptions& o) {
  return o.command == QLatin1String("wind") || o.command == QLatin1String("manoeuvres") ||
         o.command == QLatin1String("polar");
}

int RunInsightCommand(const CliOptions& o, RaceSession& s) {
  if (o.command == QLatin1String("wind")) return Wind(o, s);
  if (o.command == QLatin1String("manoeuvres")) return Manoeuvres(o, s);
  return PolarCommand(o, s);
}

}  // namespace kw
