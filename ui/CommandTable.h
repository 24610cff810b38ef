// Every command of the menus, the toolbar and the keyboard: its id, its default menu
// text (mnemonics with '&', a shortcut hint after a tab where the menu shows one), the
// keys that run it, its icon and its status-bar prompt. The frame builds one action
// per entry from this table.
#pragma once

#include <span>

// Who carries a command out when the view is asked first.
enum class CommandRoute {
    Elsewhere,   // the document, the frame or the application
    View,        // a setting or action of the view itself
    Tool,        // starts the tool of `toolKind`
    CheckedTool, // the same, shown checked while that tool is current
};

struct CommandInfo {
    int id;
    const char* text;
    // Keys in QKeySequence's portable form, separated by ';' (empty: none).
    const char* keys;
    // Resource path of the icon (empty: none).
    const char* icon;
    // Status-bar prompt; empty to show the menu text without its mnemonics.
    const char* prompt;
    CommandRoute route = CommandRoute::Elsewhere;
    // The kind of tool the command starts (CommandKind); 0 for none.
    int toolKind = 0;
};

class CommandTable
{
  public:
    static std::span<const CommandInfo> All();
    // Null for an id without an entry.
    static const CommandInfo* Find(int id);
};
