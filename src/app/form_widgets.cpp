#include "app/form_widgets.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "view/artwork.h"
#include "view/window_layout.h"

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

void PlaceControls(QWidget* panel) {
  for (const ControlPlace& c : ControlPanelPlaces()) {
    if (QWidget* w = panel->findChild<QWidget*>(QString::fromLatin1(c.name)))
      w->setGeometry(c.rect);
  }
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
