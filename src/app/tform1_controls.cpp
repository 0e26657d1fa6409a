// The form's controls: created once, named as the layout names them, and wired to their
// handlers. Runs of alike controls are tables; the layout places them on every resize.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimeEdit>
#include <QTimer>

#include <algorithm>

#include "app/form_widgets.h"
#include "app/tform1.h"
#include "output/report.h"
#include "view/artwork.h"

namespace kw {

namespace {

template <typename W>
using Slot = W* TForm1::*;

// A control of one kind: where the form keeps it, its name and its caption.
template <typename W>
struct Captioned {
  Slot<W> slot;
  const char* name;
  const char* caption;
};

// A radio button inside a group box, at its place in the box.
struct RadioSpec {
  Slot<QRadioButton> slot;
  const char* name;
  const char* caption;
  int x, y, width, height;
};

// A text shown over the map: a plain label or a sunken box, hidden until used.
struct MemoSpec {
  Slot<QLabel> slot;
  const char* name;
  bool sunken;
};

}  // namespace

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
  for (auto [slot, name] :
       {std::pair{&TForm1::Shape1, "Shape1"}, std::pair{&TForm1::Shape2, "Shape2"},
        std::pair{&TForm1::Shape3, "Shape3"}, std::pair{&TForm1::Shape4, "Shape4"}}) {
    QFrame* edge = this->*slot = Make<QFrame>(pnlLOGO, name);
    SetColours(edge, Qt::white, Qt::white);
    edge->setAttribute(Qt::WA_TransparentForMouseEvents);
    edge->resize(0, 0);
  }
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
  BuildSmallScreenBar();

  hintbox = Make<QLabel>(this, "hintbox");
  SetColours(hintbox, QColor(255, 255, 225), Qt::black);
  hintbox->setFrameShape(QFrame::Box);
  hintbox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // The tip never takes the pointer away from what it explains.
  hintbox->setAttribute(Qt::WA_TransparentForMouseEvents);
  hintbox->hide();

  BuildCover();

  struct TimerSpec {
    Slot<QTimer> slot;
    const char* name;
    int interval;
    bool precise;
    void (TForm1::*handler)();
  };
  const TimerSpec timers[] = {
      {&TForm1::Timer1, "Timer1", session_.play.FrameInterval, true, &TForm1::Timer1Timer},
      {&TForm1::Timer2, "Timer2", 1000, true, &TForm1::Timer2Timer},
      {&TForm1::Timer3, "Timer3", 1000, false, &TForm1::Timer3Timer},
  };
  for (const TimerSpec& t : timers) {
    QTimer* timer = this->*t.slot = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(t.name));
    if (t.precise) timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(t.interval);
    connect(timer, &QTimer::timeout, this, t.handler);
  }
  Timer3->start();

  ScrollBar3->setValue(100);
  ScrollBar3Change();
  CheckBox3->setChecked(true);
  ScrollBar1Change();
  BuildCommandControls();
}

