#include "app/insight_part.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include "app/control_panel.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/hint_box.h"
#include "app/map_canvas.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "output/keep_wind.h"
#include "race/wind.h"
#include "view/insight_overlays.h"
#include "view/language_texts.h"
#include "view/window_layout.h"

namespace kw {

InsightPart::InsightPart(FormContext& f, QWidget* form) : QObject(form), f_(f) {
  chkManoeuvres = Make<QCheckBox>(f_.controls, "chkManoeuvres", QStringLiteral("Manoeuvres"));
  for (const ControlPlace& c : ControlPanelPlaces())
    if (QLatin1String(c.name) == QLatin1String("chkManoeuvres")) chkManoeuvres->setGeometry(c.rect);
  connect(chkManoeuvres, &QCheckBox::clicked, this, &InsightPart::chkManoeuvresClick);
  btnKeepWind = Make<QPushButton>(form, "btnKeepWind", QStringLiteral("Keep Est. Wind"));
  btnKeepWind->hide();
  connect(btnKeepWind, &QPushButton::clicked, this, &InsightPart::btnKeepWindClick);
  // The command belongs to the graph page: another page chosen (or a load) puts it away.
  connect(f_.controls->RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) btnKeepWind->hide();
  });
  for (QWidget* w : {static_cast<QWidget*>(chkManoeuvres), static_cast<QWidget*>(btnKeepWind)}) {
    w->setMouseTracking(true);
    w->installEventFilter(this);
  }
  f_.named.Add({chkManoeuvres, btnKeepWind});
}

bool InsightPart::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseMove) return false;
  // A drag belongs to the control; a move shows its tip and goes no further (the form under it
  // would put the tip away).
  auto* move = static_cast<QMouseEvent*>(event);
  if (move->buttons() != Qt::NoButton) return false;
  const QPoint at = move->position().toPoint();
  if (watched == chkManoeuvres) return f_.tips->ShowTip(TipId::Manoeuvres, at), true;
  if (watched == btnKeepWind) return f_.tips->ShowTip(TipId::KeepWind, at), true;
  return false;
}

void InsightPart::ApplySwitch() {
  const bool on = chkManoeuvres->isChecked() && f_.ws.RaceReady && !f_.replay->loading();
  f_.rs.Manoeuvres = on ? &InsightOf(f_.session).manoeuvres : nullptr;
}

void InsightPart::chkManoeuvresClick() {
  ApplySwitch();
  // The still map shows the change at once; the moving map with its next frame.
  f_.canvas->RedrawStillFrame();
}

void InsightPart::RaceLoaded() {
  btnKeepWind->hide();
  ApplySwitch();
}

void InsightPart::GraphDrawn() {
  const RaceData& r = f_.session.race;
  if (!r.WindFileName.empty() || f_.canvas->GraphBitmap.isNull()) {
    btnKeepWind->hide();
    return;
  }
  const RaceInsight& in = InsightOf(f_.session);
  DrawEstimatedWind(f_.canvas->GraphBitmap, r, f_.canvas->graphGeometry, in.estimate,
                    f_.ws.Language);
  // Left of the small logo at the map's top right corner, over the strip above the plots.
  btnKeepWind->setGeometry(f_.session.view.MapWidth - 205, 2, 130, 22);
  btnKeepWind->setVisible(in.estimate.enough);
  btnKeepWind->raise();
}

void InsightPart::btnKeepWindClick() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  RaceData& r = f_.session.race;
  const RaceInsight& in = InsightOf(f_.session);
  const QString name = QString::fromStdString(WindFileNameFor(r.RaceFileName));
  if (QFileInfo::exists(r.ProgramFolder + QStringLiteral("winddat/") + name)) {
    // No frame runs behind the question.
    const ReplayController::Held held(*f_.replay);
    if (!f_.services.dialogs->Ask(
            QStringLiteral("keelway"),
            QStringLiteral("winddat/%1 exists. Replace it with the estimated wind?\n"
                           "(The file as it was is kept as %1.bak.)")
                .arg(name)))
      return;
  }
  const KeptWind kept = KeepEstimatedWind(r, in.estimate, f_.ws.BackedUp);
  if (!kept.ok) {
    f_.services.dialogs->Message(
        QStringLiteral("keelway"),
        QStringLiteral("The estimated wind was not saved: %1").arg(kept.message));
    return;
  }
  f_.services.sound->Beep();
  f_.session.play.HasWindFile = 1;
  // Manoeuvres are measured against the race's wind file from now on.
  ForgetInsight(f_.session);
  ApplySwitch();
  f_.form->LayoutWindow();
  f_.form->RebuildViewPictures();
  f_.canvas->DrawPage();
}

bool InsightPart::MapPointerMoved(int x, int y) {
  if (!f_.rs.Manoeuvres || f_.ws.Page != 1) return false;
  const RaceSession& s = f_.session;
  const std::vector<ManoeuvreMark> marks =
      ManoeuvreMarks(s.race, s.view, *f_.rs.Manoeuvres, s.play.RaceClock);
  const ManoeuvreMark* mark = MarkUnder(marks, QPoint(x, y));
  if (!mark) return false;
  const QString text = ManoeuvreTipText(
      s.race, mark->boat, (*f_.rs.Manoeuvres)[mark->boat].list[mark->index], f_.ws.Language);
  const QSize size = f_.tips->HintTextSize(text);
  f_.ws.HintLeft = x + 12;
  f_.ws.HintTop = y + 12;
  f_.tips->ShowHintBox(text, size.width(), size.height());
  return true;
}

}  // namespace kw
