// KML documents for a virtual globe: a snapshot of the replay moment (each boat's position with a
// short wake) and the whole race (complete tracks, positions at regular time steps, marks and
// lines). Written as UTF-8 into the user's documents folder; the caller opens the file.
#pragma once

#include <QString>

#include <string>

#include "race/errors.h"

namespace kw {

struct RaceData;
struct FrameBoats;

inline constexpr char kKmlSnapshotFileName[] = "KeelwayMap4.kml";
inline constexpr char kKmlRaceFileName[] = "KeelwayMap5.kml";

// What the documents are made from. `language` 0 writes the descriptions in Japanese, any
// other value in English.
// `HideUnfocusedInKml` leaves out boats not ticked in the boat list; otherwise they are written
// with a thin line.
struct KmlOptions {
  int language = 2;
  bool HideUnfocusedInKml = false;
};

// Document texts, one element group per line (LF).
// `boats` is the boat state at `raceClock` (ComputeBoatState).
std::string KmlSnapshotDocument(const RaceData& race, const FrameBoats& boats, double raceClock,
                                const KmlOptions& options);
std::string KmlRaceDocument(const RaceData& race, const KmlOptions& options);

// Write the documents into `documentsFolder` (created when missing), replacing the file whole.
// On success `message` holds the path written.
WriteResult ExportKmlSnapshot(const RaceData& race, const FrameBoats& boats, double raceClock,
                              const KmlOptions& options, const QString& documentsFolder);
WriteResult ExportKmlRace(const RaceData& race, const KmlOptions& options,
                          const QString& documentsFolder);

// The pieces the documents are built from.
// Icon direction for a heading: the nearest 10 degrees, 0 instead of 360.
int KmlIconHeading(double heading);
// The race caption after its first blank, cut before the first "."; empty without a ".".
QString KmlDocumentName(const QString& caption);
// Seconds between the position folders of the whole-race document.
int KmlTimeStep(double clockLast);

}  // namespace kw
