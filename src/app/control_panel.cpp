// The control panel's controls: created once, named as the layout names them, and wired to
// their handlers (control_panel_commands.cpp). Runs of alike controls are tables.
#include "app/control_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/hint_box.h"
#include "app/map_canvas.h"
#include "app/replay_controller.h"
#include "view/language_texts.h"
#include "view/window_layout.h"

namespace kw {

namespace {

template <typename W>
using Slot = W* ControlPanel::*;

// A control of one kind: where the panel keeps it, its name and its caption.
template <typename W>
struct Captioned {
  Slot<W> slot;
  const char* name;
  const char* caption;
};

}  // namespace

ControlPanel::ControlPanel(FormContext& f, QWidget* form) : QFrame(form), f_(f) {
  setObjectName(QStringLiteral("pnlCTRL"));
  SetColours(this, QColor(212, 208, 200), Qt::black);
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Raised);
  setMouseTracking(true);
  installEventFilter(this);
  resize(265, 255);
  // The places of the panel are sized for a small font.
  QFont small = font();
  small.setPixelSize(11);
  setFont(small);
  BuildCaptionsAndButtons();
  BuildGroups();
  BuildPlayButtons();
  BuildBars();
  BuildSwitches();
  ListBox1 = Make<QListWidget>(this, "ListBox1");
  ListBox1->hide();
  f_.named.Add({this,       Label5,    ComboBox1,  chkAutoNext,  Label12,      Label14,
                Button1,    Button4,   GroupBox2,  RadioButton1, RadioButton2, RadioButton3,
                GroupBox1,  RadioN,    RadioW,     pnlDIR,       up_t,         up_f,
                stop_t,     stop_f,    dn_t,       dn_f,         plus,         minus,
                GroupBox4,  CheckBox3, ScrollBar3, Label3,       ScrollBar2,   usa,
                jpn,        Label2,    ScrollBar1, Memo2,        CheckBox1,    chkLL,
                ChkRefLine, CheckBox2, ChkBigBoat, CheckBox4,    Button3,      Button2,
                ListBox1});
  PlaceControls();
  ListBox1->setGeometry(Button2->x(), Button2->y() - 3 - 60, Button2->width(), 60);
  WatchCommands();
}

void ControlPanel::BuildCaptionsAndButtons() {
  // Captions of the panel, in the smallest font.
  const Captioned<QLabel> labels[] = {
      {&ControlPanel::Label5, "Label5", "Race File Name"},
      {&ControlPanel::Label12, "Label12", "?"},
      {&ControlPanel::Label14, "Label14", "SCR"},
      {&ControlPanel::Label3, "Label3", "ZOOM"},
      {&ControlPanel::Label2, "Label2", "SPEED"},
  };
  for (const auto& l : labels) {
    QLabel* label = this->*l.slot = Make<QLabel>(this, l.name, QString::fromLatin1(l.caption));
    QFont font = label->font();
    font.setPointSize(7);
    label->setFont(font);
  }
  ComboBox1 = Make<QComboBox>(this, "ComboBox1");
  connect(ComboBox1, QOverload<int>::of(&QComboBox::activated), this,
          [this](int index) { f_.session.race.SelectedRaceIndex = index + 1; });
  const Captioned<QPushButton> buttons[] = {
      {&ControlPanel::Button1, "Button1", "EXIT"},
      {&ControlPanel::Button4, "Button4", "SHOW"},
      {&ControlPanel::Button3, "Button3", "Google Earth"},
      {&ControlPanel::Button2, "Button2", "Att Files"},
  };
  for (const auto& b : buttons)
    this->*b.slot = Make<QPushButton>(this, b.name, QString::fromLatin1(b.caption));
  connect(Button4, &QPushButton::clicked, this, &ControlPanel::Button4Click);
}

void ControlPanel::BuildGroups() {
  GroupBox2 = Make<QGroupBox>(this, "GroupBox2", QStringLiteral("Page"));
  GroupBox1 = Make<QGroupBox>(this, "GroupBox1", QStringLiteral("Orientation"));
  GroupBox4 = Make<QGroupBox>(this, "GroupBox4", QStringLiteral("Sea Color"));
  // A radio button inside a group box, at its place in the box.
  const struct {
    QGroupBox* box;
    Slot<QRadioButton> slot;
    const char* name;
    const char* caption;
    QRect place;
  } radios[] = {
      {GroupBox2, &ControlPanel::RadioButton1, "RadioButton1", "Track", QRect(6, 13, 56, 13)},
      {GroupBox2, &ControlPanel::RadioButton2, "RadioButton2", "Graph", QRect(6, 26, 56, 13)},
      {GroupBox2, &ControlPanel::RadioButton3, "RadioButton3", "Anlys", QRect(6, 39, 56, 13)},
      {GroupBox1, &ControlPanel::RadioN, "RadioN", "Northwd", QRect(6, 13, 62, 14)},
      {GroupBox1, &ControlPanel::RadioW, "RadioW", "Windwd", QRect(6, 28, 62, 14)},
  };
  for (const auto& r : radios) {
    QRadioButton* radio = this->*r.slot =
                              Make<QRadioButton>(r.box, r.name, QString::fromLatin1(r.caption));
    radio->setGeometry(r.place);
  }
  RadioW->setChecked(true);
  RadioButton1->setChecked(true);
  connect(RadioButton1, &QRadioButton::clicked, this, &ControlPanel::RadioButton1Click);
  connect(RadioButton2, &QRadioButton::clicked, this, &ControlPanel::RadioButton2Click);
  connect(RadioButton3, &QRadioButton::clicked, this, &ControlPanel::RadioButton3Click);
}

