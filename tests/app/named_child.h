// A widget of the window by its given name. A name no widget has fails the test at once,
// instead of handing a null pointer to the assertions after it.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

namespace kwtest {

template <typename T>
T* NamedChild(const QObject& parent, const char* name) {
  T* w = parent.findChild<T*>(QString::fromLatin1(name));
  if (!w) throw std::runtime_error(std::string("the window has no widget named ") + name);
  return w;
}

}  // namespace kwtest
