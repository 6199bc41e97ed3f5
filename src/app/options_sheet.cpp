#include "app/options_sheet.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/app_ids.h"
#include "app/file_type_registration.h"
#include "app/grid_option_page.h"
#include "app/main_frame.h"
#include "app/qt_text.h"
#include "app/session_control.h"
#include "app/startup_environment.h"
#include "app/tern_app.h"
#include "oci/oci_codes.h"
#include "oci/oci_dictionary.h"
#include "platform/environment.h"
#include "platform/format.h"
#include "platform/ui_services.h"

using namespace kestrel;

COptionsSheet::COptionsSheet(const OptionValues& values, DateSample date_sample, SettingsStore* color_store,
                             QWidget* parent)
    : QDialog(parent), values_(values) {
  setObjectName("COptionsSheet");
  setWindowTitle(QStringLiteral("オプション"));
  tabs_ = new QTabWidget(this);
  setup_ = new CSetupPage(values, std::move(date_sample), tabs_);
  grid_ = new CGridOptionPage(values, color_store, tabs_);
  tabs_->addTab(setup_, QStringLiteral("設定"));
  tabs_->addTab(grid_, QStringLiteral("グリッド"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &COptionsSheet::reject);
  auto* box = new QVBoxLayout(this);
  box->addWidget(tabs_, 1);
  box->addWidget(buttons);
}

void COptionsSheet::accept() {
  OptionValues v = values_;
  QWidget* bad = nullptr;
  std::u16string error;
  const bool ok = setup_->take(v, &bad, &error) && grid_->take(v, &bad, &error);
  if (!ok) {
    ui().message_box(error, u"Error", mb::OK | mb::ICONEXCLAMATION);
    if (bad) {
      for (QWidget* page : {static_cast<QWidget*>(setup_), static_cast<QWidget*>(grid_)})
        if (page->isAncestorOf(bad)) tabs_->setCurrentWidget(page);
      bad->setFocus();
    }
    return;
  }
  values_ = std::move(v);
  QDialog::accept();
}

namespace kestrel {

OptionValues current_options(CTernApp& app) {
  OptionValues v;
  v.settings = app.settings();
  v.ini_mode = app.settings_store().ini_mode();
  v.file_type = file_type_registered();
  return v;
}

void run_options(CTernApp& app) {
  const OptionValues before = current_options(app);
  DateSample sample;
  if (OciSession* s = current_session()) {
    sample = [s](std::u16string_view format_text) {
      std::u16string out;
      char16_t msg[kOracleTextMax + 1] = {};
      if (oci_get_sysdate_text(s, format_text, &out, OciMsgBuf(msg)) != kOciOk) return std::u16string(msg);
      return out;
    };
  }
  COptionsSheet sheet(before, sample, &app.settings_store().store(), app.main_frame());
  if (sheet.exec() != QDialog::Accepted) return;
  apply_options(app, before, sheet.values());
}

void apply_options(CTernApp& app, const OptionValues& before, const OptionValues& after) {
  AppSettings& s = app.settings();
  const AppSettings& old = before.settings;
  // 1. Every value is taken over; the read sizes as entered.
  s = after.settings;
  s.font = old.font;
  s.GRID_CALC_TYPE = old.GRID_CALC_TYPE;
  s.DATA_LOCK = old.DATA_LOCK;
  // 2. The session follows the new formats at once.
  if (OciSession* session = current_session()) apply_session_nls(session, s);
  // 3. The library folder and the UTF-8 switch act only at the next start.
  if (s.OCI_PATH_64 != old.OCI_PATH_64 || s.NLS_UTF8 != old.NLS_UTF8)
    ui().message_box(kRestartNeeded, u"Message", mb::OK | mb::ICONINFORMATION);
  // 4. The file type.
  if (after.file_type != before.file_type) {
    std::u16string error;
    const bool done = after.file_type ? register_file_type(program_path(), &error) : unregister_file_type(&error);
    if (!done)
      ui().message_box(format(u"拡張子(.kst)の関連づけを変更できませんでした。\n%s", {error}), u"ERROR",
                       mb::OK | mb::ICONEXCLAMATION);
  }
  // 5. The END pane.
  if (s.END_KEY_LIKE_EXCEL != old.END_KEY_LIKE_EXCEL)
    if (CMainFrame* f = app.main_frame()) f->set_indicators(s.END_KEY_LIKE_EXCEL == 1);
  // 6. The text converter.
  if (s.REPLACE_WAVE_DASH != old.REPLACE_WAVE_DASH) select_text_converter(s);
  // 7. The views.
  app.update_all_views(hint::kSettingsChanged);
  // 8. The store.
  if (after.ini_mode != app.settings_store().ini_mode()) {
    std::u16string error;
    if (app.settings_store().switch_store(after.ini_mode, s, &error)) return;
    ui().message_box(format(u"設定の保存先を切り替えられませんでした。これまでの保存先を使います。\n%s", {error}),
                     u"ERROR", mb::OK | mb::ICONEXCLAMATION);
  }
  if (!s.save(app.settings_store().store())) app.report_store_failure();
}

}  // namespace kestrel
