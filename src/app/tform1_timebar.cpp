// The time bar beside the map: drawn for the current race and size, and its mouse: jumps,
// the repeat span, the hint and the overview markers at the time under the pointer.
#include <QCheckBox>
#include <QLabel>
#include <QPixmap>

#include <algorithm>
#include <cmath>

#include "app/tform1.h"
#include "race/numbers.h"
#include "view/geometry.h"
#include "view/time_bar.h"

namespace kw {

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
    // The still map's tracks follow the repeat span.
    BuildStillMap();
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
  if (session_.play.Page == 2) CopyGraphToForm();
}

}  // namespace kw
