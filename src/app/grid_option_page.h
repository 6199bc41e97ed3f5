// CGridOptionPage (dialog 166 "グリッド"): the GRID switches, the minimum
// column width, the NULL text, the cell paddings and thirteen colours, with
// a preview grid that shows them as they are edited. Each control's object
// name is its settings key.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/option_values.h"
#include "platform/settings_store.h"

class CGridCtrl;
class CStrGridData;

namespace kestrel {
inline constexpr int kGridOptionPageId = 166;

// Puts the GRID settings on a grid control: the style bits they own, the
// 16 colours in index order (the text colour before the current-row text
// colour), the NULL text, the minimum column width and the paddings.
// `bg_override` (>= 0) replaces the cell background (a profile's colour).
void apply_grid_options(CGridCtrl& grid, const AppSettings& s, int32_t bg_override = -1);
}  // namespace kestrel

class CGridOptionPage : public QWidget {
  Q_OBJECT
 public:
  // `color_store` keeps the colour chooser's custom colours (may be null).
  CGridOptionPage(const kestrel::OptionValues& values, kestrel::SettingsStore* color_store, QWidget* parent = nullptr);
  ~CGridOptionPage() override;

  bool take(kestrel::OptionValues& out, QWidget** bad, std::u16string* error) const;
  CGridCtrl* preview() const { return preview_; }

 private:
  void update_preview();

  kestrel::AppSettings base_;  // what the page does not edit
  std::unique_ptr<CStrGridData> preview_data_;
  CGridCtrl* preview_ = nullptr;
};
