#include "app/tform1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QThread>
#include <QTimeEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "analysis/playback.h"
#include "output/report.h"
#include "race/datetime.h"
#include "race/numbers.h"
#include "race/racefile.h"
#include "race/text.h"
#include "view/artwork.h"
#include "view/geometry.h"
#include "view/rankings.h"
#include "view/renderer.h"
#include "view/time_bar.h"
#include "view/window_layout.h"

namespace kw {

namespace {

template <typename W, typename... A>
W* Make(QWidget* parent, const char* name, A&&... args) {
  W* w = new W(std::forward<A>(args)..., parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int width, int height) {
  QLabel* l = Make<QLabel>(parent, name);
  l->resize(width, height);
  l->setAlignment(Qt::AlignCenter);
  return l;
}

QLabel* MakePicture(QWidget* parent, const char* name) {
  QLabel* l = Make<QLabel>(parent, name);
  const QImage img = FormPicture(QString::fromLatin1(name));
  l->setPixmap(QPixmap::fromImage(img));
  l->resize(img.isNull() ? FormPictureSize(QString::fromLatin1(name)) : img.size());
  return l;
}

QLabel* MakeMemo(QWidget* parent, const char* name) {
  QLabel* l = Make<QLabel>(parent, name);
  l->setAutoFillBackground(true);
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  return l;
}

void SetColours(QWidget* w, QColor background, QColor text) {
  w->setAutoFillBackground(true);
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::Button, background);
  pal.setColor(QPalette::WindowText, text);
  pal.setColor(QPalette::ButtonText, text);
  w->setPalette(pal);
}

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

// The place of every child of the control panel, from the one table.
void PlaceControls(QWidget* panel) {
  for (const ControlPlace& c : ControlPanelPlaces()) {
    if (QWidget* w = panel->findChild<QWidget*>(QString::fromLatin1(c.name)))
      w->setGeometry(c.rect);
  }
}

// A 7 x 7 dot on the overview map for one boat.
class BoatMarker : public QWidget {
 public:
  BoatMarker(QWidget* parent, QColor fill) : QWidget(parent), fill_(fill) {
    resize(7, 7);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(Qt::white);
    p.setBrush(fill_);
    p.drawEllipse(0, 0, 6, 6);
  }

 private:
  QColor fill_;
};

// Clears a flag when the scope ends, however it ends.
struct FlagScope {
  bool& flag;
  explicit FlagScope(bool& f) : flag(f) { flag = true; }
  ~FlagScope() { flag = false; }
};

}  // namespace

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
    // 5: Japanese texts on a Japanese system, else English.
    const bool japanese = QLocale::system().language() == QLocale::Japanese;
    f_.session_.play.Language = japanese ? 0 : 2;
    f_.jpn->hide();
    f_.usa->setVisible(japanese);
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
  }

  void PanelLayout() override {
    RaceData& r = f_.session_.race;
    PlaybackState& p = f_.session_.play;
    p.RaceSpeedPosition = SpeedToPosition(static_cast<float>(r.RaceSpeed));
    p.PreStartSpeedPosition = SpeedToPosition(static_cast<float>(r.PreStartSpeed));
    f_.SetSpeedBar(SpeedToPosition(static_cast<float>(p.PlaySpeed)));
    f_.LayoutWindow();
  }

  void Started() override {
    if (f_.closing_) return;
    f_.Timer2->start(1000);
    f_.btnStopWatch->show();
    RaceData& r = f_.session_.race;
    f_.RadioW->setChecked(r.NorthUp < 1);
    f_.RadioN->setChecked(r.NorthUp >= 1);
    if (r.EditMode == 0) f_.CheckBox2->setChecked(true);
    f_.raceReady_ = true;
  }

 private:
  TForm1& f_;
};

TForm1::TForm1(const Services& services, const QString& programFolder,
               const QString& documentsFolder, QWidget* parent)
    : QWidget(parent), services_(services), documentsFolder_(documentsFolder) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("keelway v3.1"));
  setMouseTracking(true);
  session_.race.ProgramFolder = programFolder.endsWith('/') ? programFolder : programFolder + '/';
  BuildControls();
}

TForm1::~TForm1() {
  closing_ = true;
}

void TForm1::BuildControls() {
  pnlLOGO = Make<QFrame>(this, "pnlLOGO");
  SetColours(pnlLOGO, QColor(212, 208, 200), Qt::black);
  pnlLOGO->setMouseTracking(true);
  pnlLOGO->installEventFilter(this);
  Image1 = Make<QLabel>(pnlLOGO, "Image1");
  Image1->setGeometry(3, 3, 170, 170);
  Memo1 = MakeMemo(pnlLOGO, "Memo1");
  Memo1->setGeometry(3, 176, 170, 18);
  imgLOGO = MakePicture(pnlLOGO, "imgLOGO");
  imgLOGO->move(180, 3);
  Memo14 = Make<QLabel>(pnlLOGO, "Memo14");
  Memo14->setGeometry(180, imgLOGO->geometry().bottom() + 9, 80, 16);

  pnlBOATlist = Make<QFrame>(this, "pnlBOATlist");
  SetColours(pnlBOATlist, QColor(212, 208, 200), Qt::black);
  QFont listFont = pnlBOATlist->font();
  listFont.setPixelSize(10);
  pnlBOATlist->setFont(listFont);
  Label1 =
      Make<QLabel>(pnlBOATlist, "Label1", QStringLiteral("Boat Name                  Boat Name"));
  Label1->setGeometry(9, 0, 250, 14);

  BuildControlPanel();
  BuildTimeBar();
  BuildFloatingPanels();

  hintbox = Make<QLabel>(this, "hintbox");
  SetColours(hintbox, QColor(255, 255, 225), Qt::black);
  hintbox->setFrameShape(QFrame::Box);
  hintbox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // The tip never takes the pointer away from what it explains.
  hintbox->setAttribute(Qt::WA_TransparentForMouseEvents);
  hintbox->hide();

  // The cover lies above everything while a race loads.
  pnlSPLITE = Make<QFrame>(this, "pnlSPLITE");
  SetColours(pnlSPLITE, QColor(0, 0, 64), Qt::white);
  Image2 = Make<QLabel>(pnlSPLITE, "Image2");
  Image3 = MakeLabel(pnlSPLITE, "Image3", 300, 18);
  memo4 = MakeLabel(pnlSPLITE, "memo4", 500, 18);
  memo5 = MakeLabel(pnlSPLITE, "memo5", 900, 40);
  Memo7 = MakeLabel(pnlSPLITE, "Memo7", 900, 30);
  Label8 = MakeLabel(pnlSPLITE, "Label8", 400, 16);
  Label8->setText(QStringLiteral("keelway v3.1"));
  Label9 = MakeLabel(pnlSPLITE, "Label9", 400, 16);
  Label9->setText(QStringLiteral("Powered by"));
  Label10 = MakeLabel(pnlSPLITE, "Label10", 400, 16);
  Label10->setText(QStringLiteral("keelway developers"));
  QFont big = memo5->font();
  big.setPointSize(18);
  big.setBold(true);
  memo5->setFont(big);
  big.setPointSize(13);
  Memo7->setFont(big);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setTimerType(Qt::PreciseTimer);
  Timer1->setInterval(session_.play.FrameInterval);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setTimerType(Qt::PreciseTimer);
  Timer2->setInterval(1000);
  connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
  Timer3 = new QTimer(this);
  Timer3->setObjectName(QStringLiteral("Timer3"));
  Timer3->setInterval(1000);
  connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
  Timer3->start();

  ScrollBar3->setValue(100);
  ScrollBar3Change();
  CheckBox3->setChecked(true);
  ScrollBar1Change();
}

