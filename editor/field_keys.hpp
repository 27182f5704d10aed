#pragma once

#include <QString>
#include <Qt>

namespace quarn {

// What a key pressed in a date or time field means for the field. Only keys
// that edit show a blank field; keys that move on or run a command leave it
// as it is, so walking the grid with the keyboard changes nothing.
enum class FieldKey {
    MovesFocus,     // Tab and Shift+Tab: on to the next or previous control
    Blanks,         // Delete: the field goes blank, its value stays
    Types,          // a digit: typed into the field
    Steps,          // Up, Down, Page Up, Page Down: step the value
    OpensCalendar,  // F4 or Alt+Down: a date field's drop-down calendar
    Command,        // Enter, Escape, F-keys, Ctrl or Alt combinations
    Modifier,       // Shift, Ctrl, Alt and the like pressed alone, before the key they modify
    Other,          // the rest: moving the cursor, separators, Backspace, letters
};

FieldKey ClassifyFieldKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);

// Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y: Undo and Redo of the whole document. A
// field neither takes them as a shortcut of its own text nor edits with them.
bool IsDocumentHistoryKey(int key, Qt::KeyboardModifiers modifiers);

// A printable character that is not a digit, such as the "/" and ":" between
// the sections of a date or a time.
bool IsSeparatorText(const QString& text);

}  // namespace quarn
