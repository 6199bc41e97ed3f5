#include "app/tern_app.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QIcon>
#include <QMessageBox>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "app/app_ids.h"
#include "app/main_frame.h"
#include "app/qt_text.h"
#include "app/qt_ui_services.h"
#include "platform/environment.h"
#include "platform/format.h"
#include "platform/utf16.h"

using namespace kestrel;

namespace {

CTernApp* g_app = nullptr;

constexpr std::u16string_view kThreadError = u"スレッド作成エラー";
constexpr std::u16string_view kMacroFileDialogTitle = u"マクロの実行";
constexpr const char* kMacroFileFilter = "Scheme Macro Files (*.scm);;All Files (*.*)";

// Message boxes as lines on standard error; the answers come from the
// services installed before (the silent default: each box's default button).
class StderrUiServices final : public UiServices {
 public:
  explicit StderrUiServices(UiServices* inner) : inner_(inner) {}
  int message_box(std::u16string_view text, std::u16string_view title, uint32_t flags) override {
    std::fprintf(stderr, "kestrel: %s: %s\n", utf16_to_utf8(title).c_str(), utf16_to_utf8(text).c_str());
    return inner_->message_box(text, title, flags);
  }
  void beep(uint32_t) override {}
  bool clipboard_text(std::u16string&) override { return false; }
  bool set_clipboard_text(std::u16string_view) override { return false; }
  void set_busy_cursor(bool) override {}
  bool open_url(std::u16string_view) override { return false; }

 private:
  UiServices* inner_;
};

std::vector<std::u16string> arguments_after_program(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(utf8_to_utf16(argv[i]));
  return args;
}

}  // namespace

namespace kestrel {

QFont make_grid_font(const FontSettings& font) {
  QFont f(to_qstring(font.FACENAME));
  f.setStyleHint(QFont::TypeWriter);
  f.setPointSizeF(font.POINT / 10.0);
  if (font.WEIGHT > 0) f.setWeight(static_cast<QFont::Weight>(std::clamp(font.WEIGHT, 1, 1000)));
  f.setItalic(font.ITALIC != 0);
  return f;
}

bool display_available() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    if (const char* v = std::getenv(name); v && *v) return true;
  return false;
}

bool font_family_installed(std::u16string_view face) {
  const QString name = to_qstring(face);
  for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese))
    if (family.compare(name, Qt::CaseInsensitive) == 0) return true;
  return false;
}

FontSettings font_settings_of(const QFont& font) {
  FontSettings s;
  s.FACENAME = from_qstring(font.family());
  s.FACENAME.resize(safe_cut(s.FACENAME, kMaxFaceNameLength));
  s.POINT = static_cast<int32_t>(std::lround(font.pointSizeF() * 10.0));
  s.WEIGHT = font.weight();
  s.ITALIC = font.italic() ? 1 : 0;
  return s;
}

}  // namespace kestrel

CTernApp::CTernApp(int& argc, char** argv, std::filesystem::path program_folder)
    : program_folder_(std::move(program_folder)),
      args_(arguments_after_program(argc, argv)),
      store_(program_folder_) {
  hide_logon_password(argc, argv);  // before Qt copies the arguments
  // PRELOAD runs unattended, often where no display exists: it opens no
  // window, and what it has to say goes to standard error.
  const bool unattended = parse_command_line(args_, nullptr).preload && !display_available();
  if (!QCoreApplication::instance()) {
    if (unattended)
      owned_app_ = std::make_unique<QCoreApplication>(argc, argv);
    else
      owned_app_ = std::make_unique<QApplication>(argc, argv);
  }
  QCoreApplication::setApplicationName(QStringLiteral("kestrel"));
  Q_INIT_RESOURCE(kestrel);  // the resources live in a static library
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) && !unattended) {
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrel/kestrel-64.png")));
    ui_services_ = std::make_unique<QtUiServices>();
    previous_ui_ = set_ui_services(ui_services_.get());
  } else {
    stderr_ui_ = std::make_unique<StderrUiServices>(&ui());
    previous_ui_ = set_ui_services(stderr_ui_.get());
  }
  g_app = this;
}

