#include "race/course_edit.h"

#include <cmath>

#include "race/model.h"

namespace kw {

const char* RefusalText(EditRefusal why) {
  switch (why) {
    case EditRefusal::MarksFull:
      return "The course holds at most 20 marks: this one was not placed.";
    case EditRefusal::LinesFull:
      return "The course holds at most 10 lines: this one was not placed.";
    case EditRefusal::CourseFull:
      return "The course sequence holds at most 20 entries: this one was not added.";
    case EditRefusal::None:
      break;
  }
  return "";
}

EditRefusal AddMark(RaceData& r, double lat, double lon) {
  if (r.MarkCount >= kMaxMarks) return EditRefusal::MarksFull;
  ++r.MarkCount;
  r.MarkLat[r.MarkCount] = lat;
  r.MarkLon[r.MarkCount] = lon;
  return EditRefusal::None;
}

void DeleteMark(RaceData& r, int m) {
  if (m < 1 || m > r.MarkCount) return;
  for (int i = m; i < r.MarkCount; ++i) {
    r.MarkLat[i] = r.MarkLat[i + 1];
    r.MarkLon[i] = r.MarkLon[i + 1];
  }
  r.MarkLat[r.MarkCount] = r.MarkLon[r.MarkCount] = 0;
  --r.MarkCount;
}

EditRefusal StartLine(RaceData& r, double lat, double lon) {
  if (r.LineCount >= kMaxLines) return EditRefusal::LinesFull;
  const int l = ++r.LineCount;
  r.LineLatA[l] = lat;
  r.LineLonA[l] = lon;
  r.LineLatB[l] = r.LineLonB[l] = 0;
  return EditRefusal::None;
}

bool EndLine(RaceData& r, double lat, double lon) {
  const int l = r.LineCount;
  // A complete newest line is never moved by a click meant for a line now gone.
  if (l < 1 || r.LineLatB[l] != 0) return false;
  r.LineLatB[l] = lat;
  r.LineLonB[l] = lon;
  return true;
}

void DeleteLine(RaceData& r, int l) {
  if (l < 1 || l > r.LineCount) return;
  for (int i = l; i < r.LineCount; ++i) {
    r.LineLatA[i] = r.LineLatA[i + 1];
    r.LineLonA[i] = r.LineLonA[i + 1];
    r.LineLatB[i] = r.LineLatB[i + 1];
    r.LineLonB[i] = r.LineLonB[i + 1];
  }
  const int last = r.LineCount--;
  r.LineLatA[last] = r.LineLonA[last] = r.LineLatB[last] = r.LineLonB[last] = 0;
}

EditRefusal AppendCourse(RaceData& r, const std::string& entry) {
  if (r.CourseCount >= kMaxCourse) return EditRefusal::CourseFull;
  r.CourseEntry[r.CourseCount++] = entry;
  return EditRefusal::None;
}

void ResetCourse(RaceData& r) {
  for (std::string& e : r.CourseEntry) e.clear();
  r.CourseCount = 0;
  r.CourseEntriesBeyond.clear();
}

int IntoCompass(long long d) {
  if (d > 360) d = (d - 1) % 360 + 1;
  if (d < 0) {
    d %= 360;
    if (d < 0) d += 360;
  }
  return static_cast<int>(d);
}

void SetMeanWindDirection(RaceData& r, long long degrees) {
  r.WindDirection = IntoCompass(degrees);
  // Half-way bearings go to the even neighbour, as every rounding of the program.
  const double bearing = std::nearbyint(r.WindDirection + r.MagneticVariation);
  r.WindwardBearing = IntoCompass(static_cast<long long>(bearing));
}

}  // namespace kw
