// Commands of the control panel that belong to no other concern.
#include <QLabel>

#include "app/tform1.h"

namespace kw {

void TForm1::ShowHintBox(const QString& text, int width, int height) {
  hintbox->setText(text);
  hintbox->setGeometry(HintLeft, HintTop, width, height);
  hintbox->show();
  hintbox->raise();
}

void TForm1::TakeScreenshot() {}

}  // namespace kw
