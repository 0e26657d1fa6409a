// Loading a race in the window: the catalogue at creation, the window's steps of the loading
// sequence, the cover with its progress bar, and the outcome of a load.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

#include "app/form_widgets.h"
#include "app/tform1.h"
#include "race/numbers.h"
#include "race/racefile.h"
#include "view/rankings.h"
#include "view/window_layout.h"

namespace kw {

void TForm1::FormCreate() {
  RaceData& r = session_.race;
  QDir().mkpath(documentsFolder_);
  session_.play.FirstLoadDone = 0;
  session_.play.ModeChosenByUser = 0;
  session_.play.SpeedRampLength = 100;
  const QString notice = BuildRaceList(r);
  if (!notice.isEmpty()) services_.dialogs->Message(QStringLiteral("keelway"), notice);
  ComboBox1->clear();
  for (int i = 0; i < r.RaceListCount; ++i) ComboBox1->addItem(r.RaceList[i]);
  ChooseRaceFile(r);
  session_.play.FrameInterval = 50;
  ScrollBar3->setValue(100);
  session_.play.AutoSeaColor = 1;
  CheckBox3->setChecked(true);
  LoadRace();
}

// The window's steps of the loading sequence.
class TForm1::Hooks : public LoadHooks {
 public:
  explicit Hooks(TForm1& f) : f_(f) {}

  void PrepareCover() override {
    RaceData& r = f_.session_.race;
    f_.raceReady_ = false;
    // 2: the cover picture.
    QImage cover(r.ProgramFolder + QStringLiteral("raceadmin/cover.jpg"));
    f_.hasCover_ = !cover.isNull();
    f_.Image2->setPixmap(f_.hasCover_ ? QPixmap::fromImage(cover) : QPixmap());
    f_.Image2->resize(f_.hasCover_ ? cover.size() : QSize(0, 0));
    // 3: the whole work area; the cover over the client area.
    if (f_.isWindow() && f_.screen()) {
      f_.setGeometry(f_.screen()->availableGeometry());
      f_.screenHeight_ = f_.screen()->geometry().height();
    }
    QFont font = f_.font();
    const double ppi = f_.screen() ? f_.screen()->logicalDotsPerInch() : 96.0;
    font.setPointSize(RoundInt(864.0 / ppi));
    f_.setFont(font);
    f_.pnlSPLITE->setGeometry(f_.rect());
    f_.pnlSPLITE->show();
    f_.pnlSPLITE->raise();
    f_.hintbox->hide();
    f_.pnlEDIT1->move(120, 5);
    f_.pnlEDIT2->move(5, 5);
    // 4: course-editing mode replays no further races.
    f_.chkAutoNext->setChecked(r.EditMode == 0);
    f_.session_.play.AutoNext = r.EditMode == 0 ? 1 : 0;
    if (r.EditMode == 1) f_.RadioW->setChecked(true);
    // 5: Japanese texts on a Japanese system, else English, decided again at every load.
    const bool japanese = f_.japaneseLocale_;
    f_.session_.play.Language = japanese ? 0 : 2;
    f_.jpn->hide();
    f_.usa->setVisible(japanese);
    f_.hintsOn_ = true;
    f_.chkHint->setChecked(true);
    // 6
    f_.Timer1->stop();
    f_.Timer2->stop();
    f_.FreeRaceControls();
    // 7, 8
    f_.LayOutCover();
    f_.btnExcell->move(5, 5);
    f_.btnSaveEx->move(f_.btnExcell->geometry().right() + 1, 5);
    f_.memo4->clear();
    f_.ResizeBitmaps(std::max(1, f_.session_.view.MapWidth),
                     std::max(1, f_.session_.view.MapHeight));
    f_.rs_.SmallScreen = f_.CheckBox4->isChecked();
    f_.blue_p->move(0, 0);
    f_.kwlogo->move(0, 0);
    f_.pnlFLAG->hide();
    f_.Memo13->hide();
    // 9
    f_.RadioButton1->setChecked(true);
    f_.ComboBox1->setEnabled(true);
    f_.Button4->setEnabled(true);
    f_.CheckBox4->setEnabled(true);
    f_.btnExcell->hide();
    f_.btnSaveEx->hide();
    f_.pnlEDIT2->hide();
    f_.ScrollBar2->setValue(f_.ScrollBar2->maximum());
    f_.pnlLOGO->show();
    f_.pnlCTRL->show();
    f_.pnlScore->hide();
    f_.pnlScore2->hide();
    f_.rs_.HoverBoat = 0;
    f_.rs_.MarkedBoat = 0;
    f_.rs_.ShowSails = true;
    f_.session_.play.SplashStart = f_.services_.clock->TickCount();
  }