void TForm1::BuildControlPanel() {
  pnlCTRL = Make<QFrame>(this, "pnlCTRL");
  SetColours(pnlCTRL, QColor(212, 208, 200), Qt::black);
  pnlCTRL->setFrameShape(QFrame::Panel);
  pnlCTRL->setFrameShadow(QFrame::Raised);
  pnlCTRL->setMouseTracking(true);
  pnlCTRL->installEventFilter(this);
  pnlCTRL->resize(265, 255);
  // The places of the panel are sized for a small font.
  QFont small = pnlCTRL->font();
  small.setPixelSize(11);
  pnlCTRL->setFont(small);
  QWidget* c = pnlCTRL;
  Label5 = Make<QLabel>(c, "Label5", QStringLiteral("Race File Name"));
  ComboBox1 = Make<QComboBox>(c, "ComboBox1");
  connect(ComboBox1, QOverload<int>::of(&QComboBox::activated), this,
          [this](int index) { session_.race.SelectedRaceIndex = index + 1; });
  chkAutoNext = Make<QCheckBox>(c, "chkAutoNext", QStringLiteral("AutoNext"));
  connect(chkAutoNext, &QCheckBox::toggled, this,
          [this](bool on) { session_.play.AutoNext = on ? 1 : 0; });
  Label12 = Make<QLabel>(c, "Label12", QStringLiteral("?"));
  Label14 = Make<QLabel>(c, "Label14", QStringLiteral("SCR"));
  Button1 = Make<QPushButton>(c, "Button1", QStringLiteral("EXIT"));
  Button4 = Make<QPushButton>(c, "Button4", QStringLiteral("SHOW"));
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);

  GroupBox2 = Make<QGroupBox>(c, "GroupBox2", QStringLiteral("Page"));
  RadioButton1 = Make<QRadioButton>(GroupBox2, "RadioButton1", QStringLiteral("Track"));
  RadioButton1->setGeometry(6, 13, 56, 13);
  RadioButton2 = Make<QRadioButton>(GroupBox2, "RadioButton2", QStringLiteral("Graph"));
  RadioButton2->setGeometry(6, 26, 56, 13);
  RadioButton3 = Make<QRadioButton>(GroupBox2, "RadioButton3", QStringLiteral("Anlys"));
  RadioButton3->setGeometry(6, 39, 56, 13);
  GroupBox1 = Make<QGroupBox>(c, "GroupBox1", QStringLiteral("Orientation"));
  RadioN = Make<QRadioButton>(GroupBox1, "RadioN", QStringLiteral("Northwd"));
  RadioN->setGeometry(6, 13, 62, 14);
  RadioW = Make<QRadioButton>(GroupBox1, "RadioW", QStringLiteral("Windwd"));
  RadioW->setGeometry(6, 28, 62, 14);
  RadioW->setChecked(true);

  pnlDIR = Make<QFrame>(c, "pnlDIR");
  pnlDIR->setFrameShape(QFrame::Panel);
  pnlDIR->setFrameShadow(QFrame::Sunken);
  up_f = MakePicture(pnlDIR, "up_f");
  up_t = MakePicture(pnlDIR, "up_t");
  stop_f = MakePicture(pnlDIR, "stop_f");
  stop_t = MakePicture(pnlDIR, "stop_t");
  dn_f = MakePicture(pnlDIR, "dn_f");
  dn_t = MakePicture(pnlDIR, "dn_t");
  plus = MakePicture(pnlDIR, "plus");
  minus = MakePicture(pnlDIR, "minus");
  // Twins share a place; the lit one lies above its unlit twin.
  up_f->move(8, 17);
  up_t->move(8, 17);
  stop_f->move(8, up_t->geometry().bottom() + 1);
  stop_t->move(8, up_t->geometry().bottom() + 1);
  dn_f->move(8, stop_t->geometry().bottom() + 1);
  dn_t->move(8, stop_t->geometry().bottom() + 1);
  plus->move(35, up_t->y());
  minus->move(35, dn_t->y());
  for (QLabel* l : {up_f, up_t, stop_f, stop_t, dn_f, dn_t, plus, minus}) {
    l->installEventFilter(this);
    l->setCursor(Qt::PointingHandCursor);
  }

  GroupBox4 = Make<QGroupBox>(c, "GroupBox4", QStringLiteral("Sea Color"));
  CheckBox3 = Make<QCheckBox>(GroupBox4, "CheckBox3", QStringLiteral("AUTO"));
  CheckBox3->setGeometry(6, 16, 60, 16);
  connect(CheckBox3, &QCheckBox::toggled, this,
          [this](bool on) { session_.play.AutoSeaColor = on ? 1 : 0; });
  ScrollBar3 = Make<QScrollBar>(GroupBox4, "ScrollBar3", Qt::Horizontal);
  ScrollBar3->setRange(0, 100);
  ScrollBar3->setGeometry(6, 40, 59, 16);
  connect(ScrollBar3, &QScrollBar::valueChanged, this, &TForm1::ScrollBar3Change);

  Label3 = Make<QLabel>(c, "Label3", QStringLiteral("ZOOM"));
  ScrollBar2 = Make<QScrollBar>(c, "ScrollBar2", Qt::Horizontal);
  ScrollBar2->setRange(0, 100);
  connect(ScrollBar2, &QScrollBar::valueChanged, this,
          [this](int pos) { session_.view.TraceZoomOut = std::max(1.0, 10.0 - pos / 10.0); });
  usa = MakePicture(c, "usa");
  jpn = MakePicture(c, "jpn");
  Label2 = Make<QLabel>(c, "Label2", QStringLiteral("SPEED"));
  ScrollBar1 = Make<QScrollBar>(c, "ScrollBar1", Qt::Horizontal);
  ScrollBar1->setRange(0, 136);
  ScrollBar1->setPageStep(5);
  ScrollBar1->setValue(30);
  connect(ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
  Memo2 = MakeMemo(c, "Memo2");
  Memo2->setAlignment(Qt::AlignCenter);

  CheckBox1 = Make<QCheckBox>(c, "CheckBox1", QStringLiteral("Auto Trace"));
  CheckBox1->setChecked(true);
  connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) { rs_.AutoTrace = on; });
  chkLL = Make<QCheckBox>(c, "chkLL", QStringLiteral("Lay Line"));
  ChkRefLine = Make<QCheckBox>(c, "ChkRefLine", QStringLiteral("Comp Line"));
  connect(ChkRefLine, &QCheckBox::toggled, this, [this](bool on) { rs_.CompLine = on; });
  CheckBox2 = Make<QCheckBox>(c, "CheckBox2", QStringLiteral("Show Name"));
  CheckBox2->setChecked(true);
  ChkBigBoat = Make<QCheckBox>(c, "ChkBigBoat", QStringLiteral("Big Boat"));
  connect(ChkBigBoat, &QCheckBox::toggled, this, [this](bool on) { rs_.BigBoat = on; });
  CheckBox4 = Make<QCheckBox>(c, "CheckBox4", QStringLiteral("Small Scr"));
  Button3 = Make<QPushButton>(c, "Button3", QStringLiteral("Google Earth"));
  Button2 = Make<QPushButton>(c, "Button2", QStringLiteral("Att Files"));
  ListBox1 = Make<QListWidget>(c, "ListBox1");
  ListBox1->hide();
  PlaceControls(pnlCTRL);
  ListBox1->setGeometry(Button2->x(), Button2->y() - 3 - 60, Button2->width(), 60);
  for (QWidget* w :
       {static_cast<QWidget*>(Label5), static_cast<QWidget*>(Label3), static_cast<QWidget*>(Label2),
        static_cast<QWidget*>(Label12), static_cast<QWidget*>(Label14)}) {
    QFont f = w->font();
    f.setPointSize(7);
    w->setFont(f);
  }
}