void TForm1::BuildCover() {
  // The cover lies above everything while a race loads.
  pnlSPLITE = Make<QFrame>(this, "pnlSPLITE");
  SetColours(pnlSPLITE, QColor(0, 0, 64), Qt::white);
  Image2 = Make<QLabel>(pnlSPLITE, "Image2");
  const struct {
    Slot<QLabel> slot;
    const char* name;
    int width, height;
    const char* text;
  } labels[] = {
      {&TForm1::Image3, "Image3", 300, 18, ""},
      {&TForm1::memo4, "memo4", 500, 18, ""},
      {&TForm1::memo5, "memo5", 900, 40, ""},
      {&TForm1::Memo7, "Memo7", 900, 30, ""},
      {&TForm1::Label8, "Label8", 400, 16, "keelway v3.1"},
      {&TForm1::Label9, "Label9", 400, 16, "Powered by"},
      {&TForm1::Label10, "Label10", 400, 16, "keelway developers"},
  };
  for (const auto& l : labels) {
    QLabel* label = this->*l.slot = MakeLabel(pnlSPLITE, l.name, l.width, l.height);
    label->setText(QString::fromLatin1(l.text));
  }
  coverNotice_ = MakeLabel(pnlSPLITE, "CoverNotice", 900, 18);
  coverNotice_->hide();
  QFont big = memo5->font();
  big.setPointSize(18);
  big.setBold(true);
  memo5->setFont(big);
  big.setPointSize(13);
  Memo7->setFont(big);
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

  // Captions of the panel, in the smallest font.
  const Captioned<QLabel> labels[] = {
      {&TForm1::Label5, "Label5", "Race File Name"}, {&TForm1::Label12, "Label12", "?"},
      {&TForm1::Label14, "Label14", "SCR"},          {&TForm1::Label3, "Label3", "ZOOM"},
      {&TForm1::Label2, "Label2", "SPEED"},
  };
  for (const auto& l : labels) {
    QLabel* label = this->*l.slot = Make<QLabel>(c, l.name, QString::fromLatin1(l.caption));
    QFont f = label->font();
    f.setPointSize(7);
    label->setFont(f);
  }
  ComboBox1 = Make<QComboBox>(c, "ComboBox1");
  connect(ComboBox1, QOverload<int>::of(&QComboBox::activated), this,
          [this](int index) { session_.race.SelectedRaceIndex = index + 1; });
  const Captioned<QPushButton> buttons[] = {
      {&TForm1::Button1, "Button1", "EXIT"},
      {&TForm1::Button4, "Button4", "SHOW"},
      {&TForm1::Button3, "Button3", "Google Earth"},
      {&TForm1::Button2, "Button2", "Att Files"},
  };
  for (const auto& b : buttons)
    this->*b.slot = Make<QPushButton>(c, b.name, QString::fromLatin1(b.caption));
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);

  GroupBox2 = Make<QGroupBox>(c, "GroupBox2", QStringLiteral("Page"));
  GroupBox1 = Make<QGroupBox>(c, "GroupBox1", QStringLiteral("Orientation"));
  GroupBox4 = Make<QGroupBox>(c, "GroupBox4", QStringLiteral("Sea Color"));
  const std::pair<QGroupBox*, RadioSpec> radios[] = {
      {GroupBox2, {&TForm1::RadioButton1, "RadioButton1", "Track", 6, 13, 56, 13}},
      {GroupBox2, {&TForm1::RadioButton2, "RadioButton2", "Graph", 6, 26, 56, 13}},
      {GroupBox2, {&TForm1::RadioButton3, "RadioButton3", "Anlys", 6, 39, 56, 13}},
      {GroupBox1, {&TForm1::RadioN, "RadioN", "Northwd", 6, 13, 62, 14}},
      {GroupBox1, {&TForm1::RadioW, "RadioW", "Windwd", 6, 28, 62, 14}},
  };
  for (const auto& [box, r] : radios) {
    QRadioButton* radio = this->*r.slot =
                              Make<QRadioButton>(box, r.name, QString::fromLatin1(r.caption));
    radio->setGeometry(r.x, r.y, r.width, r.height);
  }
  RadioW->setChecked(true);
  RadioButton1->setChecked(true);
  connect(RadioButton1, &QRadioButton::clicked, this, &TForm1::RadioButton1Click);
  connect(RadioButton2, &QRadioButton::clicked, this, &TForm1::RadioButton2Click);
  connect(RadioButton3, &QRadioButton::clicked, this, &TForm1::RadioButton3Click);

  BuildPlayButtons();

  CheckBox3 = Make<QCheckBox>(GroupBox4, "CheckBox3", QStringLiteral("AUTO"));
  CheckBox3->setGeometry(6, 16, 60, 16);
  connect(CheckBox3, &QCheckBox::toggled, this,
          [this](bool on) { session_.play.AutoSeaColor = on ? 1 : 0; });
  ScrollBar3 = Make<QScrollBar>(GroupBox4, "ScrollBar3", Qt::Horizontal);
  ScrollBar3->setRange(0, 100);
  ScrollBar3->setGeometry(6, 40, 59, 16);
  connect(ScrollBar3, &QScrollBar::valueChanged, this, &TForm1::ScrollBar3Change);

  ScrollBar2 = Make<QScrollBar>(c, "ScrollBar2", Qt::Horizontal);
  ScrollBar2->setRange(0, 100);
  connect(ScrollBar2, &QScrollBar::valueChanged, this,
          [this](int pos) { session_.view.TraceZoomOut = std::max(1.0, 10.0 - pos / 10.0); });
  usa = MakePicture(c, "usa");
  jpn = MakePicture(c, "jpn");
  ScrollBar1 = Make<QScrollBar>(c, "ScrollBar1", Qt::Horizontal);
  ScrollBar1->setRange(0, 136);
  ScrollBar1->setPageStep(5);
  ScrollBar1->setValue(30);
  connect(ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
  Memo2 = MakeMemo(c, "Memo2");
  Memo2->setAlignment(Qt::AlignCenter);

  // The column of switches; those the frame reads set the render state.
  const struct {
    Slot<QCheckBox> slot;
    const char* name;
    const char* caption;
    bool checked;
    bool RenderState::*flag;
  } switches[] = {
      {&TForm1::chkAutoNext, "chkAutoNext", "AutoNext", false, nullptr},
      {&TForm1::CheckBox1, "CheckBox1", "Auto Trace", true, &RenderState::AutoTrace},
      {&TForm1::chkLL, "chkLL", "Lay Line", false, &RenderState::LayLines},
      {&TForm1::ChkRefLine, "ChkRefLine", "Comp Line", false, &RenderState::CompLine},
      {&TForm1::CheckBox2, "CheckBox2", "Show Name", true, nullptr},
      {&TForm1::ChkBigBoat, "ChkBigBoat", "Big Boat", false, &RenderState::BigBoat},
      {&TForm1::CheckBox4, "CheckBox4", "Small Scr", false, nullptr},
  };
  for (const auto& s : switches) {
    QCheckBox* box = this->*s.slot = Make<QCheckBox>(c, s.name, QString::fromLatin1(s.caption));
    box->setChecked(s.checked);
    if (s.flag)
      connect(box, &QCheckBox::toggled, this, [this, flag = s.flag](bool on) { rs_.*flag = on; });
  }
  connect(CheckBox1, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
  connect(CheckBox2, &QCheckBox::clicked, this, &TForm1::CheckBox2Click);
  connect(RadioN, &QRadioButton::clicked, this, &TForm1::RadioNClick);
  connect(RadioW, &QRadioButton::clicked, this, &TForm1::RadioWClick);
  connect(chkAutoNext, &QCheckBox::toggled, this,
          [this](bool on) { session_.play.AutoNext = on ? 1 : 0; });

  ListBox1 = Make<QListWidget>(c, "ListBox1");
  ListBox1->hide();
  PlaceControls(pnlCTRL);
  ListBox1->setGeometry(Button2->x(), Button2->y() - 3 - 60, Button2->width(), 60);
}

void TForm1::BuildPlayButtons() {
  pnlDIR = Make<QFrame>(pnlCTRL, "pnlDIR");
  pnlDIR->setFrameShape(QFrame::Panel);
  pnlDIR->setFrameShadow(QFrame::Sunken);
  // Twins share a place; the lit one (_t) lies above its unlit twin (_f).
  const Slot<QLabel> buttons[] = {&TForm1::up_f, &TForm1::up_t, &TForm1::stop_f, &TForm1::stop_t,
                                  &TForm1::dn_f, &TForm1::dn_t, &TForm1::plus,   &TForm1::minus};
  const char* names[] = {"up_f", "up_t", "stop_f", "stop_t", "dn_f", "dn_t", "plus", "minus"};
  for (size_t i = 0; i < std::size(buttons); ++i) {
    QLabel* l = this->*buttons[i] = MakePicture(pnlDIR, names[i]);
    l->installEventFilter(this);
    l->setCursor(Qt::PointingHandCursor);
  }
  up_f->move(8, 17);
  up_t->move(8, 17);
  stop_f->move(8, up_t->geometry().bottom() + 1);
  stop_t->move(8, up_t->geometry().bottom() + 1);
  dn_f->move(8, stop_t->geometry().bottom() + 1);
  dn_t->move(8, stop_t->geometry().bottom() + 1);
  plus->move(35, up_t->y());
  minus->move(35, dn_t->y());
}

void TForm1::BuildTimeBar() {
  pnlTimeBar = Make<QFrame>(this, "pnlTimeBar");
  BackTimeBar = Make<QLabel>(pnlTimeBar, "BackTimeBar");
  TimeBar = Make<QLabel>(pnlTimeBar, "TimeBar");
  for (QWidget* w : {static_cast<QWidget*>(pnlTimeBar), static_cast<QWidget*>(BackTimeBar),
                     static_cast<QWidget*>(TimeBar)}) {
    w->setMouseTracking(true);
    w->installEventFilter(this);
  }
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
  Panel2->resize(265, 72);
  // Headed by its instruction, the pickers and buttons under it.
  Label13 =
      Make<QLabel>(Panel2, "Label13", QStringLiteral("Input time to be shown and click 'JUMP'"));
  Label13->setGeometry(5, 3, 255, 14);
  DateTimePicker1 = Make<QDateEdit>(Panel2, "DateTimePicker1");
  DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  DateTimePicker1->setGeometry(5, 21, 100, 20);
  DateTimePicker2 = Make<QTimeEdit>(Panel2, "DateTimePicker2");
  DateTimePicker2->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  DateTimePicker2->setGeometry(110, 21, 80, 20);
  Button6 = Make<QPushButton>(Panel2, "Button6", QStringLiteral("JUMP"));
  Button6->setGeometry(195, 21, 65, 20);
  Button10 = Make<QPushButton>(Panel2, "Button10", QStringLiteral("JUMP to start time"));
  Button10->setGeometry(5, 46, 255, 20);
  Panel2->hide();

  // Buttons over the map, hidden until their page or mode shows them.
  const struct {
    Slot<QPushButton> slot;
    const char* name;
    const char* caption;
    int width, height;
  } buttons[] = {
      {&TForm1::btnStopWatch, "btnStopWatch", "TIMER/ON", 73, 20},
      {&TForm1::btnExcell, "btnExcell", "Show Excel Table", 110, 22},
      {&TForm1::btnSaveEx, "btnSaveEx", "Save", 60, 22},
  };
  for (const auto& b : buttons) {
    QPushButton* button = this->*b.slot =
                              Make<QPushButton>(this, b.name, QString::fromLatin1(b.caption));
    button->resize(b.width, b.height);
    button->hide();
  }
  connect(btnStopWatch, &QPushButton::clicked, this, &TForm1::btnStopWatchClick);
  connect(btnExcell, &QPushButton::clicked, this, [this] {
    ShowReport(session_.race, session_.passing, documentsFolder_, *services_.dialogs,
               *services_.shell, services_.sound);
  });
  pnlEDIT1 = Make<QFrame>(this, "pnlEDIT1");
  pnlEDIT1->hide();
  pnlEDIT2 = Make<QFrame>(this, "pnlEDIT2");
  pnlEDIT2->hide();

  const MemoSpec memos[] = {
      {&TForm1::Memo8, "Memo8", true},    {&TForm1::Memo6, "Memo6", false},
      {&TForm1::Memo10, "Memo10", true},  {&TForm1::Memo11, "Memo11", false},
      {&TForm1::Memo12, "Memo12", false}, {&TForm1::Memo13, "Memo13", true},
  };
  for (const MemoSpec& m : memos) {
    QLabel* memo = this->*m.slot = m.sunken ? MakeMemo(this, m.name) : Make<QLabel>(this, m.name);
    memo->hide();
  }
  QFont f12 = Memo8->font();
  f12.setPointSize(12);
  Memo8->setFont(f12);
  Memo8->setAlignment(Qt::AlignCenter);
  Memo8->resize(73, 20);
  SetColours(Memo6, QColor(255, 255, 225), Qt::black);
  QFont f20 = Memo10->font();
  f20.setPointSize(20);
  Memo10->setFont(f20);
  Memo10->setText(QStringLiteral("CT(Corrected Time) Mode"));
}

}  // namespace kw
