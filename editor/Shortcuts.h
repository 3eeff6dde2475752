#pragma once
// The windows' keyboard shortcuts, for both front-ends: each builds its keys and the
// texts its menus show after an item from these tables.

#include <span>
#include <string_view>

#include "editor/ControlIds.h"

namespace zrb {

struct Shortcut {
    int command;  // the menu item or button the key reaches
    bool control;
    char letter;             // 'A' to 'Z'; 0 for a function key
    int functionKey;         // 1 to 12 for F1 to F12 where letter is 0
    std::string_view shown;  // as the menus show it, and as Qt's portable text reads it
};

// Save Changes is a button, not a menu item: its key shows in no menu.
inline constexpr Shortcut kEditorShortcuts[] = {
    {ids::kOpenMotionModel, true, 'O', 0, "Ctrl+O"},
    {ids::kReload, false, 0, 5, "F5"},
    {ids::kSaveChanges, true, 'S', 0, "Ctrl+S"},
    {ids::kFleetOverview, true, 'L', 0, "Ctrl+L"},
};

// The fleet overview's Edit menu; an edit box keeps them for its own typing.
inline constexpr Shortcut kFleetShortcuts[] = {
    {ids::kFleetUndo, true, 'Z', 0, "Ctrl+Z"},
    {ids::kFleetRedo, true, 'Y', 0, "Ctrl+Y"},
};

// Whether `s.shown` names the key the row gives: the Win32 build reads the key, the Qt
// build the text, so a row where they part would give the builds different keys.
constexpr bool ShownMatchesKey(const Shortcut& s) {
    std::string_view rest = s.shown;
    constexpr std::string_view kControl = "Ctrl+";
    if (s.control != (rest.substr(0, kControl.size()) == kControl)) {
        return false;
    }
    if (s.control) {
        rest.remove_prefix(kControl.size());
    }
    if (s.letter != 0) {
        return s.letter >= 'A' && s.letter <= 'Z' && rest.size() == 1 && rest[0] == s.letter;
    }
    if (s.functionKey < 1 || s.functionKey > 12 || rest.empty() || rest[0] != 'F') {
        return false;
    }
    rest.remove_prefix(1);
    const char tens = s.functionKey >= 10 ? '1' : 0;
    const char ones = static_cast<char>('0' + s.functionKey % 10);
    return tens == 0 ? rest.size() == 1 && rest[0] == ones
                     : rest.size() == 2 && rest[0] == tens && rest[1] == ones;
}

constexpr bool ShortcutsAreSound(std::span<const Shortcut> table) {
    for (const Shortcut& s : table) {
        if (!ShownMatchesKey(s)) {
            return false;
        }
        for (const Shortcut& other : table) {
            if (&other != &s && other.shown == s.shown) {
                return false;  // one key, two commands
            }
        }
    }
    return true;
}
static_assert(ShortcutsAreSound(kEditorShortcuts) && ShortcutsAreSound(kFleetShortcuts),
              "a shortcut's text and key disagree, or a key is used twice");

}  // namespace zrb
