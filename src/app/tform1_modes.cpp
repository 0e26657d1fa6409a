// The replay modes: elapsed or corrected time (a reload), small screen (a fixed, smaller map for
// recording, with its size bar), and the final result board that ends a small-screen replay.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include "app/form_widgets.h"
#include "app/tform1.h"
#include "race/numbers.h"
#include "view/rankings.h"

namespace kw {

namespace {

// The sizes offered by the size bar, in the order of its buttons.
struct SizeChoice {
  int smallScreen, width, height;
  const char* caption;
};
constexpr SizeChoice kSizes[] = {
    {1, 800, 600, "800 x 600"}, {2, 800, 480, "800 x 480"}, {3, 640, 480, "640 x 480"},
    {4, 480, 320, "480 x 320"}, {5, 0, 0, "Preferance"},
};

}  // namespace

void TForm1::BuildSmallScreenBar() {
  pnlUsize = Make<QFrame>(this, "pnlUsize");
  SetColours(pnlUsize, QColor(212, 208, 200), Qt::black);
  pnlUsize->setFrameShape(QFrame::Panel);
  QRadioButton** buttons[] = {&RadioButton4, &RadioButton7, &RadioButton5, &RadioButton6,
                              &RadioButton8};
  const char* names[] = {"RadioButton4", "RadioButton7", "RadioButton5", "RadioButton6",
                         "RadioButton8"};
  int x = 6;
  for (int i = 0; i < 5; ++i) {
    QRadioButton* b = *buttons[i] =
        Make<QRadioButton>(pnlUsize, names[i], QString::fromLatin1(kSizes[i].caption));
    b->setGeometry(x, 4, i == 4 ? 96 : 88, 18);
    x += b->width() + 2;
    connect(b, &QRadioButton::clicked, this, [this] { SmallScreenSizeClick(); });
  }
  ComboBox2 = Make<QComboBox>(pnlUsize, "ComboBox2");
  ComboBox2->setGeometry(x, 2, 60, 22);
  ComboBox3 = Make<QComboBox>(pnlUsize, "ComboBox3");
  ComboBox3->setGeometry(x + 64, 2, 60, 22);
  for (QComboBox* box : {ComboBox2, ComboBox3}) {
    connect(box, QOverload<int>::of(&QComboBox::activated), this, [this] {
      RadioButton8->setChecked(true);
      SmallScreenSizeClick();
    });
  }
  pnlUsize->resize(x + 130, 26);
  pnlUsize->hide();

  Image6 = Make<QLabel>(pnlScore, "Image6");
  Image6->move(0, 0);
  Image6->hide();

  connect(RadioButton10, &QRadioButton::clicked, this, &TForm1::RadioButton10Click);
  connect(RadioButton11, &QRadioButton::clicked, this, &TForm1::RadioButton11Click);
  connect(CheckBox4, &QCheckBox::clicked, this, &TForm1::CheckBox4Click);
}

// ---- Elapsed and corrected time --------------------------------------------------------------

void TForm1::ReloadInMode(bool corrected) {
  RaceData& r = session_.race;
  const bool current = r.CorrectedTimeMode > 0;
  // A click during a load, on the mode already shown, or refused for an edited course that
  // could not be saved leaves the buttons showing the mode the race is in.
  if (loading_ || current == corrected || !SettleCourseBeforeLoad()) {
    r.Controls.CtModeChecked = current;
    RadioButton11->setChecked(current);
    RadioButton10->setChecked(!current);
    return;
  }
  session_.play.ModeChosenByUser = 1;
  // The loading step reads the buttons' state from here; the file's CT value must not win.
  r.Controls.CtModeChecked = corrected;
  services_.sound->Beep();
  LoadRace();
}

void TForm1::RadioButton11Click() {
  if (RadioButton11->isChecked()) ReloadInMode(true);
}

void TForm1::RadioButton10Click() {
  if (RadioButton10->isChecked()) ReloadInMode(false);
}

void TForm1::ShowCorrectedTimeBanner() {
  const bool on =
      session_.race.CorrectedTimeMode >= 1 && !rs_.SmallScreen && session_.play.Page == 1;
  Memo10->setVisible(on);
  if (on) {
    Memo10->setGeometry(Panel1->geometry().right() + 1 + 10, 5, 329, 33);
    // The banner is 20 points where the font allows; a wider font is shrunk to fit its box.
    QFont f = Memo10->font();
    f.setPointSize(20);
    while (f.pointSize() > 8 &&
           QFontMetrics(f).horizontalAdvance(Memo10->text()) > Memo10->width() - 6)
      f.setPointSize(f.pointSize() - 1);
    Memo10->setFont(f);
    Memo10->raise();
  }
}

// ---- Small screen ----------------------------------------------------------------------------

void TForm1::ClearFormWhite() {
  if (canvas_.isNull()) return;
  canvas_.fill(Qt::white);
  update();
}

void TForm1::CheckBox4Click() {
  ViewState& v = session_.view;
  ClearFormWhite();
  if (CheckBox4->isChecked()) {
    rs_.SmallScreen = 3;
    if (ComboBox2->count() == 0) {
      for (int w = 300; w <= 1280; w += 20) ComboBox2->addItem(QString::number(w));
      for (int h = 240; h <= 640; h += 20) ComboBox3->addItem(QString::number(h));
    }
    RadioButton7->setChecked(true);
    v.MapWidth = 800;
    v.MapHeight = 480;
    ResizeBitmaps(v.MapWidth, v.MapHeight);
    Memo10->hide();
    Memo11->show();
    Memo12->show();
    ShowSmallScreenBar();
  } else {
    rs_.SmallScreen = 0;
    pnlUsize->hide();
    btnStopWatch->show();
    RadioButton2->setEnabled(true);
    RadioButton3->setEnabled(true);
    Memo11->hide();
    Memo12->hide();
    // The normal layout gives the map its area back (and sets the corrected-time banner).
    LayoutWindow();
    ShowCorrectedTimeBanner();
  }
  pnlFLAG->move(v.MapWidth - pnlFLAG->width() - 5, pnlFLAG->y());
  RedrawAfterResize();
}

void TForm1::SmallScreenSizeClick() {
  if (!rs_.SmallScreen) return;
  ViewState& v = session_.view;
  QRadioButton* buttons[] = {RadioButton4, RadioButton7, RadioButton5, RadioButton6, RadioButton8};
  for (int i = 0; i < 5; ++i) {
    if (!buttons[i]->isChecked()) continue;
    rs_.SmallScreen = kSizes[i].smallScreen;
    v.MapWidth = kSizes[i].width;
    v.MapHeight = kSizes[i].height;
    if (kSizes[i].smallScreen == 5) {
      v.MapWidth = ComboBox2->currentText().toInt();
      v.MapHeight = ComboBox3->currentText().toInt();
    }
  }
  // The lists hold 300..1280 and 240..640; an empty list must not make an empty map.
  v.MapWidth = std::max(v.MapWidth, 300);
  v.MapHeight = std::max(v.MapHeight, 240);
  ClearFormWhite();
  ResizeBitmaps(v.MapWidth, v.MapHeight);
  ShowSmallScreenBar();
  RedrawAfterResize();
}

void TForm1::ShowSmallScreenBar() {
  const ViewState& v = session_.view;
  const RaceData& r = session_.race;
  pnlUsize->show();
  btnStopWatch->hide();
  RadioButton2->setEnabled(false);
  RadioButton3->setEnabled(false);
  Memo11->setText(r.RaceCaption);
  Memo11->setGeometry(112, 2, 6 * static_cast<int>(r.RaceCaption.size()) + 15, 16);
  Memo11->show();
  // Centred under the map, but never off the form's left edge under a narrow map.
  pnlUsize->move(std::max(0, RoundInt((v.MapWidth - pnlUsize->width()) / 2.0)), v.MapHeight + 35);
  Memo13->setGeometry(v.MapWidth - 180, v.MapHeight - 17, 175, 16);
  if (r.CorrectedTimeMode >= 1) {
    Memo12->setText(QStringLiteral("CT mode"));
    Memo12->setGeometry(Memo11->geometry().right() + 1 + 2, 2, 60, 16);
    Memo12->show();
  } else {
    Memo12->hide();
  }
  for (QWidget* w : {static_cast<QWidget*>(pnlUsize), static_cast<QWidget*>(Memo11),
                     static_cast<QWidget*>(Memo12), static_cast<QWidget*>(Memo13)})
    w->raise();
}

void TForm1::RedrawAfterResize() {
  if (!raceReady_ || loading_) return;
  BuildStillMap();
  if (session_.play.Page == 1) {
    if (PrepareFrame()) DrawFrame();
  } else {
    DrawPage();
  }
}

// ---- The final result board ------------------------------------------------------------------

void TForm1::WaitMilliseconds(int ms) {
  const long long start = services_.clock->TickCount();
  // Sleeps in short steps and lets the window answer between them; a close or a new race ends
  // the hold early.
  while (!closing_ && !loading_ && services_.clock->TickCount() - start < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

void TForm1::ShowFinalBoard() {
  Timer1->stop();
  Timer2->stop();
  const RaceData& r = session_.race;
  const ViewState& v = session_.view;
  if (r.LineCount <= 0) return;
  const QImage board = DrawFinalBoard(r, session_.passing, v.MapWidth, v.MapHeight, rs_.SeaColor);
  if (board.isNull()) return;
  {
    FlagScope hold(inBoard_);
    Image6->setPixmap(QPixmap::fromImage(board));
    Image6->resize(board.size());
    pnlScore->setGeometry(0, 0, v.MapWidth, v.MapHeight);
    Image5->hide();
    Image6->show();
    pnlScore->show();
    pnlScore->raise();
    WaitMilliseconds(10000);
  }
  // The ranking list gets its panel back, hidden until the next finishes.
  pnlScore->hide();
  Image6->hide();
  Image5->show();
  pnlScore->resize(185, 6);
  if (!closing_ && !loading_) LayoutWindow();
}

}  // namespace kw
