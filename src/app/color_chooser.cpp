#include "app/color_chooser.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>
#include <cstdio>

#include "platform/utf16.h"

namespace kestrel {

namespace {
constexpr std::u16string_view kSection = u"COLOR_DLG";
// "CUSTOM_COLOR_%.2d"
std::u16string custom_key(int i) {
  return std::u16string(u"CUSTOM_COLOR_") + static_cast<char16_t>(u'0' + i / 10) + static_cast<char16_t>(u'0' + i % 10);
}
}  // namespace

QColor qcolor_of(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

int32_t colorref_of(const QColor& color) {
  return static_cast<int32_t>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

CustomColors load_custom_colors(const SettingsStore& store) {
  CustomColors colors;
  for (int i = 0; i < kCustomColorCount; ++i)
    colors[i] = store.get_int(kSection, custom_key(i), 0xFFFFFF) & 0xFFFFFF;
  return colors;
}

bool save_custom_colors(SettingsStore& store, const CustomColors& colors) {
  SettingsBatch batch(store);
  bool ok = true;
  for (int i = 0; i < kCustomColorCount; ++i) ok = store.write_int(kSection, custom_key(i), colors[i]) && ok;
  return batch.commit() && ok;
}

bool choose_color(QWidget* parent, SettingsStore* store, int32_t* colour) {
  if (store) {
    const CustomColors custom = load_custom_colors(*store);
    for (int i = 0; i < kCustomColorCount; ++i) QColorDialog::setCustomColor(i, qcolor_of(custom[i]));
  }
  QColorDialog dialog(qcolor_of(*colour), parent);
  // Qt's own dialog shows the custom colours and every control at once.
  dialog.setOption(QColorDialog::DontUseNativeDialog, true);
  if (dialog.exec() != QDialog::Accepted) return false;
  *colour = colorref_of(dialog.selectedColor());
  if (store) {
    CustomColors custom;
    for (int i = 0; i < kCustomColorCount; ++i) custom[i] = colorref_of(QColorDialog::customColor(i));
    if (!save_custom_colors(*store, custom))
      std::fprintf(stderr, "kestrel: the custom colours could not be saved: %s\n",
                   utf16_to_utf8(store->last_error()).c_str());
  }
  return true;
}

CColorButton::CColorButton(const QString& text, SettingsStore* store, QWidget* parent)
    : QPushButton(text, parent), store_(store) {
  update_swatch();
  connect(this, &QPushButton::clicked, this, [this] {
    int32_t c = color_;
    if (choose_color(this, store_, &c)) set_color(c);
  });
}

void CColorButton::set_color(int32_t colorref) {
  const int32_t c = colorref & 0xFFFFFF;
  if (c == color_) return;
  color_ = c;
  update_swatch();
  emit color_changed(color_);
}

void CColorButton::update_swatch() {
  QPixmap swatch(16, 16);
  swatch.fill(qcolor_of(color_));
  QPainter p(&swatch);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 15, 15);
  setIcon(QIcon(swatch));
}

}  // namespace kestrel
