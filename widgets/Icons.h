#pragma once

#include <QIcon>
#include <QStyle>
#include <initializer_list>

namespace kalvenor {

// The desktop's icon for a command, by the standard names of the icon
// themes (the first name the theme has), else the style's own picture.
// Each icon is looked up and decoded once and then shared by every menu item
// and button that shows it.
const QIcon& CommandIcon(std::initializer_list<const char*> themeNames,
                         QStyle::StandardPixmap fallback);

// Makes sure a full icon theme is in use: the desktop's own when it has the
// command icons, otherwise the first installed of a few common themes.
void UseDesktopIconTheme();

// The application style's standard icon, decoded once per run: the style
// reads and decodes every size of it from the resources at each request.
QIcon StandardIcon(QStyle::StandardPixmap pixmap);

}  // namespace kalvenor
