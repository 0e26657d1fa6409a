// Plain flat-earth geodesy around the race centre: one minute of latitude is 1852 m, one minute
// of longitude 1852 m times the cosine of the centre latitude. Needs no view; the track
// derivation, the legs and the view's measuring tool share it.
#pragma once

namespace kw {

// A position, minutes of arc, north and east positive.
struct LatLon {
  double lat = 0, lon = 0;
};

// Direction of the vector (east, north), degrees clockwise from north in [0, 360).
double BearingOf(double east, double north);

// An angle in degrees brought into [-180, 180].
double ToHalfTurn(double a);

struct RangeBearing {
  double range = 0;       // metres
  double bearingMag = 0;  // magnetic, degrees
};

// Range and magnetic bearing from one position to another (minutes of arc).
RangeBearing RangeAndBearing(double fromLat, double fromLon, double toLat, double toLon,
                             double cosCentreLat, double magneticVariation);

}  // namespace kw
