#include "editor/menu_keys.hpp"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace quarn {

namespace {

// The first letter of title that is not in taken, upper case, or a null char.
QChar FreeLetter(const QString& title, const QString& taken)
{
    for (const QChar c : title) {
        const QChar letter = c.toUpper();
        if (letter.isLetterOrNumber() && !taken.contains(letter))
            return letter;
    }
    return {};
}

}  // namespace

void AddMenuKeys(QWidget* window, QMenuBar* bar)
{
    QString taken;
    for (QAction* menuAction : bar->actions()) {
        QMenu* menu = menuAction->menu();
        if (menu == nullptr || menuAction->isSeparator())
            continue;
        const QChar letter = FreeLetter(menu->title(), taken);
        if (letter.isNull())
            continue;
        taken.append(letter);
        const QKeySequence key(QStringLiteral("Alt+") + letter);
        auto* shortcut = new QShortcut(key, window);
        shortcut->setObjectName(QStringLiteral("menuKey") + menu->title());
        QObject::connect(shortcut, &QShortcut::activated, bar, [bar, menuAction] {
            // Opening the menu from its bar entry, as a click does, lets
            // Left and Right move on to the neighbouring menus.
            if (menuAction->isEnabled() && menuAction->isVisible())
                bar->setActiveAction(menuAction);
        });
    }
}

}  // namespace quarn
