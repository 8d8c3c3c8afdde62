// The menu bar, as one table: each entry and the handler of its command.
#pragma once

#include <span>
#include <vector>

#include "app/control_table.h"
#include "app/window_controls.h"

namespace qs {

/// One entry of the menu bar and what choosing it does; a null handler: not wired yet, the
/// entry does nothing.
struct MenuRow {
  MenuItem item;
  CommandHandler onCommand;
};

/// The menus and their entries in the order they are shown.
extern const std::span<const MenuRow> kMenuRows;

/// The entries alone, as SetMenu takes them.
std::vector<MenuItem> MenuItems();

}  // namespace qs
