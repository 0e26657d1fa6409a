#include "app/edit_panels.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "app/control_panel.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/hint_box.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "app/up_down.h"
#include "race/course_edit.h"
#include "race/fields.h"
#include "race/numbers.h"
#include "race/racefile_save.h"
#include "race/text.h"
#include "race/wind.h"
#include "view/map_pointer.h"

namespace kw {

namespace {

template <typename W>
using Slot = W* EditPanels::*;

}  // namespace

EditPanels::EditPanels(FormContext& f, QWidget* form) : QObject(form), f_(f) {
  pnlEDIT1 = Make<QFrame>(form, "pnlEDIT1");
  pnlEDIT1->hide();
  pnlEDIT2 = Make<QFrame>(form, "pnlEDIT2");
  pnlEDIT2->hide();
}

void EditPanels::BuildEditPanels() {
  for (QFrame* panel : {pnlEDIT1, pnlEDIT2}) {
    SetColours(panel, QColor(212, 208, 200), Qt::black);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    QFont small = panel->font();
    small.setPixelSize(11);
    panel->setFont(small);
  }
  BuildCoursePanel();
  BuildWindPanel();
  for (QFrame* panel : {pnlEDIT1, pnlEDIT2}) {
    panel->setMouseTracking(true);
    panel->installEventFilter(this);
  }
  for (QRadioButton* page :
       {f_.controls->RadioButton1, f_.controls->RadioButton2, f_.controls->RadioButton3})
    connect(page, &QRadioButton::toggled, this, [this] { UpdateEditPanels(); });
  f_.named.Add({pnlEDIT1, pnlEDIT2, optMK, optLINE, RadioButton9, Edit1, Edit2, Edit3, Button7,
                Label11, Edit4, UpDown1, Button8, CheckBox5, Button9});
}

void EditPanels::BuildCoursePanel() {
  pnlEDIT1->resize(314, 140);
  // The three steps of the course, each beside the list it fills.
  const struct {
    Slot<QRadioButton> radio;
    const char* radioName;
    const char* caption;
    Slot<QLineEdit> edit;
    const char* editName;
    void (EditPanels::*click)();
  } steps[] = {
      {&EditPanels::optMK, "optMK", "Mark Pos Setting", &EditPanels::Edit1, "Edit1",
       &EditPanels::optMKClick},
      {&EditPanels::optLINE, "optLINE", "Line Pos Setting", &EditPanels::Edit2, "Edit2",
       &EditPanels::optLINEClick},
      {&EditPanels::RadioButton9, "RadioButton9", "Course Setting", &EditPanels::Edit3, "Edit3",
       &EditPanels::RadioButton9Click},
  };
  int y = 5;
  for (const auto& s : steps) {
    QRadioButton* radio =
        this->*s.radio = Make<QRadioButton>(pnlEDIT1, s.radioName, QString::fromLatin1(s.caption));
    radio->setGeometry(5, y, 112, 18);
    connect(radio, &QRadioButton::clicked, this, s.click);
    QLineEdit* edit = this->*s.edit = Make<QLineEdit>(pnlEDIT1, s.editName);
    edit->setReadOnly(true);
    edit->setGeometry(118, y, 190, 19);
    y += 22;
  }
  Button7 = Make<QPushButton>(pnlEDIT1, "Button7", QStringLiteral("Reset Course"));
  Button7->setGeometry(118, y, 100, 20);
  connect(Button7, &QPushButton::clicked, this, &EditPanels::Button7Click);
  Label11 = Make<QLabel>(pnlEDIT1, "Label11", QStringLiteral(" Mean Wind Direction (Mag)"));
  Label11->setGeometry(5, y + 26, 200, 16);
  Edit4 = Make<QLineEdit>(pnlEDIT1, "Edit4");
  Edit4->setGeometry(9, y + 44, 50, 20);
  connect(Edit4, &QLineEdit::textChanged, this, &EditPanels::Edit4Change);
  UpDown1 = Make<UpDown>(pnlEDIT1, "UpDown1", 0, 360);
  UpDown1->setGeometry(59, y + 44, 16, 20);
  UpDown1->changing = [this](int position) { UpDown1Changing(position); };
  Button8 = Make<QPushButton>(pnlEDIT1, "Button8", QStringLiteral("Wind Direction OK"));
  Button8->setGeometry(84, y + 44, 134, 20);
  connect(Button8, &QPushButton::clicked, this, &EditPanels::Button8Click);
}

void EditPanels::BuildWindPanel() {
  pnlEDIT2->resize(170, 52);
  CheckBox5 = Make<QCheckBox>(pnlEDIT2, "CheckBox5", QStringLiteral("Make Wind Data"));
  CheckBox5->setGeometry(6, 4, 158, 18);
  connect(CheckBox5, &QCheckBox::toggled, this, &EditPanels::CheckBox5Click);
  Button9 = Make<QPushButton>(pnlEDIT2, "Button9", QStringLiteral("Save Wind Data"));
  Button9->setGeometry(6, 26, 158, 21);
  Button9->setEnabled(false);
  connect(Button9, &QPushButton::clicked, this, &EditPanels::Button9Click);
}

bool EditPanels::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove && (watched == pnlEDIT1 || watched == pnlEDIT2))
    pnlEDIT1MouseMove();
  return false;
}

