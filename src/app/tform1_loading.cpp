// Loading a race in the window: the catalogue at creation, the window's steps of the loading
// sequence, and the outcome of a load.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

#include "analysis/playback.h"
#include "app/boat_list.h"
#include "app/control_panel.h"
#include "app/edit_panels.h"
#include "app/hint_box.h"
#include "app/insight_part.h"
#include "app/loading_cover.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/replay_controller.h"
#include "app/result_panels.h"
#include "app/small_screen_bar.h"
#include "app/tform1.h"
#include "race/numbers.h"
#include "race/racefile.h"
#include "session/loader.h"
#include "view/rankings.h"
#include "view/window_layout.h"

namespace kw {

void TForm1::FormCreate() {
  RaceData& r = f_.session.race;
  PlaybackState& p = f_.session.play;
  QDir().mkpath(f_.documentsFolder);
  p.FirstLoadDone = 0;
  p.ModeChosenByUser = 0;
  p.SpeedRampLength = 100;
  const QString notice = BuildRaceList(r);
  if (!notice.isEmpty()) f_.services.dialogs->Message(QStringLiteral("keelway"), notice);
  QComboBox* races = f_.controls->ComboBox1;
  races->clear();
  for (int i = 0; i < r.RaceListCount; ++i) races->addItem(r.RaceList[i]);
  ChooseRaceFile(r);
  p.FrameInterval = 50;
  f_.controls->ScrollBar3->setValue(100);
  p.AutoSeaColor = 1;
  f_.controls->CheckBox3->setChecked(true);
  LoadRace();
}

// The window's steps of the loading sequence.
class TForm1::Hooks : public LoadHooks {
 public:
  explicit Hooks(TForm1& form) : form_(form), f_(form.f_) {}

  void PrepareCover() override {
    RaceData& r = f_.session.race;
    f_.ws.RaceReady = false;
    f_.ws.Page = 1;
    // The boat list's sizes are taken from the race file before short tracks drop boats.
    boatListSized_ = false;
    // 2: the cover picture; 3: the whole work area, the cover over the client area.
    f_.cover->SetCoverPicture(QImage(r.ProgramFolder + QStringLiteral("raceadmin/cover.jpg")));
    if (form_.isWindow() && form_.screen()) {
      form_.setGeometry(form_.screen()->availableGeometry());
      f_.ws.ScreenHeight = form_.screen()->geometry().height();
    }
    QFont font = form_.font();
    const double ppi = form_.screen() ? form_.screen()->logicalDotsPerInch() : 96.0;
    font.setPointSize(RoundInt(864.0 / ppi));
    form_.setFont(font);
    f_.cover->setGeometry(form_.rect());
    f_.cover->show();
    f_.cover->raise();
    f_.tips->hide();
    f_.edit->pnlEDIT1->move(120, 5);
    f_.edit->pnlEDIT2->move(5, 5);
    // 4: course-editing mode replays no further races.
    ControlPanel& c = *f_.controls;
    c.chkAutoNext->setChecked(r.EditMode == 0);
    f_.session.play.AutoNext = r.EditMode == 0 ? 1 : 0;
    if (r.EditMode == 1) c.RadioW->setChecked(true);
    // 5: Japanese texts on a Japanese system, else English, decided again at every load.
    const bool japanese = f_.ws.JapaneseLocale;
    f_.ws.Language = japanese ? 0 : 2;
    c.jpn->hide();
    c.usa->setVisible(japanese);
    f_.ws.HintsOn = true;
    f_.logo->chkHint->setChecked(true);
    // 6
    f_.replay->Timer1->stop();
    f_.replay->Timer2->stop();
    form_.FreeRaceControls();
    ResetPanels();
    f_.ws.SplashStart = f_.services.clock->TickCount();
  }

  // The one place the window lets pending events run: the loading sequence runs on the
  // window's thread, and between boats the cover's progress is painted and the window answers
  // (a close abandons the load at the next boat). Nothing else in the window pumps events.
  void ProcessEvents() override { QCoreApplication::processEvents(); }

