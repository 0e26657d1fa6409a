#include "app/small_screen_bar.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

#include "app/control_panel.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/tform1.h"
#include "race/numbers.h"
#include "view/renderer.h"

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

SmallScreenBar::SmallScreenBar(FormContext& f, QWidget* form) : QObject(form), f_(f) {
  Memo11 = Make<QLabel>(form, "Memo11");
  Memo12 = Make<QLabel>(form, "Memo12");
  Memo13 = MakeMemo(form, "Memo13");
  for (QLabel* memo : {Memo11, Memo12, Memo13}) memo->hide();
  BuildSizeBar(form);
  f_.named.Add({Memo11, Memo12, Memo13, pnlUsize, RadioButton4, RadioButton5, RadioButton6,
                RadioButton7, RadioButton8, ComboBox2, ComboBox3});
}

void SmallScreenBar::BuildSizeBar(QWidget* form) {
  pnlUsize = Make<QFrame>(form, "pnlUsize");
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
}

void SmallScreenBar::Enter() {
  ViewState& v = f_.session.view;
  f_.canvas->ClearFormWhite();
  f_.rs.SmallScreen = 3;
  if (ComboBox2->count() == 0) {
    for (int w = 300; w <= 1280; w += 20) ComboBox2->addItem(QString::number(w));
    for (int h = 240; h <= 640; h += 20) ComboBox3->addItem(QString::number(h));
  }
  RadioButton7->setChecked(true);
  v.MapWidth = 800;
  v.MapHeight = 480;
  f_.canvas->ResizeBitmaps(v.MapWidth, v.MapHeight);
  f_.panels->Memo10->hide();
  Memo11->show();
  Memo12->show();
  ShowSmallScreenBar();
  f_.panels->PlaceFlags();
  f_.canvas->RedrawAfterResize();
}

void SmallScreenBar::Leave() {
  f_.canvas->ClearFormWhite();
  f_.rs.SmallScreen = 0;
  pnlUsize->hide();
  f_.panels->btnStopWatch->show();
  f_.controls->RadioButton2->setEnabled(true);
  f_.controls->RadioButton3->setEnabled(true);
  Memo11->hide();
  Memo12->hide();
  // The normal layout gives the map its area back (and sets the corrected-time banner).
  f_.form->LayoutWindow();
  f_.panels->ShowCorrectedTimeBanner();
  f_.panels->PlaceFlags();
  f_.canvas->RedrawAfterResize();
}

void SmallScreenBar::SmallScreenSizeClick() {
  if (!f_.rs.SmallScreen) return;
  ViewState& v = f_.session.view;
  QRadioButton* buttons[] = {RadioButton4, RadioButton7, RadioButton5, RadioButton6, RadioButton8};
  for (int i = 0; i < 5; ++i) {
    if (!buttons[i]->isChecked()) continue;
    f_.rs.SmallScreen = kSizes[i].smallScreen;
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
  f_.canvas->ClearFormWhite();
  f_.canvas->ResizeBitmaps(v.MapWidth, v.MapHeight);
  ShowSmallScreenBar();
  f_.canvas->RedrawAfterResize();
}

void SmallScreenBar::ShowSmallScreenBar() {
  const ViewState& v = f_.session.view;
  const RaceData& r = f_.session.race;
  pnlUsize->show();
  f_.panels->btnStopWatch->hide();
  f_.controls->RadioButton2->setEnabled(false);
  f_.controls->RadioButton3->setEnabled(false);
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

void SmallScreenBar::ShowPlaySpeed() {
  Memo13->setVisible(f_.rs.SmallScreen);
  if (f_.rs.SmallScreen) Memo13->setText(PlaySpeedText(f_.session.play.PlaySpeed));
}

}  // namespace kw
