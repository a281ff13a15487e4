#pragma once

#include <span>
#include <string_view>

#include "CommandIds.h"

// Every command of the menus, keys, toolbar and popup menu with its texts, and the layouts
// of the main menu, the toolbar and the picture view's popup menu.
namespace tavrel::shell {

struct CommandSpec {
    CommandId id;
    const char* menu_text;  // label, then "\t" and the key name when there is a key
    const char* key;        // the key pressed with Ctrl ("O", "Home"), or "" for none
    const char* prompt;     // status-bar prompt; text after a "\n" is the tooltip
};

// A menu or toolbar entry: a command, or a separator where id is 0.
struct LayoutEntry {
    int id;
};
inline constexpr int kSeparator = 0;

struct MenuLayout {
    const char* title;
    std::span<const LayoutEntry> entries;
};

std::span<const CommandSpec> AllCommands();
const CommandSpec* FindCommand(int id);  // nullptr for an unknown id

std::span<const MenuLayout> MainMenuLayout();  // 文件, 浏览, 批量, 帮助
MenuLayout PopupMenuLayout();                  // 浏览 with 强制导入 at the bottom
std::span<const LayoutEntry> ToolbarLayout();  // eleven buttons with their separators

// Text pieces derived from the table.
std::string_view MenuLabel(const CommandSpec& command);      // menu_text before the tab
std::string_view StatusPrompt(const CommandSpec& command);   // prompt before any "\n"
std::string_view PromptToolTip(const CommandSpec& command);  // prompt after the "\n", or ""

// The private message by which the tree pane forwards a command to the picture view;
// 0 for the commands the tree pane runs itself or does not forward.
PrivateMessage ForwardMessage(int id);

}  // namespace tavrel::shell
