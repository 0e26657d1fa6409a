// The polar diagram: boat speed against true wind angle on a half disc, the wind from the top,
// a ring every knot, one curve per boat, class or wind band with a legend beside it.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <vector>

namespace kw {

struct PolarCurve {
  QString name;
  QColor colour;
  std::vector<double> speed;  // knots per 5° bin of angle from 0; 0: no value
};

// Draws into `image` (its size kept; white first). The curves' points sit at the middle of
// their bins and are joined where neighbouring bins both have a value.
void DrawPolarPicture(QImage& image, const QString& title, const std::vector<PolarCurve>& curves);

}  // namespace kw
