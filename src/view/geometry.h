// Flat local geometry: bearings, and the race extent that fixes the reference latitude.
#pragma once

namespace kw {

struct RaceData;
struct ViewState;

// Direction of the vector (east, north), degrees clockwise from north in [0, 360).
double BearingOf(double east, double north);

// Extent and centre of the boats' samples inside the replay window, and CosCentreLat.
void ComputeRaceExtent(const RaceData& race, ViewState& view);

}  // namespace kw
