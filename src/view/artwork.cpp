#include "view/artwork.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QStringList>
#include <QTransform>

#include <cmath>

namespace kw {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Letters are drawn as strokes, not with a font, so each picture is the same on every machine
// and needs no font database (no GUI application) to be made.
//
// Glyph units: capitals and ascenders span y 0..7 (baseline at 7), the x-height starts at 3,
// descenders reach 9.5. Each glyph returns its path and its advance width.
struct Glyph {
  QPainterPath path;
  double width = 0;
};

Glyph GlyphOf(QChar c) {
  Glyph g;
  QPainterPath& p = g.path;
  switch (c.unicode()) {
    case 'k':
      p.moveTo(0, 0), p.lineTo(0, 7);
      p.moveTo(2.9, 3), p.lineTo(0, 5.4);
      p.moveTo(1.1, 4.5), p.lineTo(3, 7);
      g.width = 3;
      break;
    case 'e':
      p.moveTo(0.05, 5), p.lineTo(3, 5);
      p.arcTo(QRectF(0, 3, 3, 4), 0, 310);
      g.width = 3;
      break;
    case 'l':
      p.moveTo(0, 0), p.lineTo(0, 7);
      g.width = 0;
      break;
    case 'w':
      p.moveTo(0, 3), p.lineTo(0.95, 7), p.lineTo(1.85, 3.8), p.lineTo(2.75, 7), p.lineTo(3.7, 3);
      g.width = 3.7;
      break;
    case 'a':
      p.addEllipse(QRectF(0, 3, 2.9, 4));
      p.moveTo(2.9, 3), p.lineTo(2.9, 7);
      g.width = 2.9;
      break;
    case 'y':
      p.moveTo(0, 3), p.lineTo(1.65, 7);
      p.moveTo(3.2, 3), p.lineTo(1.2, 9.5);
      g.width = 3.2;
      break;
    case 'N':
      p.moveTo(0, 7), p.lineTo(0, 0), p.lineTo(3.6, 7), p.lineTo(3.6, 0);
      g.width = 3.6;
      break;
    case 'E':
      p.moveTo(3, 0), p.lineTo(0, 0), p.lineTo(0, 7), p.lineTo(3, 7);
      p.moveTo(0, 3.5), p.lineTo(2.5, 3.5);
      g.width = 3;
      break;
    case 'S':
      p.moveTo(3.1, 1.0);
      p.cubicTo(2.5, -0.35, 0.1, -0.3, 0.1, 1.75);
      p.cubicTo(0.1, 3.6, 3.3, 3.3, 3.3, 5.25);
      p.cubicTo(3.3, 7.4, 0.6, 7.45, 0, 6);
      g.width = 3.3;
      break;
    case 'W':
      p.moveTo(0, 0), p.lineTo(1.1, 7), p.lineTo(2.25, 1.6), p.lineTo(3.4, 7), p.lineTo(4.5, 0);
      g.width = 4.5;
      break;
    case '+':
      p.moveTo(0, 3.5), p.lineTo(4.6, 3.5);
      p.moveTo(2.3, 1.2), p.lineTo(2.3, 5.8);
      g.width = 4.6;
      break;
    case '-':
    case 0x2212:  // minus sign
      p.moveTo(0, 3.5), p.lineTo(4.6, 3.5);
      g.width = 4.6;
      break;
    case '1':
      p.moveTo(0, 1.5), p.lineTo(1.5, 0), p.lineTo(1.5, 7);
      g.width = 1.5;
      break;
    default:
      g.width = 2;  // blank
  }
  return g;
}

// Width of a stroked word in glyph units, `gap` between letters.
double WordWidth(const QString& text, double gap) {
  double w = 0;
  for (int i = 0; i < text.size(); ++i) w += GlyphOf(text[i]).width + (i > 0 ? gap : 0);
  return w;
}

// Strokes `text` with the painter's pen; (x, y) is the top of the capitals on the left, one
// glyph unit is `scale` pixels. The pen keeps its width whatever the scale.
void StrokeWord(QPainter& p, const QString& text, double x, double y, double scale,
                double gap = 1.1) {
  double at = 0;
  for (const QChar c : text) {
    const Glyph g = GlyphOf(c);
    QTransform t;
    t.translate(x + at * scale, y);
    t.scale(scale, scale);
    p.setBrush(Qt::NoBrush);
    p.drawPath(t.map(g.path));
    at += g.width + gap;
  }
}

// Strokes `text` centred on (cx, cy): the middle of the capital height.
void StrokeWordCentred(QPainter& p, const QString& text, double cx, double cy, double scale,
                       double gap = 1.1) {
  StrokeWord(p, text, cx - WordWidth(text, gap) * scale / 2, cy - 3.5 * scale, scale, gap);
}

QPen RoundPen(const QColor& c, double width) {
  return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QImage Blank(QSize size, QImage::Format format, const QColor& fill) {
  QImage img(size, format);
  img.fill(fill);
  return img;
}

// ---- Play buttons -------------------------------------------------------------------------

enum class ButtonGlyph { Up, Stop, Down };

// The face of a small button: rounded, shaded top to bottom, a highlight along the top edge.
void DrawButtonFace(QPainter& p, QSizeF size, bool lit) {
  const QRectF face(0.5, 0.5, size.width() - 1, size.height() - 1);
  QLinearGradient shade(0, 0, 0, size.height());
  if (lit) {
    shade.setColorAt(0, QColor(0x4a, 0x57, 0x62));
    shade.setColorAt(0.5, QColor(0x26, 0x2f, 0x37));
    shade.setColorAt(1, QColor(0x12, 0x17, 0x1c));
  } else {
    shade.setColorAt(0, QColor(0xfb, 0xfb, 0xfb));
    shade.setColorAt(0.5, QColor(0xe6, 0xe6, 0xe6));
    shade.setColorAt(1, QColor(0xc8, 0xc8, 0xc8));
  }
  p.setPen(QPen(lit ? QColor(0x0a, 0x0d, 0x10) : QColor(0x86, 0x86, 0x86), 1));
  p.setBrush(shade);
  p.drawRoundedRect(face, 3, 3);
  // Top highlight just inside the rim.
  p.setPen(QPen(QColor(255, 255, 255, lit ? 70 : 230), 1));
  p.drawLine(QPointF(3, 1.5), QPointF(size.width() - 3, 1.5));
}

QPainterPath ButtonGlyphPath(ButtonGlyph glyph) {
  QPainterPath path;
  switch (glyph) {
    case ButtonGlyph::Up:
      path.addPolygon(QPolygonF({{12, 3.5}, {17.5, 12.5}, {6.5, 12.5}}));
      break;
    case ButtonGlyph::Down:
      path.addPolygon(QPolygonF({{12, 13.5}, {6.5, 4.5}, {17.5, 4.5}}));
      break;
    case ButtonGlyph::Stop:
      path.addRect(QRectF(8, 4.5, 8, 8));
      break;
  }
  path.closeSubpath();
  return path;
}

QImage PlayButton(ButtonGlyph glyph, bool lit) {
  QImage img = Blank({24, 17}, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  DrawButtonFace(p, img.size(), lit);
  const QPainterPath shape = ButtonGlyphPath(glyph);
  if (lit) {
    // A soft glow around a bright green glyph, as if lit from behind.
    p.setBrush(Qt::NoBrush);
    p.setPen(RoundPen(QColor(0x4c, 0xff, 0x6a, 55), 3.2));
    p.drawPath(shape);
    QLinearGradient fill(0, 3, 0, 14);
    fill.setColorAt(0, QColor(0xc8, 0xff, 0xcc));
    fill.setColorAt(1, QColor(0x2e, 0xd8, 0x4a));
    p.setPen(RoundPen(QColor(0x6c, 0xff, 0x80), 0.8));
    p.setBrush(fill);
    p.drawPath(shape);
  } else {
    p.setPen(RoundPen(QColor(0x7a, 0x7a, 0x7a), 0.8));
    p.setBrush(QColor(0x9c, 0x9c, 0x9c));
    p.drawPath(shape);
    // An engraved look: a light line under the glyph.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 150), 0.8));
    p.drawPath(shape.translated(0, 0.9).subtracted(shape));
  }
  return img;
}

// "+1" / "−1": one-second steps, dark blue on a light face.
QImage StepButton(bool forward) {
  QImage img = Blank({24, 17}, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  DrawButtonFace(p, img.size(), false);
  p.setPen(RoundPen(QColor(0x1d, 0x4a, 0x86), 1.6));
  const QString text = forward ? QStringLiteral("+1") : QStringLiteral("-1");
  StrokeWordCentred(p, text, 12.3, 8.5, 1.2, 1.4);
  return img;
}

// ---- Start flags --------------------------------------------------------------------------

// The Blue Peter: a blue field with a white rectangle in its middle.
QImage BluePeter() {
  QImage img = Blank({60, 40}, QImage::Format_RGB32, QColor(0x0b, 0x3d, 0x91));
  QPainter p(&img);
  p.fillRect(QRect(18, 12, 24, 16), Qt::white);
  p.setPen(QColor(0x06, 0x26, 0x5c));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(0, 0, 59, 39));
  return img;
}

// The class flag: "kw" above the sea, and a hull whose keel shows through the water.
QImage ClassFlag() {
  QImage img = Blank({60, 40}, QImage::Format_RGB32, Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor navy(0x12, 0x3c, 0x7c), foam(0x9c, 0xc7, 0xf2);

  QPainterPath back;
  back.moveTo(0, 27);
  back.cubicTo(12, 22, 20, 31, 32, 26);
  back.cubicTo(44, 21, 52, 28, 60, 24.5);
  back.lineTo(60, 40), back.lineTo(0, 40);
  back.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(foam);
  p.drawPath(back);

  // Hull afloat on the back wave, keel and bulb below it.
  QPainterPath boat;
  boat.moveTo(32, 19);
  boat.lineTo(58, 19);
  boat.quadTo(56.5, 24, 51, 24);
  boat.lineTo(38, 24);
  boat.quadTo(34, 24, 32, 19);
  boat.closeSubpath();
  boat.moveTo(42.5, 23);
  boat.lineTo(50.5, 23);
  boat.lineTo(48.2, 33.5);
  boat.lineTo(45, 33.5);
  boat.closeSubpath();
  boat.addEllipse(QRectF(40.5, 32, 12.5, 3.6));
  p.setBrush(navy);
  p.drawPath(boat.simplified());

  // The front wave is translucent, so the keel reads as under water.
  QPainterPath front;
  front.moveTo(0, 31);
  front.cubicTo(14, 26, 22, 35, 34, 30);
  front.cubicTo(46, 25, 53, 31.5, 60, 28.5);
  front.lineTo(60, 40), front.lineTo(0, 40);
  front.closeSubpath();
  p.setBrush(QColor(0x2a, 0x6f, 0xc9, 190));
  p.drawPath(front);

  p.setPen(RoundPen(navy, 3.2));
  StrokeWord(p, QStringLiteral("kw"), 5.5, 3.5, 2.4, 1.0);

  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(0x90, 0x90, 0x90));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(0, 0, 59, 39));
  return img;
}

// ---- Logo -----------------------------------------------------------------------------------

// The badge's inside (the painter clipped to the disc at c, radius r): sky, the sea with a
// swell, the keel seen through the water and light swells on it.
void DrawLogoSea(QPainter& p, const QRect& all, const QPointF& c, double r) {
  QLinearGradient sky(0, c.y() - r, 0, c.y() + 8);
  sky.setColorAt(0, QColor(0xf6, 0xfb, 0xff));
  sky.setColorAt(1, QColor(0xb9, 0xd9, 0xf3));
  p.fillRect(all, sky);

  const double water = 43;
  QLinearGradient deep(0, water, 0, c.y() + r);
  deep.setColorAt(0, QColor(0x2e, 0x78, 0xcc));
  deep.setColorAt(1, QColor(0x12, 0x3c, 0x7c));
  QPainterPath sea;
  sea.moveTo(0, water);
  for (double x = 0; x <= 78; x += 1) sea.lineTo(x, water + 0.9 * std::sin(x / 78 * 6 * kPi));
  sea.lineTo(78, 78), sea.lineTo(0, 78);
  sea.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(deep);
  p.drawPath(sea);

  // Keel under water, seen through it.
  QPainterPath keel;
  keel.moveTo(36, 45);
  keel.lineTo(44, 45);
  keel.lineTo(42.5, 55);
  keel.lineTo(38.5, 55);
  keel.closeSubpath();
  keel.addEllipse(QRectF(35, 53.5, 12, 4));
  p.setBrush(QColor(0x0a, 0x22, 0x48, 200));
  p.drawPath(keel);
  // Light swells on the water.
  p.setPen(RoundPen(QColor(255, 255, 255, 110), 1));
  p.drawLine(QPointF(15, 52), QPointF(24, 52));
  p.drawLine(QPointF(52, 50), QPointF(63, 50));
  p.drawLine(QPointF(24, 59), QPointF(31, 59));
  p.drawLine(QPointF(49, 60), QPointF(57, 60));
}

// The sloop over the water line, sailing to the left: mainsail aft of the mast, jib forward,
// the mast and the hull.
void DrawLogoBoat(QPainter& p, const QColor& navy) {
  const double mastX = 40, top = 8, boom = 39;
  QPainterPath main;
  main.moveTo(mastX + 1, top + 1);
  main.quadTo(mastX + 10, boom - 14, mastX + 17, boom);
  main.lineTo(mastX + 1, boom);
  main.closeSubpath();
  QPainterPath jib;
  jib.moveTo(mastX - 1.5, top + 4);
  jib.lineTo(mastX - 1.5, boom + 1);
  jib.quadTo(mastX - 10, boom - 1, mastX - 16, boom + 1);
  jib.quadTo(mastX - 8, boom - 14, mastX - 1.5, top + 4);
  jib.closeSubpath();
  p.setPen(QPen(QColor(0x5a, 0x6e, 0x86), 0.9));
  p.setBrush(Qt::white);
  p.drawPath(main);
  p.drawPath(jib);
  p.setPen(RoundPen(navy, 1.3));
  p.drawLine(QPointF(mastX, top), QPointF(mastX, boom + 2));
  // Hull on the water line: bow to the left.
  QPainterPath hull;
  hull.moveTo(21, 40.5);
  hull.lineTo(61, 40.5);
  hull.quadTo(59.5, 45.5, 54, 45.5);
  hull.lineTo(29, 45.5);
  hull.quadTo(24, 45.5, 21, 40.5);
  hull.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xc8, 0x2a, 0x2a));
  p.drawPath(hull);
}