void TForm1::BuildTimeBar() {
  pnlTimeBar = Make<QFrame>(this, "pnlTimeBar");
  pnlTimeBar->setMouseTracking(true);
  pnlTimeBar->installEventFilter(this);
  BackTimeBar = Make<QLabel>(pnlTimeBar, "BackTimeBar");
  BackTimeBar->setMouseTracking(true);
  BackTimeBar->installEventFilter(this);
  TimeBar = Make<QLabel>(pnlTimeBar, "TimeBar");
  TimeBar->setMouseTracking(true);
  TimeBar->installEventFilter(this);
  TimeBar->setCursor(Qt::PointingHandCursor);
  TimePointer = Make<QLabel>(pnlTimeBar, "TimePointer");
  TimePointer->setAutoFillBackground(true);
  SetColours(TimePointer, Qt::red, Qt::red);
  TimePointer->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TForm1::BuildFloatingPanels() {
  pnlFLAG = Make<QFrame>(this, "pnlFLAG");
  kwlogo = MakePicture(pnlFLAG, "kwlogo");
  blue_p = MakePicture(pnlFLAG, "blue_p");
  pnlFLAG->resize(kwlogo->size().expandedTo(blue_p->size()));
  pnlFLAG->hide();

  pnlCT = Make<QFrame>(this, "pnlCT");
  SetColours(pnlCT, QColor(212, 208, 200), Qt::black);
  pnlCT->resize(170, 26);
  RadioButton10 = Make<QRadioButton>(pnlCT, "RadioButton10", QStringLiteral("ET mode"));
  RadioButton10->setGeometry(6, 4, 78, 18);
  RadioButton11 = Make<QRadioButton>(pnlCT, "RadioButton11", QStringLiteral("CT mode"));
  RadioButton11->setGeometry(88, 4, 78, 18);
  pnlCT->hide();

  pnlScore = Make<QFrame>(this, "pnlScore");
  SetColours(pnlScore, Qt::black, Qt::white);
  Image5 = Make<QLabel>(pnlScore, "Image5");
  Image5->move(0, 0);
  pnlScore->resize(185, 6);
  pnlScore->hide();
  pnlScore2 = Make<QFrame>(this, "pnlScore2");
  SetColours(pnlScore2, QColor(0, 0, 255), Qt::white);
  Image4 = Make<QLabel>(pnlScore2, "Image4");
  Image4->move(0, 0);
  pnlScore2->hide();

  // The compass card is copied onto the map by the overlays; the panel itself stays hidden.
  Panel1 = Make<QFrame>(this, "Panel1");
  Panel1->setGeometry(0, 2, 100, 120);
  compasst = Make<QLabel>(Panel1, "compasst");
  compasst->setGeometry(0, 0, 100, 120);
  compasst->setPixmap(QPixmap::fromImage(FormPicture(QStringLiteral("compasss"))));
  Memo3 = Make<QLabel>(Panel1, "Memo3");
  QLabel* card = MakePicture(Panel1, "compasss");  // the card's source, turned into compasst
  card->hide();
  Panel1->hide();
  // The wind strip's panel; its image is built with the wind overlays.
  QFrame* windStrip = Make<QFrame>(this, "PnlWindGr");
  windStrip->setGeometry(5, Panel1->geometry().bottom() + 1 + 8, 100, 100);
  windStrip->hide();

  Panel2 = Make<QFrame>(this, "Panel2");
  SetColours(Panel2, QColor(212, 208, 200), Qt::black);
  Panel2->setFrameShape(QFrame::Panel);
  Panel2->resize(265, 56);
  DateTimePicker1 = Make<QDateEdit>(Panel2, "DateTimePicker1");
  DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  DateTimePicker1->setGeometry(5, 5, 100, 20);
  DateTimePicker2 = Make<QTimeEdit>(Panel2, "DateTimePicker2");
  DateTimePicker2->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  DateTimePicker2->setGeometry(110, 5, 80, 20);
  Button6 = Make<QPushButton>(Panel2, "Button6", QStringLiteral("JUMP"));
  Button6->setGeometry(195, 5, 65, 20);
  Button10 = Make<QPushButton>(Panel2, "Button10", QStringLiteral("JUMP to start time"));
  Button10->setGeometry(5, 30, 255, 20);
  Panel2->hide();

  btnStopWatch = Make<QPushButton>(this, "btnStopWatch", QStringLiteral("TIMER/ON"));
  btnStopWatch->resize(73, 20);
  connect(btnStopWatch, &QPushButton::clicked, this, &TForm1::btnStopWatchClick);
  btnStopWatch->hide();
  Memo8 = MakeMemo(this, "Memo8");
  QFont f12 = Memo8->font();
  f12.setPointSize(12);
  Memo8->setFont(f12);
  Memo8->setAlignment(Qt::AlignCenter);
  Memo8->resize(73, 20);
  Memo8->hide();

  btnExcell = Make<QPushButton>(this, "btnExcell", QStringLiteral("Show Excel Table"));
  btnExcell->resize(110, 22);
  connect(btnExcell, &QPushButton::clicked, this, [this] {
    ShowReport(session_.race, session_.passing, documentsFolder_, *services_.dialogs,
               *services_.shell, services_.sound);
  });
  btnExcell->hide();
  btnSaveEx = Make<QPushButton>(this, "btnSaveEx", QStringLiteral("Save"));
  btnSaveEx->resize(60, 22);
  btnSaveEx->hide();
  pnlEDIT1 = Make<QFrame>(this, "pnlEDIT1");
  pnlEDIT1->hide();
  pnlEDIT2 = Make<QFrame>(this, "pnlEDIT2");
  pnlEDIT2->hide();

  Memo6 = Make<QLabel>(this, "Memo6");
  SetColours(Memo6, QColor(255, 255, 225), Qt::black);
  Memo6->hide();
  Memo10 = MakeMemo(this, "Memo10");
  QFont f20 = Memo10->font();
  f20.setPointSize(20);
  Memo10->setFont(f20);
  Memo10->setText(QStringLiteral("CT(Corrected Time) Mode"));
  Memo10->hide();
  Memo11 = Make<QLabel>(this, "Memo11");
  Memo11->hide();
  Memo12 = Make<QLabel>(this, "Memo12");
  Memo12->hide();
  Memo13 = MakeMemo(this, "Memo13");
  Memo13->hide();
}

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

void TForm1::LoadRace() {
  // A load lets events run; none of them may start another load.
  if (loading_) return;
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

void TForm1::FreeRaceControls() {
  for (QWidget* w : boatMarkers_) delete w;
  for (QWidget* w : classBoxes_) delete w;
  for (QWidget* w : boatBoxes_) delete w;
  boatMarkers_.clear();
  classBoxes_.clear();
  boatBoxes_.clear();
}

void TForm1::ResizeBitmaps(int width, int height) {
  const QSize size(std::max(1, width), std::max(1, height));
  for (QImage* img : {&mapBitmap_, &backgroundBitmap_, &highlightBitmap_, &graphBitmap_}) {
    if (img->size() != size) {
      *img = QImage(size, QImage::Format_RGB32);
      img->fill(ToQColor(rs_.SeaColor));
    }
  }
}

void TForm1::SetUpView() {
  ViewState& v = session_.view;
  const RaceData& r = session_.race;
  v.OverviewWidth = v.OverviewHeight = 170;
  boatListMinHeight_ = LayoutFocusLists(r).BoatListMinHeight;
  LayoutWindow();
  Image1->setGeometry(3, 3, 170, 170);
  Memo1->setGeometry(3, Image1->y() + 170 + 3, 170, 18);
  imgLOGO->move(Image1->x() + 170 + 7, 3);
  Memo14->move(imgLOGO->x(), imgLOGO->geometry().bottom() + 1 + 8);
  helpPageJa_ = r.ProgramFolder + QStringLiteral("help/index.html");
  helpPageEn_ = r.ProgramFolder + QStringLiteral("help-e/index.html");
  // Boat markers of the overview, the last boat first so that boat 1 lies on top.
  boatMarkers_.assign(static_cast<size_t>(r.BoatCount) + 1, nullptr);
  for (int b = r.BoatCount; b >= 1; --b) {
    auto* m = new BoatMarker(pnlLOGO, ToQColor(r.BoatColor[b]));
    m->setObjectName(QStringLiteral("BoatMarker%1").arg(b));
    m->move(70, 4 * b);
    m->show();
    boatMarkers_[b] = m;
  }
  BuildFocusLists();
  QImage overview(170, 170, QImage::Format_RGB32);
  overview.fill(ToQColor(rs_.SeaColor));
  Image1->setPixmap(QPixmap::fromImage(overview));
  helpExists_ = QFileInfo::exists(helpPageJa_);
  Label12->setVisible(helpExists_);
}

void TForm1::BuildFocusLists() {
  RaceData& r = session_.race;
  const FocusListLayout lay = LayoutFocusLists(r);
  boatListMinHeight_ = lay.BoatListMinHeight;
  r.Controls.BoatListMinHeight = lay.BoatListMinHeight;
  classBoxes_.assign(static_cast<size_t>(r.ClassCount) + 1, nullptr);
  for (int i = 1; i <= r.ClassCount; ++i) {
    auto* box = new QCheckBox(DisplayText(r.ClassName[i]) + QStringLiteral(" class"), pnlBOATlist);
    box->setObjectName(QStringLiteral("ClassCheckBox%1").arg(i));
    SetColours(box, Qt::white, Qt::red);
    box->setChecked(true);
    box->setGeometry(lay.classBox[i]);
    box->show();
    classBoxes_[i] = box;
  }
  Label1->move(lay.label1);
  boatBoxes_.assign(static_cast<size_t>(r.BoatCount) + 1, nullptr);
  for (int b = 1; b <= r.BoatCount; ++b) {
    auto* box = new QCheckBox(DisplayText(r.BoatName[b]), pnlBOATlist);
    box->setObjectName(QStringLiteral("BoatCheckBox%1").arg(b));
    SetColours(box, ToQColor(r.BoatColor[b]), Qt::white);
    box->setChecked(r.BoatShown[b] >= 1);
    box->setGeometry(lay.boatBox[b]);
    // A click focuses or unfocuses the boat; the next frame shows it.
    connect(box, &QCheckBox::clicked, this, [this, b](bool on) {
      if (b <= session_.race.BoatCount) session_.race.BoatShown[b] = on ? 1 : 0;
    });
    box->show();
    boatBoxes_[b] = box;
  }
}

void TForm1::LayoutWindow() {
  RaceData& r = session_.race;
  ViewState& v = session_.view;
  LayoutInput in;
  in.formWidth = width();
  in.clientHeight = height();
  in.screenHeight = screenHeight_ > 0 ? screenHeight_ : height();
  in.boatListMinHeight = boatListMinHeight_;
  in.boatsLoaded = raceReady_ || (loading_ && r.BoatCount > 0);
  in.smallScreen = rs_.SmallScreen;
  in.flagSize = pnlFLAG->size();
  in.currentMapWidth = v.MapWidth;
  in.currentMapHeight = v.MapHeight;
  const WindowLayout lay = ComputeWindowLayout(in);
  classPanelFits_ = lay.ClassPanelFits;
  Memo14->setText(QStringLiteral("%1x%2").arg(width()).arg(height()));
  pnlSPLITE->setGeometry(lay.pnlSPLITE);
  pnlLOGO->setGeometry(lay.pnlLOGO);
  pnlCTRL->setGeometry(lay.pnlCTRL);
  // Memo10 tells the corrected-time mode over the map.
  const bool ct = r.CorrectedTimeMode >= 1 && !rs_.SmallScreen && session_.play.Page == 1;
  Memo10->setVisible(ct && r.HasHandicap != 0);
  if (ct) Memo10->setGeometry(Panel1->geometry().right() + 1 + 10, 5, 329, 33);
  Label12->setVisible(helpExists_);
  Memo11->hide();
  Memo12->hide();
  pnlBOATlist->setGeometry(lay.pnlBOATlist);
  pnlTimeBar->setGeometry(lay.pnlTimeBar);
  if (lay.mapResized) {
    v.MapWidth = lay.MapWidth;
    v.MapHeight = lay.MapHeight;
    ResizeBitmaps(v.MapWidth, v.MapHeight);
    DrawTimeBar();
    btnStopWatch->setGeometry(lay.btnStopWatch);
    Memo8->setGeometry(lay.Memo8);
    if (r.HasHandicap) pnlCT->setGeometry(lay.pnlCT);
  }
  pnlFLAG->move(v.MapWidth - pnlFLAG->width() - 5, 5);
  pnlScore->move(std::max(0, v.MapWidth - pnlScore->width() - 10), 130);
  pnlScore2->move(5, std::max(0, v.MapHeight - pnlScore2->height() - 5));
  // Panels over the map stay above it; the cover above all.
  for (QWidget* w : {static_cast<QWidget*>(pnlFLAG), static_cast<QWidget*>(pnlCT),
                     static_cast<QWidget*>(pnlScore), static_cast<QWidget*>(pnlScore2),
                     static_cast<QWidget*>(btnStopWatch), static_cast<QWidget*>(Memo8),
                     static_cast<QWidget*>(Memo10), static_cast<QWidget*>(Memo13),
                     static_cast<QWidget*>(Panel2), static_cast<QWidget*>(hintbox),
                     static_cast<QWidget*>(Memo6), static_cast<QWidget*>(pnlSPLITE)})
    w->raise();
  if (canvas_.size() != size() && !size().isEmpty()) {
    QImage next(size(), QImage::Format_RGB32);
    next.fill(palette().color(QPalette::Window));
    if (!canvas_.isNull()) {
      QPainter p(&next);
      p.drawImage(0, 0, canvas_);
    }
    canvas_ = next;
  }
}

void TForm1::DrawTimeBar() {
  timeBar_ = TimeBarGeometryFor(pnlTimeBar->width(), pnlTimeBar->height());
  rs_.TimeBarHeight = timeBar_.barHeight;
  const QImage bar = DrawTimeBarImage(session_.race, timeBar_);
  const QImage back = DrawBackTimeBarImage(session_.race, session_.view, session_.play, timeBar_);
  BackTimeBar->setGeometry(0, 0, timeBar_.panelWidth, timeBar_.panelHeight);
  BackTimeBar->setPixmap(QPixmap::fromImage(back));
  TimeBar->setGeometry(timeBar_.barLeft, timeBar_.barTop, timeBar_.barWidth, timeBar_.barHeight);
  TimeBar->setPixmap(QPixmap::fromImage(bar));
  TimePointer->setGeometry(
      timeBar_.pointerLeft,
      TimePointerTop(session_.race, session_.play.RaceClock, timeBar_.barHeight),
      timeBar_.pointerWidth, timeBar_.pointerHeight);
  TimePointer->raise();
}

void TForm1::ResetPlayButtons() {
  up_f->show();
  stop_f->show();
  dn_f->show();
  up_t->hide();
  stop_t->hide();
  dn_t->hide();
}

void TForm1::SetPlaying(bool on) {
  if (on) {
    if (!Timer1->isActive()) Timer1->start(session_.play.FrameInterval);
    if (!Timer2->isActive()) Timer2->start(1000);
  } else {
    Timer2->stop();
    Timer1->stop();
  }
}

void TForm1::up_fClick() {
  ResetPlayButtons();
  up_t->show();
  session_.play.PlayDirection = 1;
  SetPlaying(true);
  Panel2->hide();
}

void TForm1::dn_fClick() {
  ResetPlayButtons();
  dn_t->show();
  session_.play.PlayDirection = -1;
  SetPlaying(true);
  Panel2->hide();
}

void TForm1::stop_fClick() {
  ResetPlayButtons();
  stop_t->show();
  SetPlaying(false);
  Panel2->move(pnlCTRL->x(), pnlCTRL->y() - Panel2->height());
  SetPickers(session_.race.StartTime + RoundHalfEven(session_.play.RaceClock) / 86400.0);
  Panel2->show();
  Panel2->raise();
}

void TForm1::plusClick() {
  rs_.HoverBoat = 0;
  StepClock(+1);
}

void TForm1::minusClick() {
  StepClock(-1);
}

void TForm1::StepClock(int seconds) {
  ResetPlayButtons();
  stop_t->show();
  SetPlaying(false);
  const RaceData& r = session_.race;
  PlaybackState& p = session_.play;
  p.RaceClock = RoundHalfEven(p.RaceClock + seconds);
  if (p.RaceClock > r.ClockLast) p.RaceClock = r.ClockFirst;
  if (p.RaceClock < r.ClockFirst) p.RaceClock = r.ClockLast;
  SetPickers(r.StartTime + RoundHalfEven(p.RaceClock) / 86400.0);
  if (PrepareFrame()) DrawFrame();
  Memo1->setText(ClockText(p.RaceClock));
}

void TForm1::SetPickers(double dayCount) {
  const CivilDateTime d = DecodeDateTime(dayCount);
  DateTimePicker1->setDate(QDate(d.year, d.month, d.day));
  DateTimePicker2->setTime(QTime(d.hour, d.minute, static_cast<int>(d.second)));
}

void TForm1::btnStopWatchClick() {
  PlaybackState& p = session_.play;
  p.StopWatchState = (p.StopWatchState + 1) % 3;
  switch (p.StopWatchState) {
    case 1:
      p.StopWatchStart = p.RaceClock;
      btnStopWatch->setText(QStringLiteral("STOP"));
      Memo8->setText(StopWatchText(0));
      Memo8->show();
      Memo8->raise();
      break;
    case 2:
      btnStopWatch->setText(QStringLiteral("TIMER/OFF"));
      break;
    default:
      btnStopWatch->setText(QStringLiteral("TIMER/ON"));
      Memo8->hide();
      break;
  }
}

void TForm1::ScrollBar1Change() {
  session_.play.PlaySpeed = SpeedFromPosition(ScrollBar1->value());
  Memo2->setText(QString::number(RoundInt(session_.play.PlaySpeed)) + QStringLiteral("X"));
}

void TForm1::SetSpeedBar(float position) {
  ScrollBar1->setValue(RoundInt(position));
}

void TForm1::ScrollBar3Change() {
  const int p = ScrollBar3->value();
  session_.play.SeaBrightness = p;
  rs_.SeaBrightness = p;
  rs_.SeaColor = SeaColorFor(p);
  rs_.GridColor = GridColorFor(p);
  // The still map is rebuilt with the overlays that draw it; until then a stopped replay is
  // redrawn at once.
  if (session_.play.Page == 1 && session_.view.TraceMode == 0 && !Timer1->isActive() &&
      PrepareFrame())
    DrawFrame();
}

void TForm1::Button4Click() {
  RaceData& r = session_.race;
  const int index = r.SelectedRaceIndex > 0 ? r.SelectedRaceIndex : ComboBox1->currentIndex() + 1;
  if (index < 1 || index > r.RaceListCount) return;
  r.RaceFilePath = r.ProgramFolder + QStringLiteral("raceadmin/") + r.RaceList[index - 1];
  r.RaceListIndex = index;
  LoadRace();
}

QString TForm1::ClockText(double clock) const {
  return QString::fromStdString(
      FormatDateTime(session_.race.StartTime + RoundHalfEven(clock) / 86400.0));
}

bool TForm1::PrepareFrame() {
  if (!raceReady_ || loading_ || mapBitmap_.isNull()) return false;
  if (session_.view.TraceMode == 1)
    mapBitmap_.fill(ToQColor(rs_.SeaColor));
  else
    mapBitmap_ = rs_.HoverBoat != 0 ? highlightBitmap_.copy() : backgroundBitmap_.copy();
  return true;
}

bool TForm1::DrawFrame() {
  if (!raceReady_ || loading_ || inFrame_) return true;
  FlagScope guard(inFrame_);
  RaceSession& s = session_;
  s.race.NorthUp = RadioN->isChecked() ? 1 : 0;
  // "Show Name" lifts the label level from 0 to 1 for the frame.
  RenderState frameState = rs_;
  if (CheckBox2->isChecked() && frameState.LabelLevel == 0) frameState.LabelLevel = 1;
  const SceneResult res = DrawScene(s, frameState, mapBitmap_, s.play.RaceClock);
  rs_.SmoothedWindDirection = frameState.SmoothedWindDirection;
  rs_.WindDirectionNow = frameState.WindDirectionNow;
  s.play.BoatsOnScreen = res.BoatsOnScreen;
  s.play.BoatsWithPosition = s.frame.BoatsWithPosition;
  TimePointer->move(timeBar_.pointerLeft, res.TimePointerTop);
  if (res.TickedAllBoats) {
    for (QCheckBox* box : boatBoxes_)
      if (box) box->setChecked(true);
    for (QCheckBox* box : classBoxes_)
      if (box) box->setChecked(true);
  }
  Memo13->setVisible(res.Memo13Visible);
  if (res.Memo13Visible) Memo13->setText(res.Memo13Text);
  CopyMapToForm();
  return !res.RaceEnded;
}

void TForm1::CopyMapToForm() {
  if (canvas_.isNull()) return;
  QPainter p(&canvas_);
  p.drawImage(0, 0, mapBitmap_);
  p.end();
  update(0, 0, mapBitmap_.width(), mapBitmap_.height());
}

void TForm1::RepaintMap() {
  if (session_.play.Page == 1 && session_.view.TraceMode == 0 && !Timer1->isActive())
    CopyMapToForm();
}

bool TForm1::EndOfRace() {
  RaceData& r = session_.race;
  PlaybackState& p = session_.play;
  if (p.AutoNext && r.RaceListCount > 1) {
    int next = r.RaceListIndex + 1;
    if (next > r.RaceListCount) next = 1;
    r.RaceListIndex = next;
    const QString path = r.ProgramFolder + QStringLiteral("raceadmin/") + r.RaceList[next - 1];
    if (QFileInfo(path).isFile()) {
      r.RaceFilePath = path;
      services_.sound->Beep();
      LoadRace();
      return true;
    }
    // The race shown stays the one the file path names; the next end tries the race after.
  }
  p.RaceClock = r.ClockFirst;
  return false;
}

void TForm1::Timer1Timer() {
  // A dialog or a load inside a tick lets events run; a tick never runs inside another.
  if (loading_ || inFrame_ || inTick_ || closing_ || !raceReady_) return;
  FlagScope tick(inTick_);
  RaceData& r = session_.race;
  PlaybackState& p = session_.play;
  if (p.Page != 1) {
    p.PrevRaceClock = p.RaceClock;
    return;
  }
  Panel2->hide();
  r.NorthUp = RadioN->isChecked() ? 1 : 0;
  if (AdvanceClock(p)) services_.sound->Beep();
  if (p.StopWatchState == 1) Memo8->setText(StopWatchText(p.RaceClock - p.StopWatchStart));
  WrapBackward(r, p);
  if (EndOfRaceDue(r, p)) {
    EndOfRace();
    if (!raceReady_ || loading_) return;  // the next race did not load completely
  }
  if (!PrepareFrame()) return;
  for (int i = ApplyRepeatSpan(p); i > 0; --i) services_.sound->Beep();
  if (!DrawFrame() && p.PlayDirection > 0) {
    // Nobody is on the water any more.
    EndOfRace();
    if (!raceReady_ || loading_) return;
  }

  for (int b : DueFinishes(r, session_.passing, p)) {
    services_.sound->Gun();
    pnlScore->resize(pnlScore->width(), 15 * p.FinishedCount + 6);
    if (b < static_cast<int>(boatMarkers_.size()) && boatMarkers_[b]) boatMarkers_[b]->hide();
    // A race without course lines has no ranking list to reveal.
    if (!Image5->pixmap().isNull()) pnlScore->show();
    if (!rs_.SmallScreen && classPanelFits_ && r.ClassesDeclared) {
      const QImage classes = DrawClassRanking(r, session_.passing, p.FinishShown);
      Image4->setPixmap(QPixmap::fromImage(classes));
      Image4->resize(classes.size());
      pnlScore2->resize(classes.size());
      pnlScore2->move(5, std::max(0, session_.view.MapHeight - pnlScore2->height() - 5));
      pnlScore2->show();
    }
  }
  if (HideRankings(r, p)) {
    pnlScore->hide();
    pnlScore2->hide();
  }

  if (!overTimeBar_ && RoundHalfEven(p.PrevRaceClock) != RoundHalfEven(p.RaceClock))
    Memo1->setText(ClockText(p.RaceClock));
  const double tod = TimeOfDay(session_.view.StartSecondOfDay, p.RaceClock);
  if (p.AutoSeaColor) {
    const double s = DaylightBrightness(tod, session_.view.Sunrise, session_.view.Sunset, &p.Night);
    ScrollBar3->setValue(RoundInt(s));
  }
  if (StartGunDue(p)) services_.sound->Gun();
  if (auto pos = SpeedRampPosition(r, p)) ScrollBar1->setValue(*pos);
  p.PrevRaceClock = p.RaceClock;
}

void TForm1::Timer2Timer() {
  if (loading_ || inSplash_ || closing_ || !raceReady_) return;
  RaceData& r = session_.race;
  PlaybackState& p = session_.play;
  if (p.Page != 1) {
    pnlCT->hide();
    return;
  }
  // Enabling a running timer leaves its rhythm alone.
  if (!Timer1->isActive()) Timer1->start(p.FrameInterval);
  if (!p.SplashDone) {
    // Hold the cover until four seconds after track loading began; frames run behind it.
    FlagScope guard(inSplash_);
    long long elapsed = services_.clock->TickCount() - p.SplashStart;
    while (elapsed < 4000 && !closing_ && !loading_) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      QThread::msleep(5);
      elapsed = services_.clock->TickCount() - p.SplashStart;
    }
    if (closing_ || loading_ || !raceReady_) return;
    pnlSPLITE->hide();
    p.SplashDone = true;
    if (elapsed < 5000 && r.EditMode == 1) CheckBox1->setChecked(false);
  }
  if (r.HasHandicap) {
    pnlCT->show();
    pnlCT->raise();
  }
  UpdateClockStep(p);
  rs_.NameBlink = AdvanceBlink(p);
  if (RearmFinishGuns(session_.passing, r.CourseCount, p)) {
    pnlScore->hide();
    pnlScore2->hide();
  }
  const MeanSpeeds m = ComputeMeanSpeeds(r, session_.frame);
  rs_.MeanUpwindSpeed = m.up;
  rs_.MeanDownwindSpeed = m.down;
  for (int i = CountdownBeeps(p); i > 0; --i) services_.sound->Beep();
  pnlFLAG->setVisible(p.RaceClock <= 0);
  blue_p->setVisible(p.RaceClock >= -240 && p.RaceClock < -60);
}

void TForm1::Timer3Timer() {
  TickLights(session_.race, session_.play);
}

void TForm1::TimeBarMouseMove(int y) {
  if (!raceReady_) return;
  RaceData& r = session_.race;
  Memo6->hide();
  if (!CheckBox2->isChecked()) rs_.LabelLevel = 0;
  overTimeBar_ = true;
  double t = TimeAtRow(r, y, timeBar_.barHeight);
  const QString when = ClockText(t);
  Memo1->setText(when);
  t = std::clamp(t, r.ClockFirst, r.ClockLast);
  for (int b = 1; b <= r.BoatCount && b < static_cast<int>(boatMarkers_.size()); ++b) {
    QWidget* marker = boatMarkers_[b];
    if (!marker) continue;
    if (r.BoatShown[b] != 1) {
      marker->hide();
      continue;
    }
    const auto& times = r.TrackTime[b];
    for (int j = 1; j < r.BoatSampleCount[b]; ++j) {
      if (times[j] <= t && t < times[j + 1]) {
        const Point2 o = ToOverview(r, session_.view, r.TrackLat[b][j], r.TrackLon[b][j]);
        marker->move(RoundInt(o.x), RoundInt(o.y));
        marker->show();
        break;
      }
    }
  }
  if (hintsOn_ && session_.play.Page == 1) {
    const TimeBarHint hint = TimeBarHintFor(session_.play.Language, when);
    hintbox->setText(hint.lines.join(QLatin1Char('\n')));
    hintbox->setGeometry(pnlTimeBar->x() - hint.width, pnlTimeBar->y() + timeBar_.barTop + y,
                         hint.width, hint.height);
    hintbox->show();
    hintbox->raise();
  }
  if (session_.play.DragStartY > 0) {
    QImage back = DrawBackTimeBarImage(r, session_.view, session_.play, timeBar_);
    DrawDragBox(back, timeBar_, session_.play.DragStartY, y);
    BackTimeBar->setPixmap(QPixmap::fromImage(back));
  }
}

void TForm1::TimeBarMouseDown(Qt::MouseButton button, int y) {
  PlaybackState& p = session_.play;
  if (p.Page != 1 || !raceReady_) return;
  RaceData& r = session_.race;
  p.DragStartY = -1;
  const double t = ClampBarTime(r, TimeAtRow(r, y, timeBar_.barHeight));
  if (button == Qt::RightButton || button == Qt::MiddleButton) {
    p.DragFrom = t;
    p.DragStartY = y;
    return;
  }
  if (button != Qt::LeftButton) return;
  p.RaceClock = t;
  if (p.PlaySpeed == r.RaceSpeed || p.PlaySpeed == r.PreStartSpeed)
    SetSpeedBar(t >= 0 ? p.RaceSpeedPosition : p.PreStartSpeedPosition);
  p.FinishedCount = 0;
  pnlScore->hide();
  pnlScore2->hide();
  std::fill(p.FinishShown.begin(), p.FinishShown.end(), 0);
  std::fill(session_.frame.BoatSampleIndex.begin(), session_.frame.BoatSampleIndex.end(), 1);
  if (PrepareFrame()) DrawFrame();
  Memo1->setText(ClockText(p.RaceClock));
  p.ShownTime = r.StartTime + RoundHalfEven(p.RaceClock) / 86400.0;
  if (Panel2->isVisible()) {
    SetPickers(p.ShownTime);
  }
}

void TForm1::TimeBarMouseUp(Qt::MouseButton button, int y) {
  PlaybackState& p = session_.play;
  if (p.Page != 1 || !raceReady_) return;
  const RaceData& r = session_.race;
  const double t = ClampBarTime(r, TimeAtRow(r, y, timeBar_.barHeight));
  if (button == Qt::RightButton && p.DragStartY >= 0) {
    p.DragTo = t;
    if (std::abs(t - p.DragFrom) > 5) {
      p.RepeatActive = 1;
      p.RepeatFrom = std::min(t, p.DragFrom);
      p.RepeatTo = std::max(t, p.DragFrom);
    } else {
      p.RepeatActive = 0;
    }
    DrawTimeBar();
  }
  p.DragStartY = -1;
}

void TForm1::BackTimeBarMouseDown(int y) {
  if (!raceReady_ || !InStartBox(timeBar_, y)) return;
  session_.play.RaceClock = session_.race.ClockFirst;
  SetSpeedBar(session_.play.PreStartSpeedPosition);
}

void TForm1::pnlTimeBarMouseMove() {
  RepaintMap();
  rs_.HoverBoat = 0;
  hintbox->hide();
  Memo6->hide();
  overTimeBar_ = false;
  pnlLOGO->show();
  pnlCTRL->show();
  setWindowTitle(session_.race.RaceCaption);
  if (!CheckBox2->isChecked()) rs_.LabelLevel = 0;
}

void TForm1::pnlCTRLMouseMove() {
  pnlTimeBarMouseMove();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return QWidget::eventFilter(watched, event);
  auto* me = static_cast<QMouseEvent*>(event);
  const int y = RoundInt(me->position().y());
  if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
    if (watched == up_f) return up_fClick(), true;
    if (watched == dn_f) return dn_fClick(), true;
    if (watched == stop_f) return stop_fClick(), true;
    if (watched == plus) return plusClick(), true;
    if (watched == minus) return minusClick(), true;
    if (watched == up_t || watched == dn_t || watched == stop_t) return true;
  }
  if (watched == TimeBar) {
    if (type == QEvent::MouseButtonPress) TimeBarMouseDown(me->button(), y);
    if (type == QEvent::MouseMove) TimeBarMouseMove(y);
    if (type == QEvent::MouseButtonRelease) TimeBarMouseUp(me->button(), y);
    return true;
  }
  if (watched == BackTimeBar) {
    if (type == QEvent::MouseButtonPress) BackTimeBarMouseDown(y);
    if (type == QEvent::MouseMove) pnlTimeBarMouseMove();
    return true;
  }
  if (type == QEvent::MouseMove && watched == pnlTimeBar) pnlTimeBarMouseMove();
  if (type == QEvent::MouseMove && watched == pnlCTRL) pnlCTRLMouseMove();
  return QWidget::eventFilter(watched, event);
}

void TForm1::mouseMoveEvent(QMouseEvent* e) {
  // Leaving the time bar straight onto the map ends its hint and its hold on the date-time.
  if (overTimeBar_) pnlTimeBarMouseMove();
  QWidget::mouseMoveEvent(e);
}

void TForm1::paintEvent(QPaintEvent*) {
  if (canvas_.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, canvas_);
}

void TForm1::resizeEvent(QResizeEvent*) {
  pnlSPLITE->setGeometry(rect());
  LayOutCover();
  // During a load the map keeps its size; the load lays the window out when it is done.
  if (loading_) return;
  LayoutWindow();
  if (raceReady_ && PrepareFrame()) DrawFrame();
}

void TForm1::closeEvent(QCloseEvent* e) {
  // Closing during a load abandons it at the next boat; the load then returns.
  closing_ = true;
  Timer1->stop();
  Timer2->stop();
  Timer3->stop();
  e->accept();
}

}  // namespace kw
