// The options sheet (command 32786), titled "オプション": the general page
// and the grid page. OK checks every number field first; a field that holds
// no number keeps the sheet open on its page.
#pragma once

#include <QDialog>

#include "app/option_values.h"
#include "app/setup_page.h"
#include "platform/settings_store.h"

class CGridOptionPage;
class CTernApp;
class QTabWidget;

class COptionsSheet : public QDialog {
  Q_OBJECT
 public:
  COptionsSheet(const kestrel::OptionValues& values, kestrel::DateSample date_sample,
                kestrel::SettingsStore* color_store, QWidget* parent = nullptr);

  // The values taken over by OK.
  const kestrel::OptionValues& values() const { return values_; }
  CSetupPage* setup_page() const { return setup_; }
  CGridOptionPage* grid_page() const { return grid_; }
  QTabWidget* tabs() const { return tabs_; }

  void accept() override;

 private:
  kestrel::OptionValues values_;
  QTabWidget* tabs_ = nullptr;
  CSetupPage* setup_ = nullptr;
  CGridOptionPage* grid_ = nullptr;
};

namespace kestrel {

inline constexpr char16_t kRestartNeeded[] = u"設定を反映するために，kestrelの再起動が必要です";

// The sheet's starting values: the settings, the store choice and whether
// the file type is registered.
OptionValues current_options(CTernApp& app);
// Runs the sheet and, on OK, applies it.
void run_options(CTernApp& app);
// What OK does with the sheet's values, in order: take them over, apply the
// session's NLS settings again, say when a restart is needed, register or
// remove the file type, set the status bar panes, switch the text converter,
// tell the views, then switch the store or save the settings.
void apply_options(CTernApp& app, const OptionValues& before, const OptionValues& after);

}  // namespace kestrel
