// Course editing, in the mode that ctrl/editfile.edt switches on: marks, lines and the course
// sequence placed with Shift-clicks on the still map, the mean wind direction, and a wind
// history drawn on the graph page. Changes stay in memory until the race file is saved.
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "app/form_widgets.h"
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
using Slot = W* TForm1::*;

}  // namespace

void TForm1::BuildEditPanels() {
  for (QFrame* panel : {pnlEDIT1, pnlEDIT2}) {
    SetColours(panel, QColor(212, 208, 200), Qt::black);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    QFont small = panel->font();
    small.setPixelSize(11);
    panel->setFont(small);
  }
  pnlEDIT1->resize(314, 140);
  // The three steps of the course, each beside the list it fills.
  const struct {
    Slot<QRadioButton> radio;
    const char* radioName;
    const char* caption;
    Slot<QLineEdit> edit;
    const char* editName;
    void (TForm1::*click)();
  } steps[] = {
      {&TForm1::optMK, "optMK", "Mark Pos Setting", &TForm1::Edit1, "Edit1", &TForm1::optMKClick},
      {&TForm1::optLINE, "optLINE", "Line Pos Setting", &TForm1::Edit2, "Edit2",
       &TForm1::optLINEClick},
      {&TForm1::RadioButton9, "RadioButton9", "Course Setting", &TForm1::Edit3, "Edit3",
       &TForm1::RadioButton9Click},
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
  connect(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
  Label11 = Make<QLabel>(pnlEDIT1, "Label11", QStringLiteral(" Mean Wind Direction (Mag)"));
  Label11->setGeometry(5, y + 26, 200, 16);
  Edit4 = Make<QLineEdit>(pnlEDIT1, "Edit4");
  Edit4->setGeometry(9, y + 44, 50, 20);
  connect(Edit4, &QLineEdit::textChanged, this, &TForm1::Edit4Change);
  UpDown1 = Make<UpDown>(pnlEDIT1, "UpDown1", 0, 360);
  UpDown1->setGeometry(59, y + 44, 16, 20);
  UpDown1->changing = [this](int position) { UpDown1Changing(position); };
  Button8 = Make<QPushButton>(pnlEDIT1, "Button8", QStringLiteral("Wind Direction OK"));
  Button8->setGeometry(84, y + 44, 134, 20);
  connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);

  pnlEDIT2->resize(170, 52);
  CheckBox5 = Make<QCheckBox>(pnlEDIT2, "CheckBox5", QStringLiteral("Make Wind Data"));
  CheckBox5->setGeometry(6, 4, 158, 18);
  connect(CheckBox5, &QCheckBox::toggled, this, &TForm1::CheckBox5Click);
  Button9 = Make<QPushButton>(pnlEDIT2, "Button9", QStringLiteral("Save Wind Data"));
  Button9->setGeometry(6, 26, 158, 21);
  Button9->setEnabled(false);
  connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
}

void TForm1::UpdateEditPanels() {
  const bool edit = session_.race.EditMode == 1 && !loading_;
  const int page = RadioButton2->isChecked() ? 2 : RadioButton3->isChecked() ? 3 : 1;
  pnlEDIT1->setVisible(edit && page == 1 && session_.view.TraceMode == 0);
  pnlEDIT2->setVisible(edit && page == 2);
  for (QFrame* panel : {pnlEDIT1, pnlEDIT2})
    if (panel->isVisible()) panel->raise();
}

void TForm1::HandsOnAfterLoad() {
  ho_.NearestMark = ho_.NearestLine = 0;
  ho_.HasWindPoint = false;
  ho_.LastListMouseX = ho_.LastListMouseY = -1;
  Button9->setEnabled(false);
  if (session_.race.EditMode == 1) RefreshEditPanel();
  UpdateEditPanels();
}

void TForm1::RefreshEditPanel() {
  const RaceData& r = session_.race;
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
  chkAutoNext->setChecked(false);
  session_.play.AutoNext = 0;
}

void TForm1::optMKClick() {
  ho_.EditStep = 1;
}

void TForm1::optLINEClick() {
  ho_.EditStep = 2;
}

void TForm1::RadioButton9Click() {
  ho_.EditStep = 4;
}

void TForm1::EditingClick(Qt::MouseButton button, double lat, double lon) {
  RaceData& r = session_.race;
  EditRefusal refused = EditRefusal::None;
  bool placed = false;
  if (button != Qt::LeftButton) {
    if (ho_.EditStep == 1 && ho_.NearestMark > 0) {
      DeleteMark(r, ho_.NearestMark);
      placed = true;
    } else if ((ho_.EditStep == 2 || ho_.EditStep == 3) && ho_.NearestLine > 0) {
      DeleteLine(r, ho_.NearestLine);
      placed = true;
    }
    // The numbers moved down: a second click before the pointer moves deletes nothing more.
    ho_.NearestMark = ho_.NearestLine = 0;
  } else if (ho_.EditStep == 1) {
    refused = AddMark(r, lat, lon);
    placed = refused == EditRefusal::None;
  } else if (ho_.EditStep == 2) {
    refused = StartLine(r, lat, lon);
    placed = refused == EditRefusal::None;
    if (placed) ho_.EditStep = 3;
  } else if (ho_.EditStep == 3) {
    if (EndLine(r, lat, lon)) {
      ho_.EditStep = 2;
    } else {
      // The line this end was meant for is gone: the click starts a new line instead.
      refused = StartLine(r, lat, lon);
    }
    placed = refused == EditRefusal::None;
  } else if (ho_.EditStep == 4) {
    if (ho_.NearestMark > 0)
      refused = AppendCourse(r, "MK" + std::to_string(ho_.NearestMark));
    else if (ho_.NearestLine > 0)
      refused = AppendCourse(r, "L" + std::to_string(ho_.NearestLine));
  }
  if (refused != EditRefusal::None)
    services_.dialogs->Message(QStringLiteral("keelway"),
                               QString::fromLatin1(RefusalText(refused)));
  if (placed) RedrawStillMap();
  RefreshEditPanel();
}

void TForm1::Button7Click() {
  if (!raceReady_ || loading_) return;
  ResetCourse(session_.race);
  RefreshEditPanel();
  RedrawStillMap();
}

void TForm1::Edit4Change() {
  int v;
  if (!ParseInt(Trim(Edit4->text().toStdString()), v)) return;
  UpDown1->setPosition(v);
}

void TForm1::UpDown1Changing(int position) {
  Edit4->setText(QString::number(position));
}

void TForm1::Button8Click() {
  if (!raceReady_ || loading_) return;
  const std::string text = Edit4->text().toStdString();
  int degrees;
  if (!ParseInt(Trim(text), degrees)) {
    GeneralError(QString::fromStdString(NotAnInteger(Trim(text))));
    return;
  }
  SetMeanWindDirection(session_.race, degrees);
  // The still map, turned by the new wind.
  {
    const QSignalBlocker quiet(CheckBox1);
    CheckBox1->setChecked(false);
  }
  rs_.AutoTrace = false;
  SetTraceMode();
  DrawOverview();
  SaveRaceFileOrSay();
}

void TForm1::CheckBox5Click(bool checked) {
  if (!checked) {
    ho_.EditStep = 0;
    return;
  }
  RaceData& r = session_.race;
  r.WindCount = 0;
  ho_.HasWindPoint = false;
  Button9->setEnabled(false);
  if (raceReady_ && !loading_) DrawPage();
  ho_.EditStep = 5;
}

void TForm1::WindInputClick(int x, int y) {
  RaceData& r = session_.race;
  const WindInputArea area = WindInputAreaFor(session_.view.MapWidth, height());
  if (const auto w = WindInputAt(r, area, x, y)) {
    const int n = ++r.WindCount;
    const size_t size = static_cast<size_t>(n) + 2;
    r.WindTime.resize(size, 0);
    r.WindDir.resize(size, 0);
    r.WindSpeed.resize(size, 0);
    r.WindTime[n] = w->time;
    r.WindDir[n] = w->direction;
    r.WindSpeed[n] = 0;
    const QPoint from = ho_.HasWindPoint ? ho_.LastWindPoint : QPoint(x, area.top + area.height);
    QPainter p(&graphBitmap_);
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(from, QPoint(x, y));
    p.end();
    ho_.LastWindPoint = QPoint(x, y);
    ho_.HasWindPoint = true;
    CopyGraphToForm();
  }
  Button9->setEnabled(r.WindCount > 0);
}

void TForm1::DrawWindCursor(int x, int y) {
  const WindInputArea area = WindInputAreaFor(session_.view.MapWidth, height());
  const int w = area.width;
  if (!(area.left < x && x < area.left + w) || canvas_.isNull()) return;
  // w pixels are 360 degrees: -45 and +45 degrees from the pointer, then +150 and +210.
  const struct {
    double dx;
    QColor colour;
  } strokes[] = {{-w / 8.0, Qt::red},
                 {w / 8.0, QColor(0, 128, 0)},
                 {5.0 * w / 12.0, Qt::red},
                 {7.0 * w / 12.0, QColor(0, 128, 0)}};
  QPainter p(&canvas_);
  for (const auto& s : strokes) {
    p.setPen(QPen(s.colour, 5));
    const int sx = RoundInt(x + s.dx);
    p.drawLine(sx, y - 10, sx, y + 10);
  }
  p.end();
  update(0, 0, session_.view.MapWidth, session_.view.MapHeight);
}

void TForm1::Button9Click() {
  RaceData& r = session_.race;
  if (r.WindCount <= 0) {
    services_.dialogs->Message(QStringLiteral("keelway"), QStringLiteral("No Wind Data"));
    return;
  }
  if (!raceReady_ || loading_) return;
  QDir().mkpath(r.ProgramFolder + QStringLiteral("winddat"));
  // A wind table drawn before for this race is kept as it was before this run's first save.
  WriteResult wind = KeepBackupOnce(r.ProgramFolder + QStringLiteral("winddat/") +
                                        QString::fromStdString(WindFileNameFor(r.RaceFileName)),
                                    backedUp_);
  if (wind.ok) wind = WriteWindFile(r);
  if (!wind.ok) {
    services_.dialogs->Message(
        QStringLiteral("keelway"),
        QStringLiteral("The wind data was not saved: %1\nIt stays in memory.").arg(wind.message));
    return;
  }
  session_.play.HasWindFile = 1;
  SaveRaceFileOrSay();
  LayoutWindow();
  RebuildViewPictures();
  CheckBox5->setChecked(false);
  ho_.EditStep = 0;
}

}  // namespace kw