  void RaceFileRead() override {
    const RaceData& r = f_.session.race;
    if (!boatListSized_) {
      const BoatListSizes sizes = BoatListSizesFor(r.BoatCount, r.ClassCount);
      f_.ws.BoatListRows = sizes.rows;
      f_.ws.ClassPanelHeight = sizes.classPanelHeight;
      f_.ws.BoatListMinHeight = sizes.minHeight;
      boatListSized_ = true;
    }
    QComboBox* races = f_.controls->ComboBox1;
    races->setCurrentIndex(r.RaceListIndex - 1);
    // A race file outside the list (an edit file's race) still shows its name.
    races->setPlaceholderText(QFileInfo(r.RaceFilePath).fileName());
    f_.cover->ShowCaptions();
    form_.ApplyRaceFileControls();
    form_.show();
  }

  bool TrackProgress(int i, int n, const QString& text) override {
    if (f_.replay->closing()) return false;
    if (i == 1) {
      f_.panels->pnlCT->hide();
      // The splash hold counts from here.
      f_.ws.SplashStart = f_.services.clock->TickCount();
      f_.ws.SplashDone = false;
    }
    f_.cover->ShowProgress(i, n, text);
    return true;
  }

  void ViewSetUp() override { form_.SetUpView(); }

  void Beep() override { f_.services.sound->Beep(); }

  void PlaybackReady() override {
    PlaybackState& p = f_.session.play;
    p.FinishShown.assign(static_cast<size_t>(f_.session.race.BoatCount) + 1, 0);
    p.FinishedCount = 0;
    p.PrevRaceClock = f_.session.race.ClockFirst;
    p.SpeedRampStep = 0;
    // A step measured on the previous race would run this one on behind the cover.
    p.ClockStep = 0;
    p.LastCountdownMinute = 1;
    p.StopWatchState = 0;
    f_.panels->btnStopWatch->setText(QStringLiteral("TIMER/ON"));
    f_.panels->Memo8->hide();
    // The ranking list is drawn once, in finish order; the replay reveals it row by row.
    f_.results->SetRankingList(DrawRankingList(f_.session.race, f_.session.passing));
    f_.replay->ResetPlayButtons();
    ControlPanel& c = *f_.controls;
    c.up_t->show();
    c.plus->show();
    c.minus->show();
    c.ApplyLanguage();
  }

  void PanelLayout() override {
    RaceData& r = f_.session.race;
    PlaybackState& p = f_.session.play;
    p.RaceSpeedPosition = SpeedToPosition(static_cast<float>(r.RaceSpeed));
    p.PreStartSpeedPosition = SpeedToPosition(static_cast<float>(r.PreStartSpeed));
    f_.controls->SetSpeedBar(SpeedToPosition(static_cast<float>(p.PlaySpeed)));
    form_.LayoutWindow();
    form_.RebuildViewPictures();
  }

  void Started() override {
    if (f_.replay->closing()) return;
    f_.replay->Timer2->start(1000);
    f_.panels->btnStopWatch->setVisible(!f_.rs.SmallScreen);
    const RaceData& r = f_.session.race;
    ControlPanel& c = *f_.controls;
    c.RadioW->setChecked(r.NorthUp < 1);
    c.RadioN->setChecked(r.NorthUp >= 1);
    if (r.EditMode == 0) c.CheckBox2->setChecked(true);
    // The load follows the boats again: "Auto Trace" says so too, or the next frames would
    // centre the moving map on the still map's centre of the race before.
    if (f_.session.view.TraceMode == 1 && !c.CheckBox1->isChecked()) {
      const QSignalBlocker quiet(c.CheckBox1);
      c.CheckBox1->setChecked(true);
      f_.rs.AutoTrace = true;
      f_.replay->ResetPlayButtons();
      c.up_t->show();
    }
    f_.ws.RaceReady = true;
  }

