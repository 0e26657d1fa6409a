// Leaving the program ("EXIT" and the window's close) and saving the course into the race file:
// a course changed in memory is written before the program ends, and a save that fails keeps
// the window open with the course still in memory.
#include <QFile>
#include <QTimer>

#include "app/form_widgets.h"
#include "app/tform1.h"
#include "race/racefile_save.h"

namespace kw {

bool TForm1::SaveRaceFileOrSay() {
  // Mid-load the tables belong to no file yet: nothing is written then.
  if (loading_ || saving_) return false;
  FlagScope guard(saving_);
  const WriteResult w = SaveRaceFile(session_.race, backedUp_);
  if (w.ok) return true;
  services_.dialogs->Message(
      QStringLiteral("Race Admin Data"),
      QStringLiteral("The race file was not saved.\n%1\nThe course stays in memory; save it "
                     "again once the file can be written.")
          .arg(w.message));
  return false;
}

void TForm1::Button1Click() {
  const bool frames = Timer1->isActive(), seconds = Timer2->isActive();
  Timer1->stop();
  Timer2->stop();
  // An unchanged course leaves the file as it is, byte for byte.
  if (raceReady_ && !loading_ && CourseChanged(session_.race) && !SaveRaceFileOrSay()) {
    if (frames) Timer1->start();
    if (seconds) Timer2->start();
    return;
  }
  close();
}

bool TForm1::SettleCourseBeforeLoad() {
  if (session_.race.EditMode != 1 || !raceReady_ || loading_ || !CourseChanged(session_.race))
    return true;
  // Another race (or the same one read again) would replace the course in memory.
  if (!services_.dialogs->Ask(QStringLiteral("Race Admin Data"),
                              QStringLiteral("Rewrite File? (instead of old data)")))
    return true;
  return SaveRaceFileOrSay();
}

bool TForm1::FormClose() {
  // A second close while the question is open waits for its answer.
  if (inClose_) return false;
  FlagScope guard(inClose_);
  const QString kml = documentsFolder_ + QStringLiteral("/KeelwayMap5.kml");
  if (QFile::exists(kml)) QFile::remove(kml);
  if (session_.race.EditMode == 1 && raceReady_ && !loading_ && CourseChanged(session_.race)) {
    // No frame runs behind the question; the window closes or stays as it was.
    const bool frames = Timer1->isActive(), seconds = Timer2->isActive();
    Timer1->stop();
    Timer2->stop();
    if (services_.dialogs->Ask(QStringLiteral("Race Admin Data"),
                               QStringLiteral("Rewrite File? (instead of old data)")) &&
        !SaveRaceFileOrSay()) {
      if (frames) Timer1->start();
      if (seconds) Timer2->start();
      return false;
    }
  }
  services_.sound->Beep();
  return true;
}

}  // namespace kw
