// The course editor's changes to the race in memory: marks, lines and the course sequence
// placed, deleted and strung together, and the mean wind direction. Nothing here writes a file.
#pragma once

#include <string>

namespace kw {

struct RaceData;

// Why an editing step changed nothing; None when it did.
enum class EditRefusal { None, MarksFull, LinesFull, CourseFull };

// The user's text for a refusal (names the table and its capacity); empty for None.
const char* RefusalText(EditRefusal why);

EditRefusal AddMark(RaceData& race, double lat, double lon);
// The marks after `mark` move down one number; course entries keep their texts.
void DeleteMark(RaceData& race, int mark);

// A new line whose first end is (lat, lon) and whose second end is (0, 0): not yet placed.
EditRefusal StartLine(RaceData& race, double lat, double lon);
// The second end of the newest line, when that line still lacks it. False when there is no
// such line (the newest is complete or was deleted); nothing changes then.
bool EndLine(RaceData& race, double lat, double lon);
void DeleteLine(RaceData& race, int line);

// "MK" + mark or "L" + line appended to the course; a mark may be rounded more than once.
EditRefusal AppendCourse(RaceData& race, const std::string& entry);
// The course emptied, with the entries the table could not hold.
void ResetCourse(RaceData& race);

// Degrees brought into 0..360 as the editor stores them: 370 is 10, -10 is 350, 360 stays.
int IntoCompass(long long degrees);
// WindDirection and WindwardBearing from the magnetic mean wind direction typed by the user.
void SetMeanWindDirection(RaceData& race, long long degreesMagnetic);

}  // namespace kw