void EditPanels::pnlEDIT1MouseMove() {
  f_.tips->hide();
  f_.canvas->RepaintMap();
}

void EditPanels::UpdateEditPanels() {
  const bool edit = f_.session.race.EditMode == 1 && !f_.replay->loading();
  const ControlPanel& c = *f_.controls;
  const int page = c.RadioButton2->isChecked() ? 2 : c.RadioButton3->isChecked() ? 3 : 1;
  pnlEDIT1->setVisible(edit && page == 1 && f_.session.view.TraceMode == 0);
  pnlEDIT2->setVisible(edit && page == 2);
  for (QFrame* panel : {pnlEDIT1, pnlEDIT2})
    if (panel->isVisible()) panel->raise();
}

void EditPanels::AfterLoad() {
  HandsOnState& ho = f_.ws.HandsOn;
  // The new race starts with no editing step: wind drawn for the old race would be mixed into
  // the new one's series, and a click would edit a course the user has not chosen to edit.
  CheckBox5->setChecked(false);
  ho.EditStep = 0;
  for (QRadioButton* step : {optMK, optLINE, RadioButton9}) {
    step->setAutoExclusive(false);
    step->setChecked(false);
    step->setAutoExclusive(true);
  }
  ho.NearestMark = ho.NearestLine = 0;
  ho.HasWindPoint = false;
  ho.LastListMouseX = ho.LastListMouseY = -1;
  Button9->setEnabled(false);
  if (f_.session.race.EditMode == 1) RefreshEditPanel();
  UpdateEditPanels();
}

void EditPanels::RefreshEditPanel() {
  const RaceData& r = f_.session.race;
  QString marks, lines, course;
  for (int i = 1; i <= r.MarkCount; ++i) marks += QStringLiteral("MK%1  ").arg(i);
  for (int i = 1; i <= r.LineCount; ++i) lines += QStringLiteral("line%1  ").arg(i);
  for (int i = 0; i < r.CourseCount; ++i) course += DisplayText(r.CourseEntry[i]) + "  ";
  for (const std::string& e : r.CourseEntriesBeyond) course += DisplayText(e) + "  ";
  Edit1->setText(marks);
  Edit2->setText(lines);
  Edit3->setText(course);
  UpDown1->setPosition(r.WindwardBearing);
  Edit4->setText(QString::number(r.WindDirection));
  // An edited race is not left for the next one.
  f_.controls->chkAutoNext->setChecked(false);
  f_.session.play.AutoNext = 0;
}

void EditPanels::optMKClick() {
  f_.ws.HandsOn.EditStep = 1;
}

void EditPanels::optLINEClick() {
  f_.ws.HandsOn.EditStep = 2;
}

void EditPanels::RadioButton9Click() {
  f_.ws.HandsOn.EditStep = 4;
}

void EditPanels::EditingClick(Qt::MouseButton button, double lat, double lon) {
  RaceData& r = f_.session.race;
  HandsOnState& ho = f_.ws.HandsOn;
  EditRefusal refused = EditRefusal::None;
  bool placed = false;
  if (button != Qt::LeftButton) {
    if (ho.EditStep == 1 && ho.NearestMark > 0) {
      DeleteMark(r, ho.NearestMark);
      placed = true;
    } else if ((ho.EditStep == 2 || ho.EditStep == 3) && ho.NearestLine > 0) {
      DeleteLine(r, ho.NearestLine);
      placed = true;
    }
    // The numbers moved down: a second click before the pointer moves deletes nothing more.
    ho.NearestMark = ho.NearestLine = 0;
  } else if (ho.EditStep == 1) {
    refused = AddMark(r, lat, lon);
    placed = refused == EditRefusal::None;
  } else if (ho.EditStep == 2) {
    refused = StartLine(r, lat, lon);
    placed = refused == EditRefusal::None;
    if (placed) ho.EditStep = 3;
  } else if (ho.EditStep == 3) {
    if (EndLine(r, lat, lon)) {
      ho.EditStep = 2;
    } else {
      // The line this end was meant for is gone: the click starts a new line instead.
      refused = StartLine(r, lat, lon);
    }
    placed = refused == EditRefusal::None;
  } else if (ho.EditStep == 4) {
    if (ho.NearestMark > 0)
      refused = AppendCourse(r, "MK" + std::to_string(ho.NearestMark));
    else if (ho.NearestLine > 0)
      refused = AppendCourse(r, "L" + std::to_string(ho.NearestLine));
  }
  if (refused != EditRefusal::None)
    f_.services.dialogs->Message(QStringLiteral("keelway"),
                                 QString::fromLatin1(RefusalText(refused)));
  if (placed) f_.canvas->RedrawStillMap();
  RefreshEditPanel();
}

