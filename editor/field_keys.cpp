#include "editor/field_keys.hpp"

namespace quarn {

namespace {

bool IsModifierAlone(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

}  // namespace

FieldKey ClassifyFieldKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    if (IsModifierAlone(key))
        return FieldKey::Modifier;
    // The keys that drop a list or a calendar down on every desktop.
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if ((key == Qt::Key_F4 && held == Qt::NoModifier) || (key == Qt::Key_Down && held == Qt::AltModifier))
        return FieldKey::OpensCalendar;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return FieldKey::Command;
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return FieldKey::Command;
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return FieldKey::MovesFocus;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return FieldKey::Command;
    case Qt::Key_Delete:
        return FieldKey::Blanks;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return FieldKey::Steps;
    default:
        break;
    }
    if (text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9')
        return FieldKey::Types;
    return FieldKey::Other;
}

bool IsDocumentHistoryKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (key == Qt::Key_Z)
        return held == Qt::ControlModifier || held == (Qt::ControlModifier | Qt::ShiftModifier);
    return key == Qt::Key_Y && held == Qt::ControlModifier;
}

bool IsSeparatorText(const QString& text)
{
    return text.size() == 1 && text.at(0).isPrint() && !text.at(0).isDigit();
}

}  // namespace quarn
