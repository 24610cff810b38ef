// Every command of the menus, the toolbar and the keyboard: its id, its default menu
// text (mnemonics with '&', a shortcut hint after a tab where the menu shows one), the
// keys that run it, its icon and its status-bar prompt. The frame builds one action
// per entry from this table.
#pragma once

#include <span>

struct CommandInfo {
    int id;
    const char* text;
    // Keys in QKeySequence's portable form, separated by ';' (empty: none).
    const char* keys;
    // Resource path of the icon (empty: none).
    const char* icon;
    // Status-bar prompt; empty to show the menu text without its mnemonics.
    const char* prompt;
};

class CommandTable
{
  public:
    static std::span<const CommandInfo> All();
    // Null for an id without an entry.
    static const CommandInfo* Find(int id);
};