void EditPanels::Button7Click() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  ResetCourse(f_.session.race);
  RefreshEditPanel();
  f_.canvas->RedrawStillMap();
}

void EditPanels::Edit4Change() {
  int v;
  if (!ParseInt(Trim(Edit4->text().toStdString()), v)) return;
  UpDown1->setPosition(v);
}

void EditPanels::UpDown1Changing(int position) {
  Edit4->setText(QString::number(position));
}

void EditPanels::Button8Click() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  const std::string text = Edit4->text().toStdString();
  int degrees;
  if (!ParseInt(Trim(text), degrees)) {
    f_.services.dialogs->Message(QStringLiteral("keelway"),
                                 QString::fromStdString(NotAnInteger(Trim(text))));
    return;
  }
  SetMeanWindDirection(f_.session.race, degrees);
  // The still map, turned by the new wind.
  {
    const QSignalBlocker quiet(f_.controls->CheckBox1);
    f_.controls->CheckBox1->setChecked(false);
  }
  f_.rs.AutoTrace = false;
  f_.controls->SetTraceMode();
  f_.logo->DrawOverview();
  SaveRaceFileOrSay();
}

void EditPanels::CheckBox5Click(bool checked) {
  HandsOnState& ho = f_.ws.HandsOn;
  if (!checked) {
    ho.EditStep = 0;
    return;
  }
  f_.session.race.WindCount = 0;
  ho.HasWindPoint = false;
  Button9->setEnabled(false);
  if (f_.ws.RaceReady && !f_.replay->loading()) f_.canvas->DrawPage();
  ho.EditStep = 5;
}

void EditPanels::WindInputClick(int x, int y) {
  RaceData& r = f_.session.race;
  HandsOnState& ho = f_.ws.HandsOn;
  const WindInputArea area = WindInputAreaFor(f_.session.view.MapWidth, f_.form->height());
  if (const auto w = WindInputAt(r, area, x, y)) {
    const int n = ++r.WindCount;
    const size_t size = static_cast<size_t>(n) + 2;
    r.WindTime.resize(size, 0);
    r.WindDir.resize(size, 0);
    r.WindSpeed.resize(size, 0);
    r.WindTime[n] = w->time;
    r.WindDir[n] = w->direction;
    r.WindSpeed[n] = 0;
    const QPoint from = ho.HasWindPoint ? ho.LastWindPoint : QPoint(x, area.top + area.height);
    f_.canvas->DrawOnGraph(from, QPoint(x, y));
    ho.LastWindPoint = QPoint(x, y);
    ho.HasWindPoint = true;
    f_.canvas->CopyGraphToForm();
  }
  Button9->setEnabled(r.WindCount > 0);
}

void EditPanels::Button9Click() {
  RaceData& r = f_.session.race;
  if (r.WindCount <= 0) {
    f_.services.dialogs->Message(QStringLiteral("keelway"), QStringLiteral("No Wind Data"));
    return;
  }
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  QDir().mkpath(r.ProgramFolder + QStringLiteral("winddat"));
  // A wind table drawn before for this race is kept as it was before this run's first save.
  WriteResult wind = KeepBackupOnce(r.ProgramFolder + QStringLiteral("winddat/") +
                                        QString::fromStdString(WindFileNameFor(r.RaceFileName)),
                                    f_.ws.BackedUp);
  if (wind.ok) wind = WriteWindFile(r);
  if (!wind.ok) {
    f_.services.dialogs->Message(
        QStringLiteral("keelway"),
        QStringLiteral("The wind data was not saved: %1\nIt stays in memory.").arg(wind.message));
    return;
  }
  f_.session.play.HasWindFile = 1;
  SaveRaceFileOrSay();
  f_.form->LayoutWindow();
  f_.form->RebuildViewPictures();
  CheckBox5->setChecked(false);
  f_.ws.HandsOn.EditStep = 0;
}

bool EditPanels::SaveRaceFileOrSay() {
  // Mid-load the tables belong to no file yet: nothing is written then.
  if (f_.replay->loading()) return false;
  const WriteResult w = SaveRaceFile(f_.session.race, f_.ws.BackedUp);
  if (w.ok) return true;
  f_.services.dialogs->Message(
      QStringLiteral("Race Admin Data"),
      QStringLiteral("The race file was not saved.\n%1\nThe course stays in memory; save it "
                     "again once the file can be written.")
          .arg(w.message));
  return false;
}

bool EditPanels::SettleCourseBeforeLoad() {
  if (f_.session.race.EditMode != 1 || !f_.ws.RaceReady || f_.replay->loading() ||
      !CourseChanged(f_.session.race))
    return true;
  // No frame runs behind the question; another race (or the same one read again) would
  // replace the course in memory.
  const ReplayController::Held held(*f_.replay);
  if (!f_.services.dialogs->Ask(QStringLiteral("Race Admin Data"),
                                QStringLiteral("Rewrite File? (instead of old data)")))
    return true;
  return SaveRaceFileOrSay();
}

}  // namespace kw