// A round badge with a sloop over the sea, its keel showing under the water, and the word
// "keelway" beneath. The corners are transparent so the panel shows through.
QImage Logo() {
  QImage img = Blank({78, 78}, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor navy(0x12, 0x3c, 0x7c);
  const QPointF c(39, 32);
  const double r = 30;
  QPainterPath disc;
  disc.addEllipse(c, r, r);

  p.save();
  p.setClipPath(disc);
  DrawLogoSea(p, img.rect(), c, r);
  p.restore();
  DrawLogoBoat(p, navy);

  // Rim.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(navy, 2));
  p.drawEllipse(c, r, r);

  p.setPen(RoundPen(navy, 1.5));
  StrokeWordCentred(p, QStringLiteral("keelway"), 39, 70.5, 1.3, 1.25);
  return img;
}

// ---- Compass card ---------------------------------------------------------------------------

// Black picture with the card centred at (50, 50); the bottom 20 rows stay black for the label
// that the form writes there. Everything lies inside radius 50 so the card survives turning.
QImage CompassCard() {
  QImage img = Blank({100, 120}, QImage::Format_RGB32, Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(50, 50);
  const double r = 46;

  QRadialGradient face(c, r);
  face.setColorAt(0, QColor(0x24, 0x33, 0x44));
  face.setColorAt(1, QColor(0x0e, 0x16, 0x20));
  p.setPen(Qt::NoPen);
  p.setBrush(face);
  p.drawEllipse(c, r, r);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xe8, 0xee, 0xf4), 1.4));
  p.drawEllipse(c, r - 0.7, r - 0.7);

  // Degree ticks every 10 degrees, longer and brighter every 30.
  for (int deg = 0; deg < 360; deg += 10) {
    const bool major = deg % 30 == 0;
    const double a = deg * kPi / 180;
    const double dx = std::sin(a), dy = -std::cos(a);
    const double outer = r - 1.5, inner = major ? r - 8.5 : r - 5;
    p.setPen(QPen(major ? QColor(0xff, 0xff, 0xff) : QColor(0xa8, 0xb4, 0xc2), major ? 1.6 : 1));
    p.drawLine(QPointF(c.x() + outer * dx, c.y() + outer * dy),
               QPointF(c.x() + inner * dx, c.y() + inner * dy));
  }

  // Cardinal letters, upright; N in red.
  const double letterR = r - 16, scale = 9.0 / 7;
  const struct {
    const char* name;
    double dx, dy;
  } cardinals[] = {{"N", 0, -1}, {"E", 1, 0}, {"S", 0, 1}, {"W", -1, 0}};
  for (const auto& k : cardinals) {
    const bool north = k.name[0] == 'N';
    p.setPen(RoundPen(north ? QColor(0xff, 0x3a, 0x30) : QColor(0xf2, 0xf2, 0xf2), 1.7));
    StrokeWordCentred(p, QString::fromLatin1(k.name), c.x() + letterR * k.dx,
                      c.y() + letterR * k.dy, scale);
  }

  // North arrow: a two-tone red head pointing at N, a pale tail towards S.
  const QPointF tip(50, 27), left(44.5, 41), right(55.5, 41), waist(50, 38);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xff, 0x4a, 0x3a));
  p.drawPolygon(QPolygonF({tip, waist, left}));
  p.setBrush(QColor(0xb0, 0x1c, 0x14));
  p.drawPolygon(QPolygonF({tip, right, waist}));
  p.setPen(RoundPen(QColor(0x8a, 0x96, 0xa4), 1.2));
  p.drawLine(QPointF(50, 41), QPointF(50, 72));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xd0, 0xd8, 0xe0));
  p.drawEllipse(c, 2.2, 2.2);
  return img;
}

