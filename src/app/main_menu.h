// The main menu (resource 128) as data: top-level menus in their fixed
// positions (key assignment categories refer to them), items with their
// command ids and texts. The user interface builds its menu bar from this.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel {

struct MenuNode {
  enum class Kind { Popup, Command, Separator };
  Kind kind = Kind::Command;
  std::u16string_view text;
  uint32_t id = 0;                 // Command only
  std::vector<MenuNode> children;  // Popup only
};

// Top-level menus, in position order 0 ファイル .. 7 ヘルプ.
const std::vector<MenuNode>& main_menu();

// Every command item, depth first, for lookups and tests.
std::vector<const MenuNode*> menu_commands(const std::vector<MenuNode>& menus);

// The text shown for `id` in the main menu (empty when it has no item).
std::u16string_view menu_text(uint32_t id);

}  // namespace kestrel
