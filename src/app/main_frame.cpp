#include "app/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "app/app_ids.h"
#include "app/app_store.h"
#include "app/qt_text.h"
#include "app/window_placement.h"

using namespace kestrel;

namespace {

constexpr std::u16string_view kLeft = u"LEFT";
constexpr std::u16string_view kTop = u"TOP";
constexpr std::u16string_view kWidth = u"WIDTH";
constexpr std::u16string_view kHeight = u"HEIGHT";
constexpr std::u16string_view kZoomed = u"ZOOMED";

}  // namespace

CMainFrame::CMainFrame(AppSettings& settings, AppSettingsStore& store, const CurrentConnection& connection,
                       QWidget* parent)
    : QMainWindow(parent), settings_(settings), store_(store), connection_(connection) {
  setObjectName("CMainFrame");
  build_menus();
  build_tool_bar();
  set_indicators(settings_.END_KEY_LIKE_EXCEL == 1);

  set_command(cmd::kAppExit, {[this] { close(); }, {}, {}});
  set_command(cmd::kViewToolBar, {[this] { tool_bar_->setVisible(!tool_bar_->isVisible()); },
                                  {},
                                  [this] { return !tool_bar_->isHidden(); }});
  set_command(cmd::kViewStatusBar, {[this] { statusBar()->setVisible(!statusBar()->isVisible()); },
                                    {},
                                    [this] { return !statusBar()->isHidden(); }});
  update_title(u"");
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::build_menus() {
  QMenuBar* bar = menuBar();
  for (const MenuNode& top : main_menu()) bar->addMenu(build_menu(top, bar));
  // The calculation types exclude each other: show them as a radio group.
  auto* calc = new QActionGroup(this);
  calc->setExclusive(true);
  for (uint32_t id = cmd::kCalcSum; id <= cmd::kCalcNone; ++id)
    if (QAction* a = action(id)) calc->addAction(a);
  edit_counter_ = new QLabel(" ", bar);
  edit_counter_->setEnabled(false);
  edit_counter_->setObjectName("EditCounter");
  bar->setCornerWidget(edit_counter_, Qt::TopRightCorner);
}

QMenu* CMainFrame::build_menu(const MenuNode& node, QWidget* parent) {
  auto* menu = new QMenu(to_qstring(node.text), parent);
  connect(menu, &QMenu::aboutToShow, this, &CMainFrame::update_command_ui);
  for (const MenuNode& child : node.children) {
    switch (child.kind) {
      case MenuNode::Kind::Separator: menu->addSeparator(); break;
      case MenuNode::Kind::Popup: menu->addMenu(build_menu(child, menu)); break;
      case MenuNode::Kind::Command: {
        QAction* a = menu->addAction(to_qstring(child.text));
        a->setData(child.id);
        a->setEnabled(false);
        const uint32_t id = child.id;
        connect(a, &QAction::triggered, this, [this, id] { run_command(id); });
        actions_[id] = a;
        break;
      }
    }
  }
  return menu;
}

void CMainFrame::build_tool_bar() {
  tool_bar_ = addToolBar(QStringLiteral("ツール バー"));
  tool_bar_->setObjectName("ToolBar");
  tool_bar_->setMovable(false);
  struct Button {
    uint32_t id;
    QStyle::StandardPixmap icon;
  };
  const Button buttons[] = {{cmd::kTableSelect, QStyle::SP_DirOpenIcon},
                            {cmd::kRefresh, QStyle::SP_BrowserReload},
                            {cmd::kSave, QStyle::SP_DialogSaveButton},
                            {0, QStyle::SP_CustomBase},
                            {cmd::kFind, QStyle::SP_FileDialogContentsView}};
  for (const Button& b : buttons) {
    if (b.id == 0) {
      tool_bar_->addSeparator();
      continue;
    }
    QAction* a = action(b.id);
    a->setIcon(style()->standardIcon(b.icon));
    tool_bar_->addAction(a);
  }
}

void CMainFrame::set_command(uint32_t id, Command command) {
  commands_[id] = std::move(command);
  update_command_ui();
}

void CMainFrame::remove_command(uint32_t id) {
  commands_.erase(id);
  update_command_ui();
}

QAction* CMainFrame::action(uint32_t id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::update_command_ui() {
  for (auto& [id, a] : actions_) {
    auto it = commands_.find(id);
    if (it == commands_.end() || !it->second.run) {
      a->setEnabled(false);
      continue;
    }
    a->setEnabled(!it->second.enabled || it->second.enabled());
    const bool checkable = static_cast<bool>(it->second.checked);
    a->setCheckable(checkable);
    if (checkable) a->setChecked(it->second.checked());
  }
}

void CMainFrame::run_command(uint32_t id) {
  auto it = commands_.find(id);
  if (it == commands_.end() || !it->second.run) return;
  if (it->second.enabled && !it->second.enabled()) return;
  // Copy: a command may replace its own registration while it runs.
  std::function<void()> run = it->second.run;
  run();
  update_command_ui();
}

void CMainFrame::set_indicators(bool end_key_pane) {
  QStatusBar* bar = statusBar();
  for (auto& [id, label] : panes_) {
    bar->removeWidget(label);
    delete label;
  }
  panes_.clear();
  const QFontMetrics fm(bar->font());
  struct Spec {
    uint32_t id;
    std::u16string_view tip;
    int width;  // 0: as wide as the sample text
    const char* sample;
  };
  std::vector<Spec> specs = {{pane::kMessage, u"", 0, nullptr},
                             {pane::kCalc, kCalcPaneTip, pane::kCalcWidth, nullptr},
                             {pane::kSession, kSessionPaneTip, pane::kSessionWidth, nullptr},
                             {pane::kDataLock, kDataLockPaneTip, pane::kDataLockWidth, nullptr},
                             {pane::kCaps, u"", 0, "CAP"},
                             {pane::kNum, u"", 0, "NUM"}};
  if (end_key_pane) specs.push_back({pane::kEnd, kEndPaneTip, 0, "END"});
  for (const Spec& s : specs) {
    auto* label = new QLabel(bar);
    label->setObjectName(QStringLiteral("pane_%1").arg(s.id));
    label->setToolTip(to_qstring(s.tip));
    if (s.id == pane::kMessage) {
      bar->addWidget(label, 1);
    } else {
      int width = s.width ? s.width : fm.horizontalAdvance(QLatin1String(s.sample)) + 8;
      label->setFixedWidth(width);
      label->setFrameShape(QFrame::Panel);
      label->setFrameShadow(QFrame::Sunken);
      bar->addPermanentWidget(label);
    }
    panes_.emplace_back(s.id, label);
  }
  set_pane_text(pane::kSession, connection_.label);
}

std::vector<uint32_t> CMainFrame::pane_ids() const {
  std::vector<uint32_t> ids;
  for (const auto& p : panes_) ids.push_back(p.first);
  return ids;
}

QLabel* CMainFrame::pane(uint32_t id) const {
  for (const auto& p : panes_)
    if (p.first == id) return p.second;
  return nullptr;
}

void CMainFrame::set_pane_text(uint32_t id, std::u16string_view text) {
  if (QLabel* l = pane(id)) l->setText(to_qstring(text));
}

void CMainFrame::set_message_text(std::u16string_view text) { set_pane_text(pane::kMessage, text); }

void CMainFrame::set_edit_counter_text(std::u16string_view text) {
  edit_counter_->setText(to_qstring(text));
  menuBar()->update();
}

void CMainFrame::update_title(std::u16string_view document_title) {
  setWindowTitle(to_qstring(frame_title(connection_, document_title)));
}

bool CMainFrame::restore_placement() {
  SettingsStore& st = store_.store();
  const QRect proposed = geometry();
  WinRect saved;
  saved.left = st.get_int(section::kWindow, kLeft, proposed.left());
  saved.top = st.get_int(section::kWindow, kTop, proposed.top());
  saved.width = st.get_int(section::kWindow, kWidth, 0);
  saved.height = st.get_int(section::kWindow, kHeight, 0);
  QScreen* scr = screen();
  const QRect avail = scr ? scr->availableGeometry() : QRect(0, 0, 1024, 768);
  const WorkArea work{avail.left(), avail.top(), avail.left() + avail.width(), avail.top() + avail.height()};
  if (std::optional<WinRect> r = place_window(saved, work)) setGeometry(r->left, r->top, r->width, r->height);

  // The next instance opens one caption lower and to the right.
  const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
  SettingsBatch batch(st);
  st.write_int(section::kWindow, kTop, geometry().top() + caption);
  st.write_int(section::kWindow, kLeft, geometry().left() + caption);
  return batch.commit();
}

bool CMainFrame::save_placement() {
  SettingsStore& st = store_.store();
  SettingsBatch batch(st);
  if (!isMinimized() && !isMaximized()) {
    const QRect r = geometry();
    st.write_int(section::kWindow, kLeft, r.left());
    st.write_int(section::kWindow, kTop, r.top());
    st.write_int(section::kWindow, kWidth, r.width());
    st.write_int(section::kWindow, kHeight, r.height());
  }
  if (!isMinimized()) st.write_int(section::kWindow, kZoomed, isMaximized() ? 1 : 0);
  return batch.commit();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (close_check_ && !close_check_()) {
    event->ignore();
    return;
  }
  if (!save_placement() && placement_failed_) placement_failed_();
  event->accept();
}

void CMainFrame::set_key_hook(std::function<bool(const QKeyEvent&)> hook) {
  const bool had = static_cast<bool>(key_hook_);
  key_hook_ = std::move(hook);
  if (key_hook_ && !had) qApp->installEventFilter(this);
  if (!key_hook_ && had) qApp->removeEventFilter(this);
  offered_key_ = 0;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (!key_hook_ || (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)) return false;
  // Key events reach the window object and then the focus widget; offer each once.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (type == QEvent::KeyPress && key->key() == offered_key_) {
    // Already offered at its shortcut-override stage.
    offered_key_ = 0;
    const bool taken = offered_taken_;
    offered_taken_ = false;
    return taken;
  }
  offered_key_ = 0;
  const bool taken = key_hook_(*key);
  if (type == QEvent::ShortcutOverride) {
    // The key press that follows gets the same answer; a taken key fires no shortcut.
    offered_key_ = key->key();
    offered_taken_ = taken;
  }
  if (!taken) return false;
  event->accept();
  return true;
}
