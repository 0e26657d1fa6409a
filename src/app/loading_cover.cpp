#include "app/loading_cover.h"

#include <QLabel>
#include <QPainter>

#include "app/form_context.h"
#include "app/form_widgets.h"
#include "race/numbers.h"

namespace kw {

LoadingCover::LoadingCover(FormContext& f, QWidget* form) : QFrame(form), f_(f) {
  setObjectName(QStringLiteral("pnlSPLITE"));
  SetColours(this, QColor(0, 0, 64), Qt::white);
  Image2 = Make<QLabel>(this, "Image2");
  const struct {
    QLabel* LoadingCover::*slot;
    const char* name;
    int width, height;
    const char* text;
  } labels[] = {
      {&LoadingCover::Image3, "Image3", 300, 18, ""},
      {&LoadingCover::memo4, "memo4", 500, 18, ""},
      {&LoadingCover::memo5, "memo5", 900, 40, ""},
      {&LoadingCover::Memo7, "Memo7", 900, 30, ""},
      {&LoadingCover::Label8, "Label8", 400, 16, "keelway v3.1"},
      {&LoadingCover::Label9, "Label9", 400, 16, "Powered by"},
      {&LoadingCover::Label10, "Label10", 400, 16, "keelway developers"},
  };
  for (const auto& l : labels) {
    QLabel* label = this->*l.slot = MakeLabel(this, l.name, l.width, l.height);
    label->setText(QString::fromLatin1(l.text));
  }
  CoverNotice = MakeLabel(this, "CoverNotice", 900, 18);
  CoverNotice->hide();
  QFont big = memo5->font();
  big.setPointSize(18);
  big.setBold(true);
  memo5->setFont(big);
  big.setPointSize(13);
  Memo7->setFont(big);
}

void LoadingCover::SetCoverPicture(const QImage& cover) {
  f_.ws.HasCover = !cover.isNull();
  Image2->setPixmap(f_.ws.HasCover ? QPixmap::fromImage(cover) : QPixmap());
  Image2->resize(f_.ws.HasCover ? cover.size() : QSize(0, 0));
}

void LoadingCover::LayOutCover() {
  const int w = parentWidget()->width(), h = parentWidget()->height();
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
  CoverNotice->move((w - CoverNotice->width()) / 2, below + 70);
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

void LoadingCover::SetCoverNotice(const QString& text) {
  CoverNotice->setText(text);
  CoverNotice->setVisible(!text.isEmpty());
}

void LoadingCover::ShowProgress(int i, int n, const QString& text) {
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

void LoadingCover::ShowCaptions() {
  const RaceData& r = f_.session.race;
  parentWidget()->setWindowTitle(r.RaceCaption);
  memo5->setText(r.RaceCaption.trimmed());
  Memo7->setText(r.RaceCaption2);
}

}  // namespace kw
