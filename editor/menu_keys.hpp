#pragma once

class QMenuBar;
class QWidget;

namespace quarn {

// Alt and a letter opens each menu of bar, as a menu's mnemonic does, while
// the menus keep their titles as they are: a title with "&" would read
// differently to every caller that compares it and shows its letter
// underlined at all times on some styles. Each menu takes the first letter of
// its title that no earlier menu has taken ("File" F, "Edit" E, "Extra" X).
// The keys belong to window; call once all menus are on the bar.
void AddMenuKeys(QWidget* window, QMenuBar* bar);

}  // namespace quarn