void ControlPanel::BuildPlayButtons() {
  pnlDIR = Make<QFrame>(this, "pnlDIR");
  pnlDIR->setFrameShape(QFrame::Panel);
  pnlDIR->setFrameShadow(QFrame::Sunken);
  // Twins share a place; the lit one (_t) lies above its unlit twin (_f).
  const std::pair<Slot<QLabel>, const char*> buttons[] = {
      {&ControlPanel::up_f, "up_f"},     {&ControlPanel::up_t, "up_t"},
      {&ControlPanel::stop_f, "stop_f"}, {&ControlPanel::stop_t, "stop_t"},
      {&ControlPanel::dn_f, "dn_f"},     {&ControlPanel::dn_t, "dn_t"},
      {&ControlPanel::plus, "plus"},     {&ControlPanel::minus, "minus"}};
  for (const auto& [slot, name] : buttons) {
    QLabel* l = this->*slot = MakePicture(pnlDIR, name);
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

void ControlPanel::BuildBars() {
  CheckBox3 = Make<QCheckBox>(GroupBox4, "CheckBox3", QStringLiteral("AUTO"));
  CheckBox3->setGeometry(6, 16, 60, 16);
  connect(CheckBox3, &QCheckBox::toggled, this,
          [this](bool on) { f_.session.play.AutoSeaColor = on ? 1 : 0; });
  ScrollBar3 = Make<QScrollBar>(GroupBox4, "ScrollBar3", Qt::Horizontal);
  ScrollBar3->setRange(0, 100);
  ScrollBar3->setGeometry(6, 40, 59, 16);
  connect(ScrollBar3, &QScrollBar::valueChanged, this, &ControlPanel::ScrollBar3Change);

  ScrollBar2 = Make<QScrollBar>(this, "ScrollBar2", Qt::Horizontal);
  ScrollBar2->setRange(0, 100);
  connect(ScrollBar2, &QScrollBar::valueChanged, this,
          [this](int pos) { f_.session.view.TraceZoomOut = std::max(1.0, 10.0 - pos / 10.0); });
  usa = MakePicture(this, "usa");
  jpn = MakePicture(this, "jpn");
  ScrollBar1 = Make<QScrollBar>(this, "ScrollBar1", Qt::Horizontal);
  ScrollBar1->setRange(0, 136);
  ScrollBar1->setPageStep(5);
  ScrollBar1->setValue(30);
  connect(ScrollBar1, &QScrollBar::valueChanged, this, &ControlPanel::ScrollBar1Change);
  Memo2 = MakeMemo(this, "Memo2");
  Memo2->setAlignment(Qt::AlignCenter);
}

void ControlPanel::BuildSwitches() {
  // The column of switches; those the frame reads set the render state.
  const struct {
    Slot<QCheckBox> slot;
    const char* name;
    const char* caption;
    bool checked;
    bool RenderState::*flag;
  } switches[] = {
      {&ControlPanel::chkAutoNext, "chkAutoNext", "AutoNext", false, nullptr},
      {&ControlPanel::CheckBox1, "CheckBox1", "Auto Trace", true, &RenderState::AutoTrace},
      {&ControlPanel::chkLL, "chkLL", "Lay Line", false, &RenderState::LayLines},
      {&ControlPanel::ChkRefLine, "ChkRefLine", "Comp Line", false, &RenderState::CompLine},
      {&ControlPanel::CheckBox2, "CheckBox2", "Show Name", true, nullptr},
      {&ControlPanel::ChkBigBoat, "ChkBigBoat", "Big Boat", false, &RenderState::BigBoat},
      {&ControlPanel::CheckBox4, "CheckBox4", "Small Scr", false, nullptr},
  };
  for (const auto& s : switches) {
    QCheckBox* box = this->*s.slot = Make<QCheckBox>(this, s.name, QString::fromLatin1(s.caption));
    box->setChecked(s.checked);
    if (s.flag)
      connect(box, &QCheckBox::toggled, this, [this, flag = s.flag](bool on) { f_.rs.*flag = on; });
  }
  // The moving map shows these with its next frame; a map standing still is drawn again.
  for (QCheckBox* box : {chkLL, ChkRefLine, ChkBigBoat})
    connect(box, &QCheckBox::toggled, this, [this] { RedrawStoppedMap(); });
  connect(CheckBox1, &QCheckBox::toggled, this, &ControlPanel::CheckBox1Click);
  connect(CheckBox2, &QCheckBox::clicked, this, &ControlPanel::CheckBox2Click);
  connect(RadioN, &QRadioButton::clicked, this, &ControlPanel::RadioNClick);
  connect(RadioW, &QRadioButton::clicked, this, &ControlPanel::RadioWClick);
  connect(chkAutoNext, &QCheckBox::toggled, this,
          [this](bool on) { f_.session.play.AutoNext = on ? 1 : 0; });
}

void ControlPanel::PlaceControls() {
  for (const ControlPlace& c : ControlPanelPlaces()) {
    if (QWidget* w = f_.named.Find(c.name)) w->setGeometry(c.rect);
  }
}

void ControlPanel::SetFirstValues() {
  ScrollBar3->setValue(100);
  ScrollBar3Change();
  CheckBox3->setChecked(true);
  ScrollBar1Change();
}

void ControlPanel::WatchCommands() {
  connect(Button2, &QPushButton::clicked, this, &ControlPanel::button2Click);
  connect(ListBox1, &QListWidget::itemClicked, this, &ControlPanel::ListBox1Click);
  // The mouse presses Button3 itself (either button); the keyboard's click is the left one.
  connect(Button3, &QPushButton::clicked, this, [this] { Button3MouseDown(Qt::LeftButton); });
  connect(CheckBox4, &QCheckBox::clicked, this, &ControlPanel::CheckBox4Click);
  connect(Button1, &QPushButton::clicked, this, &ControlPanel::Button1Click);
  for (QWidget* w : std::initializer_list<QWidget*>{usa, jpn, Label12, Label14, Button3,
                                                    chkAutoNext, Button4, ChkBigBoat, CheckBox4,
                                                    GroupBox2, RadioButton1, RadioButton3}) {
    w->installEventFilter(this);
    // Moves without a button reach a widget only when it tracks the mouse.
    w->setMouseTracking(true);
  }
  for (QWidget* w : {usa, jpn, Label12, Label14}) w->setCursor(Qt::PointingHandCursor);
  Label12->setToolTip(QStringLiteral("HELP"));
  Label14->setToolTip(QStringLiteral("SCREEN SHOT"));
}

bool ControlPanel::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove) return false;
  auto* me = static_cast<QMouseEvent*>(event);
  if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
    ReplayController& replay = *f_.replay;
    if (watched == up_f) return replay.up_fClick(), true;
    if (watched == dn_f) return replay.dn_fClick(), true;
    if (watched == stop_f) return replay.stop_fClick(), true;
    if (watched == plus) return replay.plusClick(), true;
    if (watched == minus) return replay.minusClick(), true;
    if (watched == up_t || watched == dn_t || watched == stop_t) return true;
  }
  if (watched == this) {
    if (type == QEvent::MouseMove) pnlCTRLMouseMove();
    return false;
  }
  if (type == QEvent::MouseButtonPress) return Press(watched, me->button());
  // A drag belongs to the control itself.
  if (me->buttons() != Qt::NoButton) return false;
  return Hover(watched, me->position().toPoint());
}

