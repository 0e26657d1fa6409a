#include "app/form_widgets.h"

#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "app/form_context.h"
#include "race/datetime.h"
#include "race/numbers.h"
#include "view/artwork.h"

namespace kw {

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

QString ClockText(const RaceData& race, double clock) {
  return QString::fromStdString(FormatDateTime(race.StartTime + RoundHalfEven(clock) / 86400.0));
}

bool OpenDataPage(FormContext& f, const QString& first, const QString& second) {
  const QString folder = f.session.race.ProgramFolder;
  for (const QString& page : {first, second}) {
    const QString path = folder + page;
    if (QFileInfo(path).isFile()) {
      f.services.shell->Open(path);
      return true;
    }
  }
  return false;
}

BoatMarker::BoatMarker(QWidget* parent, QColor fill) : QWidget(parent), fill_(fill) {
  resize(7, 7);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BoatMarker::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(Qt::white);
  p.setBrush(fill_);
  p.drawEllipse(0, 0, 6, 6);
}

}  // namespace kw
