// A pair of arrow buttons holding a position within a range (no wrap), as an edit box's
// companion: the box shows the number, the arrows step it.
#pragma once

#include <QWidget>

#include <functional>

class QToolButton;

namespace kw {

class UpDown : public QWidget {
 public:
  UpDown(int minimum, int maximum, QWidget* parent);
  int position() const { return position_; }
  // Sets the position (kept within the range) without telling anyone.
  void setPosition(int position);
  // Called with the new position when an arrow moves it.
  std::function<void(int)> changing;

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  void Step(int delta);
  int minimum_, maximum_, position_;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace kw
