// Small helpers the form's files share to create, colour and place its controls.
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
// The place of every child of the control panel, from the one table.
void PlaceControls(QWidget* panel);

// A 7 x 7 dot on the overview map for one boat.
class BoatMarker : public QWidget {
 public:
  BoatMarker(QWidget* parent, QColor fill);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor fill_;
};

// Sets a flag for the life of the scope, and clears it however the scope ends.
struct FlagScope {
  bool& flag;
  explicit FlagScope(bool& f) : flag(f) { flag = true; }
  ~FlagScope() { flag = false; }
};

}  // namespace kw
