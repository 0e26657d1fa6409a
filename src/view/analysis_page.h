// The analysis page: three scatter figures of sailed distance against time (whole race, upwind
// legs, downwind legs) with iso-speed lines, and what is drawn over a copy of it.
#pragma once

#include <QImage>
#include <QString>

#include <array>

#include "analysis/page_numbers.h"

class QPainter;

namespace kw {

struct RaceData;
struct PassingResults;

using Figures = std::array<Figure, 3>;

// The whole page into `bitmap` (the map's size). Names are written beside the shown boats when
// `labelLevel` > 0. Returns the figures with each boat's circle centre.
Figures DrawAnalysisFigures(QImage& bitmap, const RaceData& race, const PassingResults& passing,
                            int labelLevel);

// Every placed boat's name beside its circles, highest boat first.
void DrawAnalysisNames(QPainter& p, const RaceData& race, const Figures& figures);

// Boat `boat` picked out in each figure: a bigger circle and its distance, time and speed.
void MarkBoatOnFigures(QPainter& p, const RaceData& race, const Figures& figures, int boat);
// " name  1852m / 600sec / 6kts": whole metres and seconds, knots to two decimals.
QString FigurePointText(const QString& name, double distance, double time);

}  // namespace kw