CTernApp::CTernApp(int& argc, char** argv) : CTernApp(argc, argv, kestrel::program_folder()) {}

CTernApp::~CTernApp() {
  frame_.reset();
  set_ui_services(previous_ui_);
  if (g_app == this) g_app = nullptr;
}

CTernApp* CTernApp::instance() { return g_app; }

int CTernApp::run() {
  int rc = 0;
  if (init_instance())
    rc = QCoreApplication::exec();
  else if (command_line_.preload)
    rc = preload_ok_ ? 0 : 1;
  exit_instance();
  return rc;
}

bool CTernApp::init_instance() {
  // Choose the settings store, read the settings and the grid font.
  store_.choose();
  command_line_ = parse_command_line(args_, font_family_installed);
  const std::u16string folder_text = [&] {
    std::u16string t = path_text(program_folder_);
    if (t.empty() || t.back() != u'/') t += u'/';
    return t;
  }();
  settings_.load(store_.store(), folder_text);
  settings_.font.load(store_.store());
  if (!command_line_.font_face.empty()) settings_.font.FACENAME = command_line_.font_face;  // this run only
  settings_.load_grid_calc_type(store_.store());
  grid_font_ = make_grid_font(settings_.font);

  // The environment the client library reads, then the library itself.
  const std::filesystem::path library_folder = client_library_folder(settings_);
  export_tns_admin(settings_);
  if (hooks_.load_client_library) {
    ClientLibraryResult r = hooks_.load_client_library(library_folder);
    library_loaded_ = r.loaded;
    if (!r.loaded && !r.error.empty()) ui().message_box(r.error, u"ERROR", mb::OK | mb::ICONEXCLAMATION);
  }
  if (command_line_.preload) {
    preload_ok_ = library_loaded_ && hooks_.init_client_environment && hooks_.init_client_environment();
    return false;
  }
  apply_unicode_environment(settings_, library_loaded_ ? hooks_.client_version : nullptr);
  select_text_converter(settings_);

  // The start-up worker runs while the user logs in.
  std::thread worker;
  if (hooks_.startup_worker) {
    try {
      worker = std::thread(hooks_.startup_worker);
    } catch (const std::system_error&) {
      ui().message_box(kThreadError, u"ERROR", mb::OK | mb::ICONEXCLAMATION);
      return false;
    }
  }
  auto join_worker = [&worker] {
    if (worker.joinable()) worker.join();
  };

  if (command_line_.logon && library_loaded_ && hooks_.command_line_login) {
    LoginOutcome out = hooks_.command_line_login(command_line_.user, command_line_.password, command_line_.tns,
                                                 command_line_.oci7);
    if (out.connected) {
      connection_.connected = 1;
      connection_.user = command_line_.user;
      connection_.password = command_line_.password;
      connection_.tns = command_line_.tns;
      connection_.connect_mode = kConnectModeNormal;
      connection_.oci7 = command_line_.oci7 ? 1 : 0;
    }
    if (!out.message.empty()) ui().message_box(out.message, u"Message", mb::OK | mb::ICONEXCLAMATION);
  }
  if (library_loaded_ && connection_.connected == 0 && hooks_.login_dialog) {
    if (!hooks_.login_dialog()) {
      join_worker();
      return false;
    }
  }
  join_worker();

  if (connection_.connected && hooks_.post_login_setup && !hooks_.post_login_setup()) return false;

  // The frame, the view, then the shell command.
  frame_ = std::make_unique<CMainFrame>(settings_, store_, connection_);
  frame_->resize(1024, 700);
  if (!frame_->restore_placement()) report_store_failure();
  frame_->set_close_check([this] { return !hooks_.can_close || hooks_.can_close(); });
  frame_->set_placement_failed([] {
    std::fputs("kestrel: the window placement could not be saved\n", stderr);
  });
  if (hooks_.create_view) {
    hooks_.create_view(*frame_);
  } else {
    auto* empty = new QWidget(frame_.get());
    empty->setAutoFillBackground(true);
    empty->setBackgroundRole(QPalette::Base);
    frame_->setCentralWidget(empty);
  }
  register_app_commands();

  const bool open_file = !command_line_.file.empty();
  if (open_file) {
    if (hooks_.open_document && !hooks_.open_document(command_line_.file)) return false;
  } else if (hooks_.new_document && !hooks_.new_document()) {
    return false;
  }

  frame_->show();
  if (connection_.connected && hooks_.on_connected) hooks_.on_connected();
  if (hooks_.rebuild_accelerators) hooks_.rebuild_accelerators();
  if (open_file) {
    frame_->raise();
    frame_->activateWindow();
  }
  set_current_directory(to_path(settings_.INITIAL_DIR));
  return true;
}

