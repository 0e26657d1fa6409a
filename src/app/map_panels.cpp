#include "app/map_panels.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "analysis/playback.h"
#include "app/edit_panels.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/tform1.h"
#include "output/report.h"
#include "view/artwork.h"

namespace kw {

MapPanels::MapPanels(FormContext& f, QWidget* form) : QObject(form), f_(f) {
  pnlFLAG = Make<QFrame>(form, "pnlFLAG");
  kwlogo = MakePicture(pnlFLAG, "kwlogo");
  blue_p = MakePicture(pnlFLAG, "blue_p");
  pnlFLAG->resize(kwlogo->size().expandedTo(blue_p->size()));
  pnlFLAG->hide();

  pnlCT = Make<QFrame>(form, "pnlCT");
  SetColours(pnlCT, QColor(212, 208, 200), Qt::black);
  pnlCT->resize(170, 26);
  RadioButton10 = Make<QRadioButton>(pnlCT, "RadioButton10", QStringLiteral("ET mode"));
  RadioButton10->setGeometry(6, 4, 78, 18);
  RadioButton11 = Make<QRadioButton>(pnlCT, "RadioButton11", QStringLiteral("CT mode"));
  RadioButton11->setGeometry(88, 4, 78, 18);
  pnlCT->hide();
  connect(RadioButton10, &QRadioButton::clicked, this, &MapPanels::RadioButton10Click);
  connect(RadioButton11, &QRadioButton::clicked, this, &MapPanels::RadioButton11Click);

  // The compass card is copied onto the map by the overlays; the panel itself stays hidden.
  Panel1 = Make<QFrame>(form, "Panel1");
  Panel1->setGeometry(0, 2, 100, 120);
  compasst = Make<QLabel>(Panel1, "compasst");
  compasst->setGeometry(0, 0, 100, 120);
  compasst->setPixmap(QPixmap::fromImage(FormPicture(QStringLiteral("compasss"))));
  Memo3 = Make<QLabel>(Panel1, "Memo3");
  QLabel* card = MakePicture(Panel1, "compasss");  // the card's source, turned into compasst
  card->hide();
  Panel1->hide();
  // The wind strip's panel; its image is built with the wind overlays.
  PnlWindGr = Make<QFrame>(form, "PnlWindGr");
  PnlWindGr->setGeometry(5, Panel1->geometry().bottom() + 1 + 8, 100, 100);
  PnlWindGr->hide();

  BuildButtons(form);
  BuildMemos(form);
  f_.named.Add({pnlFLAG, blue_p, kwlogo, pnlCT, RadioButton10, RadioButton11, Panel1, compasst,
                Memo3, PnlWindGr, btnStopWatch, btnExcell, btnSaveEx, Memo6, Memo8, Memo10});
}

void MapPanels::BuildButtons(QWidget* form) {
  // Buttons over the map, hidden until their page or mode shows them.
  const struct {
    QPushButton* MapPanels::*slot;
    const char* name;
    const char* caption;
    int width, height;
  } buttons[] = {
      {&MapPanels::btnStopWatch, "btnStopWatch", "TIMER/ON", 73, 20},
      {&MapPanels::btnExcell, "btnExcell", "Show Excel Table", 110, 22},
      {&MapPanels::btnSaveEx, "btnSaveEx", "Save", 60, 22},
  };
  for (const auto& b : buttons) {
    QPushButton* button = this->*b.slot =
                              Make<QPushButton>(form, b.name, QString::fromLatin1(b.caption));
    button->resize(b.width, b.height);
    button->hide();
  }
  connect(btnStopWatch, &QPushButton::clicked, this, &MapPanels::btnStopWatchClick);
  connect(btnExcell, &QPushButton::clicked, this, [this] {
    ShowReport(f_.session.race, f_.session.passing, f_.documentsFolder, *f_.services.dialogs,
               *f_.services.shell, f_.services.sound);
  });
}

void MapPanels::BuildMemos(QWidget* form) {
  Memo8 = MakeMemo(form, "Memo8");
  Memo6 = Make<QLabel>(form, "Memo6");
  Memo10 = MakeMemo(form, "Memo10");
  for (QLabel* memo : {Memo8, Memo6, Memo10}) memo->hide();
  QFont f12 = Memo8->font();
  f12.setPointSize(12);
  Memo8->setFont(f12);
  Memo8->setAlignment(Qt::AlignCenter);
  Memo8->resize(73, 20);
  SetColours(Memo6, QColor(255, 255, 225), Qt::black);
  Memo6->setAlignment(Qt::AlignCenter);
  // The floating label never takes the pointer away from the map it labels.
  Memo6->setAttribute(Qt::WA_TransparentForMouseEvents);
  QFont f20 = Memo10->font();
  f20.setPointSize(20);
  Memo10->setFont(f20);
  Memo10->setText(QStringLiteral("CT(Corrected Time) Mode"));
}

void MapPanels::ReloadInMode(bool corrected) {
  RaceData& r = f_.session.race;
  const bool current = r.CorrectedTimeMode > 0;
  // A click during a load, on the mode already shown, or refused for an edited course that
  // could not be saved leaves the buttons showing the mode the race is in.
  if (f_.form->loading() || current == corrected || !f_.edit->SettleCourseBeforeLoad()) {
    r.Controls.CtModeChecked = current;
    RadioButton11->setChecked(current);
    RadioButton10->setChecked(!current);
    return;
  }
  f_.session.play.ModeChosenByUser = 1;
  // The loading step reads the buttons' state from here; the file's CT value must not win.
  r.Controls.CtModeChecked = corrected;
  f_.services.sound->Beep();
  f_.form->LoadRace();
}

void MapPanels::RadioButton11Click() {
  if (RadioButton11->isChecked()) ReloadInMode(true);
}

void MapPanels::RadioButton10Click() {
  if (RadioButton10->isChecked()) ReloadInMode(false);
}

void MapPanels::ShowCorrectedTimeBanner() {
  const bool on = f_.session.race.CorrectedTimeMode >= 1 && !f_.rs.SmallScreen && f_.ws.Page == 1;
  Memo10->setVisible(on);
  if (on) {
    Memo10->setGeometry(Panel1->geometry().right() + 1 + 10, 5, 329, 33);
    // The banner is 20 points where the font allows; a wider font is shrunk to fit its box.
    QFont font = Memo10->font();
    font.setPointSize(20);
    while (font.pointSize() > 8 &&
           QFontMetrics(font).horizontalAdvance(Memo10->text()) > Memo10->width() - 6)
      font.setPointSize(font.pointSize() - 1);
    Memo10->setFont(font);
    Memo10->raise();
  }
}

void MapPanels::btnStopWatchClick() {
  PlaybackState& p = f_.session.play;
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

void MapPanels::PlaceFlags() {
  pnlFLAG->move(f_.session.view.MapWidth - pnlFLAG->width() - 5, pnlFLAG->y());
}

}  // namespace kw