  void ProcessEvents() override { QCoreApplication::processEvents(); }

  void RaceFileRead() override {
    const RaceData& r = f_.session_.race;
    f_.ComboBox1->setCurrentIndex(r.RaceListIndex - 1);
    // A race file outside the list (an edit file's race) still shows its name.
    f_.ComboBox1->setPlaceholderText(QFileInfo(r.RaceFilePath).fileName());
    f_.ShowCaptions();
    f_.ApplyRaceFileControls();
    f_.show();
  }

  bool TrackProgress(int i, int n, const QString& text) override {
    if (f_.closing_) return false;
    if (i == 1) {
      f_.pnlCT->hide();
      // The splash hold counts from here.
      f_.session_.play.SplashStart = f_.services_.clock->TickCount();
      f_.session_.play.SplashDone = false;
    }
    f_.ShowProgress(i, n, text);
    return true;
  }

  void ViewSetUp() override { f_.SetUpView(); }

  void Beep() override { f_.services_.sound->Beep(); }

  void PlaybackReady() override {
    PlaybackState& p = f_.session_.play;
    p.FinishShown.assign(static_cast<size_t>(f_.session_.race.BoatCount) + 1, 0);
    p.FinishedCount = 0;
    p.PrevRaceClock = f_.session_.race.ClockFirst;
    p.SpeedRampStep = 0;
    // A step measured on the previous race would run this one on behind the cover.
    p.ClockStep = 0;
    p.LastCountdownMinute = 1;
    p.StopWatchState = 0;
    f_.btnStopWatch->setText(QStringLiteral("TIMER/ON"));
    f_.Memo8->hide();
    // The ranking list is drawn once, in finish order; the replay reveals it row by row.
    const QImage list = DrawRankingList(f_.session_.race, f_.session_.passing);
    f_.Image5->setPixmap(QPixmap::fromImage(list));
    f_.Image5->resize(list.size());
    f_.pnlScore->resize(185, 6);
    f_.ResetPlayButtons();
    f_.up_t->show();
    f_.plus->show();
    f_.minus->show();
    f_.ApplyLanguage();
  }

  void PanelLayout() override {
    RaceData& r = f_.session_.race;
    PlaybackState& p = f_.session_.play;
    p.RaceSpeedPosition = SpeedToPosition(static_cast<float>(r.RaceSpeed));
    p.PreStartSpeedPosition = SpeedToPosition(static_cast<float>(r.PreStartSpeed));
    f_.SetSpeedBar(SpeedToPosition(static_cast<float>(p.PlaySpeed)));
    f_.LayoutWindow();
    f_.RebuildViewPictures();
  }

  void Started() override {
    if (f_.closing_) return;
    f_.Timer2->start(1000);
    f_.btnStopWatch->setVisible(!f_.rs_.SmallScreen);
    RaceData& r = f_.session_.race;
    f_.RadioW->setChecked(r.NorthUp < 1);
    f_.RadioN->setChecked(r.NorthUp >= 1);
    if (r.EditMode == 0) f_.CheckBox2->setChecked(true);
    // The load follows the boats again: "Auto Trace" says so too, or the next frames would
    // centre the moving map on the still map's centre of the race before.
    if (f_.session_.view.TraceMode == 1 && !f_.CheckBox1->isChecked()) {
      const QSignalBlocker quiet(f_.CheckBox1);
      f_.CheckBox1->setChecked(true);
      f_.rs_.AutoTrace = true;
      f_.ResetPlayButtons();
      f_.up_t->show();
    }
    f_.raceReady_ = true;
  }