void CTernApp::exit_instance() {
  if (exited_) return;
  exited_ = true;
  if (hooks_.disconnect) hooks_.disconnect();
  if (hooks_.destroy_macro_engine) hooks_.destroy_macro_engine();
  if (library_loaded_ && hooks_.free_client_environment) hooks_.free_client_environment();
  if (library_loaded_ && hooks_.unload_client_library) hooks_.unload_client_library();
  if (command_line_.preload) return;  // nothing was changed: PRELOAD writes no settings
  if (!settings_.save_exit_keys(store_.store()))
    std::fprintf(stderr, "kestrel: settings could not be saved: %s\n",
                 utf16_to_utf8(store_.store().last_error()).c_str());
}

void CTernApp::register_app_commands() {
  CMainFrame& f = *frame_;
  f.set_command(cmd::kFont, {[this] { on_font(); }, {}, {}});
  f.set_command(cmd::kAbout, {[this] { on_about(); }, {}, {}});
  for (uint32_t id = cmd::kCalcSum; id <= cmd::kCalcNone; ++id) {
    const int32_t type = static_cast<int32_t>(id - cmd::kCalcSum);
    f.set_command(id, {[this, type] {
                         settings_.GRID_CALC_TYPE = type;
                         update_all_views(hint::kCalcTypeChanged);
                       },
                       {},
                       [this, type] { return settings_.GRID_CALC_TYPE == type; }});
  }
  if (hooks_.run_macro_text) {
    f.set_command(cmd::kMacroClipboard, {[this] {
                                           std::u16string text;
                                           if (ui().clipboard_text(text)) hooks_.run_macro_text(text);
                                         },
                                         {},
                                         {}});
  }
  if (hooks_.run_macro_file) f.set_command(cmd::kMacroFile, {[this] { on_macro_file(); }, {}, {}});
  if (hooks_.register_login_commands) hooks_.register_login_commands(f);
}

void CTernApp::set_grid_font(const FontSettings& font) {
  settings_.font = font;
  grid_font_ = make_grid_font(font);
  update_all_views(hint::kFontChanged, &grid_font_);
  if (!settings_.font.save(store_.store())) report_store_failure();
}

void CTernApp::update_all_views(int hint, const void* arg) {
  if (hooks_.update_views) hooks_.update_views(hint, arg);
}

void CTernApp::report_store_failure() {
  if (store_failure_reported_) return;
  store_failure_reported_ = true;
  ui().message_box(format(u"設定を保存できませんでした。\n%s", {store_.store().last_error()}), u"ERROR",
                   mb::OK | mb::ICONEXCLAMATION);
}

void CTernApp::on_font() {
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, grid_font_, frame_.get());
  if (ok) set_grid_font(font_settings_of(chosen));
}

void CTernApp::on_about() {
  QMessageBox::about(frame_.get(), QStringLiteral("バージョン情報"),
                     QStringLiteral("kestrel バージョン %1").arg(QStringLiteral(KESTREL_VERSION)));
}

void CTernApp::on_macro_file() {
  QFileDialog dialog(frame_.get(), to_qstring(kMacroFileDialogTitle), QString::fromStdString(current_directory()),
                     QString::fromLatin1(kMacroFileFilter));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("scm"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  hooks_.run_macro_file(from_qstring(dialog.selectedFiles().front()));
}
