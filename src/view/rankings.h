// The finish displays drawn from mark passing: the ranking list (one row per finished boat in
// finish order, with its gap to the winner) and the class ranking (one column per class). Both
// order boats by FinishRank and measure gaps from the finish entry's lead time, so they show
// elapsed or corrected times according to how the race was loaded.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace kw {

struct RaceData;
struct Rgb;
struct PassingResults;

// The ranking list (Image5): 185 wide, 15*BoatCount+6 high, black, one row per finished boat at
// its rank; a null image when the race has no course line (LineCount <= 0).
QImage DrawRankingList(const RaceData& race, const PassingResults& passing);

// Row text: " " + rank + "  " + name + "  (+" + gap + "sec)". Empty when the passing tables do
// not hold the boat or the finish entry.
QString RankingRowText(const RaceData& race, const PassingResults& passing, int boat);

// The class ranking (Image4): one column per class; a boat appears once its finish was reached in
// this replay (finishShown[boat] != 0). Null when classes are not declared (ClassesDeclared 0).
QImage DrawClassRanking(const RaceData& race, const PassingResults& passing,
                        const std::vector<int>& finishShown);

// The final result board over the whole map (small-screen mode, end of the replay): the ranking
// in columns of round((mapHeight - 30) / 15) rows on the sea colour. Null without course lines.
QImage DrawFinalBoard(const RaceData& race, const PassingResults& passing, int mapWidth,
                      int mapHeight, Rgb sea);

// Column header of class c: " " + name + " class", cut to 16 characters.
QString ClassHeaderText(const RaceData& race, int cls);
// A boat's line in its class column: " " + position + " " + name, cut to 13 characters.
QString ClassRowText(const RaceData& race, int position, int boat);

}  // namespace kw
