// Qt application, fonts, events and pixels for the widget tests.
#pragma once

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include "gridctrl/grid_ctrl.h"
#include "support/qt_environment.h"

namespace kestrel::testing {

// A fixed-pitch font without antialiasing, so pixels have exact colours.
inline QFont TestFont(int pixels = 12) {
  QFont f(QStringLiteral("DejaVu Sans Mono"));
  f.setPixelSize(pixels);
  f.setStyleStrategy(QFont::NoAntialias);
  return f;
}

inline QImage RenderGrid(CGridCtrl& g) {
  QImage img(g.size(), QImage::Format_RGB32);
  img.fill(Qt::magenta);
  QPainter p(&img);
  g.Render(p);
  return img;
}

// 0x00BBGGRR of a pixel.
inline uint32_t PixelRef(const QImage& img, int x, int y) {
  QRgb c = img.pixel(x, y);
  return static_cast<uint32_t>(qRed(c)) | (static_cast<uint32_t>(qGreen(c)) << 8) |
         (static_cast<uint32_t>(qBlue(c)) << 16);
}

inline int CountColour(const QImage& img, const QRect& r, uint32_t colour) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (x >= 0 && y >= 0 && x < img.width() && y < img.height() && PixelRef(img, x, y) == colour) ++n;
  return n;
}

inline void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

// Sends a key to whichever widget has the focus inside `top` (the editor
// while editing), as the application would.
inline void Type(CGridCtrl& g, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QWidget* target = g.IsEditing() ? g.Editor()->Widget() : static_cast<QWidget*>(&g);
  Key(target, key, mods, text);
}

inline void Mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  if (type == QEvent::MouseMove) buttons = Qt::NoButton;
  QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), type == QEvent::MouseMove ? Qt::NoButton : button,
                buttons, mods);
  QApplication::sendEvent(w, &e);
}

inline QRect CellQRect(const CGridCtrl& g, int32_t row, int32_t col) {
  GridRect r = g.Layout().CellRect(*g.GetGridData(), row, col);
  return QRect(r.x, r.y, r.w, r.h);
}

inline QString Q(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

}  // namespace kestrel::testing