 private:
  TForm1& f_;
};

void TForm1::LoadRace() {
  // A load lets events run; none of them may start another load.
  if (loading_) return;
  ++loads_;
  LoadOutcome o;
  {
    FlagScope guard(loading_);
    Hooks hooks(*this);
    o = kw::LoadRace(session_, hooks);
  }
  if (closing_) return;
  if (!o.notice.isEmpty()) services_.dialogs->Message(QStringLiteral("keelway"), o.notice);
  switch (o.status) {
    case LoadOutcome::Loaded:
      HandsOnAfterLoad();
      // The cover stays for the splash hold of the one-second timer; the first frame is
      // drawn behind it.
      if (PrepareFrame()) DrawFrame();
      break;
    case LoadOutcome::NoBoats:
      services_.dialogs->Message(QStringLiteral("keelway"), QStringLiteral("GPS file not exists."));
      endRequested_ = true;
      emit programEnd();
      break;
    case LoadOutcome::ConversionError:
      // What was read stays; the window stays usable, but nothing replays a half-loaded race.
      raceReady_ = false;
      pnlSPLITE->hide();
      GeneralError(o.error.Text());
      break;
    case LoadOutcome::Cancelled:
      raceReady_ = false;
      break;
  }
}

void TForm1::LayOutCover() {
  const int w = width(), h = height();
  const QSize img = Image2->size();
  const int top = (h - img.height()) / 2;
  Image2->move((w - img.width()) / 2, top);
  const int below = top + img.height();
  Image3->move((w - Image3->width()) / 2, below + 45);
  QPixmap bar(Image3->size());
  bar.fill(QColor(255, 255, 0));
  QPainter p(&bar);
  p.setPen(Qt::black);
  p.drawRect(0, 0, bar.width() - 1, bar.height() - 1);
  p.end();
  Image3->setPixmap(bar);
  memo4->move((w - memo4->width()) / 2, below + 20);
  coverNotice_->move((w - coverNotice_->width()) / 2, below + 70);
  memo5->move((w - memo5->width()) / 2, top >= 180 ? top - 70 : 110);
  Memo7->move((w - Memo7->width()) / 2, top >= 180 ? top - 130 : 50);
  Label10->move((w - Label10->width()) / 2, h - 35);
  Label9->move((w - Label9->width()) / 2, h - 51);
  Label8->move((w - Label8->width()) / 2, h - 75);
  const bool low = h < 610;
  Label8->setVisible(!low);
  Label9->setVisible(!low);
  Label10->setVisible(!low);
  Memo7->setVisible(!low);
  if (low) memo5->move(memo5->x(), (top - 20) / 2);
}

void TForm1::SetCoverNotice(const QString& text) {
  coverNotice_->setText(text);
  coverNotice_->setVisible(!text.isEmpty());
}

void TForm1::ShowProgress(int i, int n, const QString& text) {
  memo4->show();
  QPixmap bar = Image3->pixmap();
  if (bar.isNull()) return;
  QPainter p(&bar);
  p.fillRect(0, 0, RoundInt(static_cast<double>(i) * bar.width() / n), bar.height(),
             QColor(0, 0, 255));
  p.end();
  Image3->setPixmap(bar);
  memo4->setText(text);
  Image3->repaint();
  memo4->repaint();
}

void TForm1::ShowCaptions() {
  const RaceData& r = session_.race;
  setWindowTitle(r.RaceCaption);
  memo5->setText(r.RaceCaption.trimmed());
  Memo7->setText(r.RaceCaption2);
}

void TForm1::ApplyRaceFileControls() {
  const ControlSettings& c = session_.race.Controls;
  RadioButton11->setChecked(c.CtModeChecked);
  RadioButton10->setChecked(!c.CtModeChecked);
  RadioW->setChecked(c.WindwardChecked);
  RadioN->setChecked(!c.WindwardChecked);
  Button2->setEnabled(c.AttFilesEnabled);
  pnlCT->setVisible(session_.race.HasHandicap != 0);
}

void TForm1::GeneralError(const QString& text) {
  services_.dialogs->Message(QStringLiteral("keelway"), text);
}

void TForm1::FreeRaceControls() {
  for (QWidget* w : boatMarkers_) delete w;
  for (QWidget* w : classBoxes_) delete w;
  for (QWidget* w : boatBoxes_) delete w;
  boatMarkers_.clear();
  classBoxes_.clear();
  boatBoxes_.clear();
}

}  // namespace kw