bool ControlPanel::Press(QObject* watched, Qt::MouseButton button) {
  if (watched == Button3 && (button == Qt::LeftButton || button == Qt::RightButton)) {
    Button3MouseDown(button);
    return true;
  }
  if (button != Qt::LeftButton) return false;
  if (watched == usa) return usaClick(), true;
  if (watched == jpn) return jpnClick(), true;
  if (watched == Label12) return Label12Click(), true;
  if (watched == Label14) return f_.canvas->TakeScreenshot(), true;
  return false;
}

bool ControlPanel::Hover(QObject* watched, QPoint pointer) {
  // Over the page buttons the graph is copied again, erasing the pointer's marks on it.
  if (watched == GroupBox2 || watched == RadioButton1 || watched == RadioButton3) {
    if (f_.ws.Page == 2 || f_.ws.Page == 3) f_.canvas->CopyGraphToForm();
    // Over the box itself the control panel's own handler ends any tip.
    if (watched == GroupBox2) return false;
  }
  if (watched == ChkBigBoat || watched == CheckBox4) f_.canvas->SetHoverBoat(0);
  const std::pair<QObject*, TipId> tips[] = {
      {chkAutoNext, TipId::AutoNext},   {Button4, TipId::Show},
      {ChkBigBoat, TipId::BigBoat},     {CheckBox4, TipId::SmallScreen},
      {RadioButton1, TipId::PageTrack}, {RadioButton3, TipId::PageAnalysis},
      {Button3, TipId::GoogleEarth},    {Label12, TipId::HelpLabel},
      {Label14, TipId::Screenshot},
  };
  for (const auto& [control, tip] : tips)
    if (watched == control) return f_.tips->ShowTip(tip, pointer), true;
  return false;
}

}  // namespace kw
