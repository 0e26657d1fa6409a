// The pictures of the form, drawn in code: play buttons, start flags, logo, compass card and
// language flags. Our own artwork; every picture is a pure function of its name.
#pragma once

#include <QImage>
#include <QString>

namespace kw {

// Names: "up_t", "up_f", "stop_t", "stop_f", "dn_t", "dn_f" (lit "_t" and unlit "_f" twins),
// "plus", "minus", "blue_p", "kwlogo", "imgLOGO", "compasss", "jpn", "usa". An unknown name gives
// a null image.
QImage FormPicture(const QString& name);

// Sizes of the pictures above.
QSize FormPictureSize(const QString& name);

}  // namespace kw
