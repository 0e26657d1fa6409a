#include "app/hint_box.h"

#include <algorithm>

#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "view/language_texts.h"

namespace kw {

HintBox::HintBox(FormContext& f, QWidget* form) : QLabel(form), f_(f) {
  setObjectName(QStringLiteral("hintbox"));
  SetColours(this, QColor(255, 255, 225), Qt::black);
  setFrameShape(QFrame::Box);
  setAlignment(Qt::AlignCenter);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  hide();
}

QSize HintBox::HintTextSize(const QString& text) const {
  const QRect need =
      fontMetrics().boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft | Qt::AlignTop, text);
  const int frame = 2 * frameWidth() + 4;
  return need.size() + QSize(frame, frame);
}

void HintBox::ShowHintBox(const QString& text, int width, int height) {
  setText(text);
  const QSize need = HintTextSize(text);
  width = std::max(width, need.width());
  height = std::max(height, need.height());
  const QWidget* form = parentWidget();
  const int left = std::clamp(f_.ws.HintLeft, 0, std::max(0, form->width() - width));
  const int top = std::clamp(f_.ws.HintTop, 0, std::max(0, form->height() - height));
  setGeometry(left, top, width, height);
  show();
  raise();
  // On the still map this also wipes what the pointer drew over it.
  f_.canvas->RepaintMap();
}

QRect HintBox::FormRectOf(const char* name) const {
  const QWidget* w = f_.named.Find(name);
  if (!w) return {};
  return QRect(w->mapTo(parentWidget(), QPoint(0, 0)), w->size());
}

bool HintBox::ShowTip(TipId id, QPoint pointer) {
  const TipSpec& t = Tip(id);
  if (!t.always && !f_.ws.HintsOn) {
    hide();
    return false;
  }
  TipPlaceInput in;
  in.control = FormRectOf(t.control);
  if (t.reference) in.reference = FormRectOf(t.reference);
  in.mapWidth = f_.session.view.MapWidth;
  in.logoLeft = f_.logo->x();
  in.overviewHeight = f_.session.view.OverviewHeight;
  in.pointer = pointer;
  const int language = f_.ws.Language;
  const QString about = AboutPage(language);
  const TipBox box =
      PlaceTip(id, language, in, about, HintTextSize(PlaceTip(id, language, in, about).text));
  f_.ws.HintLeft = box.rect.x();
  f_.ws.HintTop = box.rect.y();
  ShowHintBox(box.text, box.rect.width(), box.rect.height());
  return true;
}

}  // namespace kw