// ---- Language flags -------------------------------------------------------------------------

void FlagBorder(QPainter& p, QSize size) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(0x8c, 0x8c, 0x8c));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(0, 0, size.width() - 1, size.height() - 1));
}

QImage FlagJapan() {
  QImage img = Blank({34, 23}, QImage::Format_RGB32, Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xbc, 0x00, 0x2d));
  p.drawEllipse(QPointF(17, 11.5), 6.9, 6.9);
  FlagBorder(p, img.size());
  return img;
}

QImage FlagUsa() {
  const QSize size(34, 23);
  QImage img = Blank(size, QImage::Format_RGB32, Qt::white);
  QPainter p(&img);
  // Thirteen stripes on whole pixel rows: each is one or two rows high.
  const QColor red(0xb2, 0x22, 0x34), blue(0x3c, 0x3b, 0x6e);
  auto row = [&](int i) { return static_cast<int>(std::lround(i * size.height() / 13.0)); };
  for (int i = 0; i < 13; i += 2)
    p.fillRect(QRect(0, row(i), size.width(), row(i + 1) - row(i)), red);
  const QRect canton(0, 0, 14, row(7));
  p.fillRect(canton, blue);
  // Stars as a staggered field of single white dots.
  for (int y = 2, line = 0; y < canton.bottom(); y += 2, ++line)
    for (int x = 2 + line % 2; x < canton.right(); x += 2) img.setPixel(x, y, qRgb(240, 240, 245));
  FlagBorder(p, size);
  return img;
}

}  // namespace

