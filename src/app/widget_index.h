// The form's widgets by their given names, filled by each part from its typed members, for the
// tables that name controls (captions, tips, the control panel's places). A name the tables use
// that no part gave fails the window's tests.
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

#include <initializer_list>

namespace kw {

class WidgetIndex {
 public:
  void Add(std::initializer_list<QWidget*> widgets) {
    for (QWidget* w : widgets) byName_.insert(w->objectName(), w);
  }
  // The widget of that name; null when no part gave it.
  QWidget* Find(const char* name) const { return byName_.value(QString::fromLatin1(name)); }

 private:
  QHash<QString, QWidget*> byName_;
};

}  // namespace kw
