// The hint box: the yellow box that explains the control or the map under the pointer, in the
// language shown, placed by each tip's rule and kept inside the window.
//
//   name      what it is
//   hintbox   this box; it never takes the pointer from what it explains
#pragma once

#include <QLabel>

namespace kw {

struct FormContext;
enum class TipId;

class HintBox : public QLabel {
 public:
  HintBox(FormContext& f, QWidget* form);

  // The tip of one control (`pointer` on that control, for the tips that follow it). A tip
  // that waits for tips switched on hides the box instead. True when a tip is shown.
  bool ShowTip(TipId id, QPoint pointer = QPoint());
  // The box at (HintLeft, HintTop) of the window state, which each caller sets first; a text
  // longer than the box grows it.
  void ShowHintBox(const QString& text, int width, int height);
  // The box's size that shows `text` whole in its font.
  QSize HintTextSize(const QString& text) const;

 private:
  // A named control's rectangle in form coordinates; empty for a name no part gave.
  QRect FormRectOf(const char* name) const;

  FormContext& f_;
};

}  // namespace kw
