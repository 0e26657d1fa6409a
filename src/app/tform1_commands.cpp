// Commands of the control panel that belong to no other concern: the tip box, the screenshot
// and the retouch image, the jumps to a time, the attachments, Google Earth and the result
// panels that step out of the pointer's way.
#include <QBuffer>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

#include <algorithm>

#include "analysis/boat_state.h"
#include "app/tform1.h"
#include "output/kml.h"
#include "race/datetime.h"
#include "race/numbers.h"
#include "race/text.h"
#include "view/language_texts.h"

namespace kw {

QSize TForm1::HintTextSize(const QString& text) const {
  const QRect need = hintbox->fontMetrics().boundingRect(QRect(0, 0, 2000, 2000),
                                                         Qt::AlignLeft | Qt::AlignTop, text);
  const int frame = 2 * hintbox->frameWidth() + 4;
  return need.size() + QSize(frame, frame);
}

void TForm1::ShowHintBox(const QString& text, int width, int height) {
  hintbox->setText(text);
  // A text longer than the box's size in this font grows the box rather than being cut, and
  // the box stays inside the window.
  const QSize need = HintTextSize(text);
  width = std::max(width, need.width());
  height = std::max(height, need.height());
  const int left = std::clamp(HintLeft, 0, std::max(0, this->width() - width));
  const int top = std::clamp(HintTop, 0, std::max(0, this->height() - height));
  hintbox->setGeometry(left, top, width, height);
  hintbox->show();
  hintbox->raise();
  // On the still map this also wipes what the pointer drew over it.
  RepaintMap();
}

bool TForm1::SaveImageAndOpen(const QImage& image, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  WriteResult w;
  if (image.isNull() || !image.save(&buffer, "BMP"))
    w = {false, QStringLiteral("%1: the picture could not be encoded").arg(path)};
  else if (!QDir().mkpath(QFileInfo(path).absolutePath()))
    w = {false, QStringLiteral("%1: the folder could not be created").arg(path)};
  else
    w = WriteWholeFile(path,
                       std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  if (!w.ok) {
    services_.dialogs->Message(QStringLiteral("keelway"), w.message);
    return false;
  }
  services_.shell->Open(path);
  return true;
}

void TForm1::TakeScreenshot() {
  // A frame being drawn lies below this call: take the picture once it is done.
  if (inFrame_) {
    QTimer::singleShot(0, this, &TForm1::TakeScreenshot);
    return;
  }
  const ViewState& v = session_.view;
  if (v.MapWidth < 1 || v.MapHeight < 1) return;
  // The map as shown, with the tip box and the panels over it.
  const QImage shot = grab(QRect(0, 0, v.MapWidth, v.MapHeight)).toImage();
  SaveImageAndOpen(shot, documentsFolder_ + QStringLiteral("/keelway.bmp"));
}

void TForm1::Button5Click() {
  if (!raceReady_ || loading_) return;
  QImage image;
  if (session_.play.Page != 1) {
    image = graphBitmap_;
  } else if (session_.view.TraceMode == 0) {
    image = mapBitmap_;
  } else {
    // The frame at the clock, drawn with the replay held.
    const bool running = Timer1->isActive();
    Timer1->stop();
    if (PrepareFrame()) DrawFrame();
    image = mapBitmap_.copy();
    if (running) Timer1->start();
  }
  SaveImageAndOpen(image, documentsFolder_ + QStringLiteral("/NoName.bmp"));
}

void TForm1::ShowClockAt(double clock) {
  PlaybackState& p = session_.play;
  p.RaceClock = clock;
  if (PrepareFrame()) DrawFrame();
  Memo1->setText(ClockText(p.RaceClock));
  p.ShownTime = session_.race.StartTime + RoundHalfEven(p.RaceClock) / 86400.0;
}

void TForm1::Button6Click() {
  if (!raceReady_ || loading_) return;
  const RaceData& r = session_.race;
  const QDate d = DateTimePicker1->date();
  const QTime t = DateTimePicker2->time();
  const double target =
      EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
  // Inside the replay window: after the finish the clock's last second, and before the
  // window's first second nobody has a track to show.
  const double clock = static_cast<double>(SecondsBetween(r.StartTime, target));
  ShowClockAt(std::clamp(clock, r.ClockFirst, r.ClockLast));
}

void TForm1::Button10Click() {
  if (!raceReady_ || loading_) return;
  SetPickers(session_.race.StartTime);
  ShowClockAt(0);
}

void TForm1::button2Click() {
  services_.sound->Beep();
  if (ListBox1->isVisible()) {
    ListBox1->hide();
    return;
  }
  const RaceData& r = session_.race;
  if (r.AttachmentCount <= 1) {
    if (r.AttachmentCount < 1) return;
    const QString path =
        ResolveFile(r.ProgramFolder + QStringLiteral("attachment/"), r.AttachmentName[0]);
    if (!path.isEmpty()) services_.shell->Open(path);
    return;
  }
  ListBox1->clear();
  for (int i = 0; i < r.AttachmentCount; ++i) ListBox1->addItem(DisplayText(r.AttachmentName[i]));
  ListBox1->setCurrentRow(-1);
  ListBox1->show();
  ListBox1->raise();
}

void TForm1::ListBox1Click() {
  const int row = ListBox1->currentRow();
  const RaceData& r = session_.race;
  if (row >= 0 && row < r.AttachmentCount) {
    SelectedAttachment = ListBox1->item(row)->text();
    // The name as the race file wrote it, in case its bytes are not UTF-8.
    const QString path =
        ResolveFile(r.ProgramFolder + QStringLiteral("attachment/"), r.AttachmentName[row]);
    if (!path.isEmpty()) services_.shell->Open(path);
  }
  ListBox1->hide();
}

void TForm1::Button3MouseDown(Qt::MouseButton button) {
  if (!raceReady_ || loading_) return;
  const RaceData& r = session_.race;
  const int language = session_.play.Language;
  int hidden = 0;
  for (int b = 1; b <= r.BoatCount && b < static_cast<int>(r.BoatShown.size()); ++b)
    if (r.BoatShown[b] == 0) ++hidden;
  HideUnfocusedInKml = false;
  if (hidden > 0 || r.HiddenBoatCount > 0) {
    const QString question = IsJapanese(language)
                                 ? QStringLiteral(
                                       "フォーカスの外れた艇を隠しますか？\n"
                                       "（いいえの場合はフォーカスの外れた艇を細線で表示します）")
                                 : QStringLiteral("Hide Unfocused Boat ?");
    HideUnfocusedInKml = services_.dialogs->Ask(QStringLiteral("keelway"), question);
  }
  KmlOptions options;
  options.language = language;
  options.HideUnfocusedInKml = HideUnfocusedInKml;
  WriteResult w;
  if (button == Qt::RightButton) {
    // The boats where the clock stands now.
    FrameBoats boats;
    const double clock = session_.play.RaceClock;
    ComputeBoatState(r, clock, rs_.Wind.TrueWindNow, boats);
    w = ExportKmlSnapshot(r, boats, clock, options, documentsFolder_);
  } else {
    w = ExportKmlRace(r, options, documentsFolder_);
  }
  if (!w.ok) {
    services_.dialogs->Message(QStringLiteral("keelway"), w.message);
    return;
  }
  // The replay waits for the user to come back from the globe (the tip says so).
  if (Timer1->isActive()) stop_fClick();
  services_.shell->Open(w.message);
  ShowTip(TipId::GoogleEarth);
}

void TForm1::pnlScoreMouseMove() {
  const int mapHeight = session_.view.MapHeight;
  if (pnlScore->x() <= 50) {
    pnlScore->move(pnlTimeBar->x() - pnlScore->width() - 5, pnlScore->y());
    return;
  }
  pnlScore->move(5, pnlScore->y());
  if (pnlScore2->y() < 50) pnlScore2->move(pnlScore2->x(), mapHeight - pnlScore2->height() - 5);
}

void TForm1::pnlScore2MouseMove() {
  const int mapHeight = session_.view.MapHeight;
  if (pnlScore2->y() < 50)
    pnlScore2->move(pnlScore2->x(), mapHeight - pnlScore2->height() - 5);
  else
    pnlScore2->move(pnlScore2->x(), 5);
  pnlScore->move(pnlTimeBar->x() - pnlScore->width() - 5, pnlScore->y());
}

}  // namespace kw
