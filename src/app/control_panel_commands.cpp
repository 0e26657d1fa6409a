// The control panel's handlers: speed and sea colour, the race to show, the view switches and
// the still map, the pages, the languages and help, attachments, Google Earth, small screen
// and leaving.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "analysis/boat_state.h"
#include "analysis/playback.h"
#include "app/boat_list.h"
#include "app/control_panel.h"
#include "app/edit_panels.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/hint_box.h"
#include "app/jump_panel.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/replay_controller.h"
#include "app/small_screen_bar.h"
#include "app/tform1.h"
#include "app/time_bar_panel.h"
#include "output/kml.h"
#include "race/numbers.h"
#include "race/racefile_save.h"
#include "race/text.h"
#include "view/geometry.h"
#include "view/language_texts.h"

namespace kw {

void ControlPanel::ScrollBar1Change() {
  f_.session.play.PlaySpeed = SpeedFromPosition(ScrollBar1->value());
  Memo2->setText(QString::number(RoundInt(f_.session.play.PlaySpeed)) + QStringLiteral("X"));
}

void ControlPanel::SetSpeedBar(float position) {
  ScrollBar1->setValue(RoundInt(position));
}

void ControlPanel::ScrollBar3Change() {
  const int p = ScrollBar3->value();
  f_.session.play.SeaBrightness = p;
  f_.rs.SeaBrightness = p;
  f_.rs.SeaColor = SeaColorFor(p);
  f_.rs.GridColor = GridColorFor(p);
  // The still map's sea is its background's: rebuilt at every change, while the replay runs
  // too (the next frame is drawn over it); a stopped replay draws the frame at once.
  if (f_.ws.Page == 1 && f_.session.view.TraceMode == 0 && f_.ws.RaceReady) {
    const bool running = f_.replay->FramesRunning();
    f_.canvas->BuildStillMap(!running);
    if (!running && f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
  }
}

void ControlPanel::Button4Click() {
  RaceData& r = f_.session.race;
  // The race the box shows: a load since the user's choice may have moved the box on.
  const int index = ComboBox1->currentIndex() + 1;
  const QString name = index >= 1 && index <= r.RaceListCount ? r.RaceList[index - 1] : QString();
  // The same file name, not a part of it ("r1.txt" is not "race-r1.txt").
  if (name.isEmpty() || QFileInfo(r.RaceFilePath).fileName() == name) {
    f_.services.dialogs->Message(QStringLiteral("keelway"), QStringLiteral("Already shown."));
    return;
  }
  const QString path = r.ProgramFolder + QStringLiteral("raceadmin/") + name;
  // A race file removed since the list was made would end the program as a race without boats.
  if (!QFileInfo(path).isFile()) {
    f_.services.dialogs->Message(QStringLiteral("keelway"),
                                 path + QStringLiteral(": file not found"));
    return;
  }
  if (!f_.edit->SettleCourseBeforeLoad()) return;
  r.SelectedRaceIndex = index;
  r.RaceFilePath = path;
  r.RaceListIndex = index;
  f_.services.sound->Beep();
  f_.form->LoadRace();
}

void ControlPanel::CheckBox1Click() {
  f_.services.sound->Beep();
  SetTraceMode();
}

void ControlPanel::SetTraceMode() {
  ViewState& v = f_.session.view;
  PlaybackState& p = f_.session.play;
  ReplayController& replay = *f_.replay;
  replay.ResetPlayButtons();
  if (CheckBox1->isChecked()) {
    up_t->show();
    p.PlayDirection = 1;
    v.TraceMode = 1;
    f_.edit->pnlEDIT1->hide();
    if (f_.ws.RaceReady) replay.SetPlaying(true);
    return;
  }
  if (f_.session.race.EditMode == 1 && f_.ws.Page == 1) f_.edit->pnlEDIT1->show();
  stop_t->show();
  replay.SetPlaying(false);
  v.TraceMode = 0;
  EnterStillMap(v);
  f_.panels->btnStopWatch->hide();
  if (!f_.ws.RaceReady) return;
  f_.canvas->BuildStillMap();
  if (f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
  f_.jump->ShowOverControls(p.RaceClock);
}

void ControlPanel::SetNorthUp(int northUp) {
  RaceData& r = f_.session.race;
  // Clicking the orientation already shown redraws nothing.
  if ((northUp == 1) == (r.NorthUp >= 1)) return;
  r.NorthUp = northUp;
  if (!f_.ws.RaceReady) return;
  f_.logo->DrawOverview();
  if (f_.session.view.TraceMode == 0 && f_.ws.Page == 1) {
    f_.canvas->BuildStillMap();
    if (f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
  }
}

void ControlPanel::RedrawStoppedMap() {
  if (f_.ws.Page != 1 || f_.replay->FramesRunning()) return;
  if (f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
}

void ControlPanel::RadioNClick() {
  SetNorthUp(1);
}

void ControlPanel::RadioWClick() {
  SetNorthUp(0);
}

void ControlPanel::CheckBox2Click() {
  f_.rs.LabelLevel = CheckBox2->isChecked() ? 1 : 0;
  if (f_.ws.Page == 3) f_.canvas->DrawPage();
}

void ControlPanel::RadioButton1Click() {
  f_.ws.Page = 1;
  f_.edit->pnlEDIT2->hide();
  ComboBox1->setEnabled(true);
  Button4->setEnabled(true);
  CheckBox4->setEnabled(true);
  MapPanels& panels = *f_.panels;
  if (!f_.rs.SmallScreen) panels.btnStopWatch->show();
  panels.btnExcell->hide();
  panels.btnSaveEx->hide();
  panels.ShowCorrectedTimeBanner();
  // Ticking "Auto Trace" sets the map following the boats (and starts a stopped replay).
  CheckBox1->setChecked(true);
  if (!f_.ws.RaceReady) return;
  ReplayController& replay = *f_.replay;
  if (replay.Timer2->isActive()) {
    replay.Timer1->start(f_.session.play.FrameInterval);
  } else if (f_.canvas->PrepareFrame()) {
    // Stopped: the map comes back at once instead of the page staying on the form.
    f_.canvas->DrawFrame();
  }
}

void ControlPanel::ShowPage(int page) {
  f_.edit->pnlEDIT1->hide();
  f_.edit->pnlEDIT2->setVisible(page == 2 && f_.session.race.EditMode == 1);
  ComboBox1->setEnabled(false);
  Button4->setEnabled(false);
  CheckBox4->setEnabled(false);
  MapPanels& panels = *f_.panels;
  panels.Panel1->hide();
  panels.btnStopWatch->hide();
  panels.Memo10->hide();
  f_.jump->hide();
  f_.ws.Page = page;
  f_.canvas->DrawPage();
}

void ControlPanel::RadioButton2Click() {
  ShowPage(2);
}

void ControlPanel::RadioButton3Click() {
  ShowPage(3);
}

void ControlPanel::ApplyLanguage() {
  const bool ja = IsJapanese(f_.ws.Language);
  QLabel* label1 = f_.boats->Label1;
  label1->setGeometry(5, label1->y(), f_.boats->width() - 18, label1->height());
  for (const CaptionRow& row : CaptionTable()) {
    QWidget* w = f_.named.Find(row.control);
    const QString& text = ja ? row.japanese : row.english;
    if (auto* label = qobject_cast<QLabel*>(w))
      label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
      button->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
      box->setTitle(text);
  }
}

void ControlPanel::jpnClick() {
  f_.ws.Language = 0;
  jpn->hide();
  usa->show();
  ApplyLanguage();
}

void ControlPanel::usaClick() {
  f_.ws.Language = 1;
  jpn->show();
  usa->hide();
  ApplyLanguage();
}

void ControlPanel::Label12Click() {
  // The small "?" opens the Japanese pages whatever the language; it is shown only when they
  // exist.
  const QString page = HelpPage(0);
  if (!QFileInfo(f_.session.race.ProgramFolder + page).isFile()) return;
  f_.services.sound->Beep();
  OpenDataPage(f_, page, page);
}

void ControlPanel::button2Click() {
  f_.services.sound->Beep();
  if (ListBox1->isVisible()) {
    ListBox1->hide();
    return;
  }
  const RaceData& r = f_.session.race;
  if (r.AttachmentCount <= 1) {
    if (r.AttachmentCount < 1) return;
    const QString path =
        ResolveFile(r.ProgramFolder + QStringLiteral("attachment/"), r.AttachmentName[0]);
    if (!path.isEmpty()) f_.services.shell->Open(path);
    return;
  }
  ListBox1->clear();
  for (int i = 0; i < r.AttachmentCount; ++i) ListBox1->addItem(DisplayText(r.AttachmentName[i]));
  ListBox1->setCurrentRow(-1);
  ListBox1->show();
  ListBox1->raise();
}

void ControlPanel::ListBox1Click() {
  const int row = ListBox1->currentRow();
  const RaceData& r = f_.session.race;
  if (row >= 0 && row < r.AttachmentCount) {
    f_.ws.SelectedAttachment = ListBox1->item(row)->text();
    // The name as the race file wrote it, in case its bytes are not UTF-8.
    const QString path =
        ResolveFile(r.ProgramFolder + QStringLiteral("attachment/"), r.AttachmentName[row]);
    if (!path.isEmpty()) f_.services.shell->Open(path);
  }
  ListBox1->hide();
}

void ControlPanel::Button3MouseDown(Qt::MouseButton button) {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  const RaceData& r = f_.session.race;
  const int language = f_.ws.Language;
  int hidden = 0;
  for (int b = 1; b <= r.BoatCount && b < static_cast<int>(r.BoatShown.size()); ++b)
    if (r.BoatShown[b] == 0) ++hidden;
  f_.ws.HideUnfocusedInKml = false;
  if (hidden > 0 || r.HiddenBoatCount > 0) {
    const QString question = IsJapanese(language)
                                 ? QStringLiteral(
                                       "フォーカスの外れた艇を隠しますか？\n"
                                       "（いいえの場合はフォーカスの外れた艇を細線で表示します）")
                                 : QStringLiteral("Hide Unfocused Boat ?");
    f_.ws.HideUnfocusedInKml = f_.services.dialogs->Ask(QStringLiteral("keelway"), question);
  }
  KmlOptions options;
  options.language = language;
  options.HideUnfocusedInKml = f_.ws.HideUnfocusedInKml;
  WriteResult w;
  if (button == Qt::RightButton) {
    // The boats where the clock stands now.
    FrameBoats boats;
    const double clock = f_.session.play.RaceClock;
    ComputeBoatState(r, clock, f_.rs.Wind.TrueWindNow, boats);
    w = ExportKmlSnapshot(r, boats, clock, options, f_.documentsFolder);
  } else {
    w = ExportKmlRace(r, options, f_.documentsFolder);
  }
  if (!w.ok) {
    f_.services.dialogs->Message(QStringLiteral("keelway"), w.message);
    return;
  }
  // The replay waits for the user to come back from the globe (the tip says so).
  if (f_.replay->Timer1->isActive()) f_.replay->stop_fClick();
  f_.services.shell->Open(w.message);
  f_.tips->ShowTip(TipId::GoogleEarth);
}

void ControlPanel::CheckBox4Click() {
  if (CheckBox4->isChecked())
    f_.small->Enter();
  else
    f_.small->Leave();
}

void ControlPanel::Button1Click() {
  {
    // No frame runs behind the save or its failure.
    const ReplayController::Held held(*f_.replay);
    // An unchanged course leaves the file as it is, byte for byte.
    if (f_.ws.RaceReady && !f_.replay->loading() && CourseChanged(f_.session.race) &&
        !f_.edit->SaveRaceFileOrSay())
      return;
  }
  f_.form->close();
}

void ControlPanel::pnlCTRLMouseMove() {
  f_.timeBar->pnlTimeBarMouseMove();
  if (f_.ws.Page == 2) f_.canvas->CopyGraphToForm();
}

}  // namespace kw