 private:
  // 7, 8, 9: the panels and switches as a new race finds them.
  void ResetPanels() {
    f_.cover->LayOutCover();
    MapPanels& p = *f_.panels;
    ControlPanel& c = *f_.controls;
    p.btnExcell->move(5, 5);
    p.btnSaveEx->move(p.btnExcell->geometry().right() + 1, 5);
    f_.cover->memo4->clear();
    f_.canvas->ResizeBitmaps(std::max(1, f_.session.view.MapWidth),
                             std::max(1, f_.session.view.MapHeight));
    // A load keeps the size chosen on the small screen's bar (3 when none was chosen yet).
    if (!c.CheckBox4->isChecked())
      f_.rs.SmallScreen = 0;
    else if (f_.rs.SmallScreen == 0)
      f_.rs.SmallScreen = 3;
    p.blue_p->move(0, 0);
    p.kwlogo->move(0, 0);
    p.pnlFLAG->hide();
    f_.small->Memo13->hide();
    c.RadioButton1->setChecked(true);
    c.ComboBox1->setEnabled(true);
    c.Button4->setEnabled(true);
    c.CheckBox4->setEnabled(true);
    p.btnExcell->hide();
    p.btnSaveEx->hide();
    f_.edit->pnlEDIT2->hide();
    c.ScrollBar2->setValue(c.ScrollBar2->maximum());
    f_.logo->show();
    c.show();
    f_.results->HideRankings();
    f_.rs.HoverBoat = 0;
    f_.rs.MarkedBoat = 0;
    f_.rs.ShowSails = true;
  }

  TForm1& form_;
  FormContext& f_;
  bool boatListSized_ = false;
};

void TForm1::LoadRace() {
  // A load lets events run; none of them may start another load, and a closed window loads
  // nothing more.
  ReplayController& replay = *f_.replay;
  if (replay.loading() || replay.closing()) return;
  replay.BeginLoad();
  Hooks hooks(*this);
  const LoadOutcome o = kw::LoadRace(f_.session, hooks);
  if (replay.closing()) return;
  replay.EndLoad(o.status == LoadOutcome::Loaded && f_.ws.RaceReady);
  if (!o.notice.isEmpty()) f_.services.dialogs->Message(QStringLiteral("keelway"), o.notice);
  switch (o.status) {
    case LoadOutcome::Loaded:
      f_.edit->AfterLoad();
      f_.insight->RaceLoaded();
      // The cover stays for the splash hold of the one-second timer; the first frame is
      // drawn behind it.
      if (f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
      break;
    case LoadOutcome::NoBoats:
      f_.services.dialogs->Message(QStringLiteral("keelway"),
                                   QStringLiteral("GPS file not exists."));
      f_.ws.EndRequested = true;
      emit programEnd();
      break;
    case LoadOutcome::ConversionError:
      // What was read stays; the window stays usable, but nothing replays a half-loaded race.
      f_.ws.RaceReady = false;
      f_.cover->hide();
      f_.services.dialogs->Message(QStringLiteral("keelway"), o.error.Text());
      break;
    case LoadOutcome::Cancelled:
      f_.ws.RaceReady = false;
      break;
  }
}

void TForm1::ApplyRaceFileControls() {
  const ControlSettings& c = f_.session.race.Controls;
  MapPanels& p = *f_.panels;
  p.RadioButton11->setChecked(c.CtModeChecked);
  p.RadioButton10->setChecked(!c.CtModeChecked);
  f_.controls->RadioW->setChecked(c.WindwardChecked);
  f_.controls->RadioN->setChecked(!c.WindwardChecked);
  f_.controls->Button2->setEnabled(c.AttFilesEnabled);
  p.pnlCT->setVisible(f_.session.race.HasHandicap != 0);
}

void TForm1::FreeRaceControls() {
  f_.logo->FreeBoatMarkers();
  f_.boats->FreeLists();
}

}  // namespace kw