QSize FormPictureSize(const QString& name) {
  static const QStringList buttons = {"up_t", "up_f", "stop_t", "stop_f",
                                      "dn_t", "dn_f", "plus",   "minus"};
  if (buttons.contains(name)) return {24, 17};
  if (name == QLatin1String("blue_p") || name == QLatin1String("kwlogo")) return {60, 40};
  if (name == QLatin1String("imgLOGO")) return {78, 78};
  if (name == QLatin1String("compasss")) return {100, 120};
  if (name == QLatin1String("jpn") || name == QLatin1String("usa")) return {34, 23};
  return {};
}

QImage FormPicture(const QString& name) {
  if (name == QLatin1String("up_t")) return PlayButton(ButtonGlyph::Up, true);
  if (name == QLatin1String("up_f")) return PlayButton(ButtonGlyph::Up, false);
  if (name == QLatin1String("stop_t")) return PlayButton(ButtonGlyph::Stop, true);
  if (name == QLatin1String("stop_f")) return PlayButton(ButtonGlyph::Stop, false);
  if (name == QLatin1String("dn_t")) return PlayButton(ButtonGlyph::Down, true);
  if (name == QLatin1String("dn_f")) return PlayButton(ButtonGlyph::Down, false);
  if (name == QLatin1String("plus")) return StepButton(true);
  if (name == QLatin1String("minus")) return StepButton(false);
  if (name == QLatin1String("blue_p")) return BluePeter();
  if (name == QLatin1String("kwlogo")) return ClassFlag();
  if (name == QLatin1String("imgLOGO")) return Logo();
  if (name == QLatin1String("compasss")) return CompassCard();
  if (name == QLatin1String("jpn")) return FlagJapan();
  if (name == QLatin1String("usa")) return FlagUsa();
  return {};
}

}  // namespace kw
