// The colour chooser of the profile and grid option dialogs, and the button
// that shows a colour and opens it. Colours stay 0x00BBGGRR numbers; the
// chooser's 16 custom colours are kept in COLOR_DLG/CUSTOM_COLOR_00..15 of
// the store in use, read before it opens and written when it closes with OK.
#pragma once

#include <QPushButton>
#include <array>
#include <cstdint>

#include "platform/settings_store.h"

class QColor;

namespace kestrel {

inline constexpr int kCustomColorCount = 16;
using CustomColors = std::array<int32_t, kCustomColorCount>;

QColor qcolor_of(int32_t colorref);
int32_t colorref_of(const QColor& color);

CustomColors load_custom_colors(const SettingsStore& store);
bool save_custom_colors(SettingsStore& store, const CustomColors& colors);

// Opens the chooser with every control shown, on `*colour`. True with the
// chosen colour in `*colour` on OK. `store` may be null (no custom colours kept).
bool choose_color(QWidget* parent, SettingsStore* store, int32_t* colour);

// A push button showing its colour as a swatch; a click opens the chooser.
class CColorButton : public QPushButton {
  Q_OBJECT
 public:
  CColorButton(const QString& text, SettingsStore* store, QWidget* parent = nullptr);
  int32_t color() const { return color_; }
  void set_color(int32_t colorref);

 signals:
  void color_changed(int32_t colorref);

 private:
  void update_swatch();
  SettingsStore* store_;
  int32_t color_ = 0xFFFFFF;
};

}  // namespace kestrel
