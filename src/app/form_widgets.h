// Small helpers the form's parts share to create and colour their controls.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <utility>

#include "race/model.h"
#include "view/paint.h"  // ToQColor

class QLabel;

namespace kw {

// A child of `parent` named `name` (its objectName); `args` go to the widget's constructor.
template <typename W, typename... A>
W* Make(QWidget* parent, const char* name, A&&... args) {
  W* w = new W(std::forward<A>(args)..., parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int width, int height);
// A label showing the form picture of the same name, sized to it.
QLabel* MakePicture(QWidget* parent, const char* name);
// A sunken text box.
QLabel* MakeMemo(QWidget* parent, const char* name);
void SetColours(QWidget* w, QColor background, QColor text);

struct FormContext;
// The date and time the race clock shows ("2007/05/12 10:02:00").
QString ClockText(const RaceData& race, double clock);
// Opens the first of the data folder's pages that exists; false when neither does.
bool OpenDataPage(FormContext& f, const QString& first, const QString& second);

// A 7 x 7 dot on the overview map for one boat.
class BoatMarker : public QWidget {
 public:
  BoatMarker(QWidget* parent, QColor fill);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor fill_;
};

}  // namespace kw
