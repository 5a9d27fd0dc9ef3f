#include "widgets/Icons.h"

#include <QApplication>
#include <QStandardPaths>
#include <QString>
#include <map>

namespace kalvenor {

namespace {

// A theme is usable when it has the plainest command icon in colour; some
// themes carry only monochrome "-symbolic" variants, which Qt does not pick.
bool ThemeHasCommandIcons() {
    return QIcon::hasThemeIcon("document-save");
}

}  // namespace

void UseDesktopIconTheme() {
    static bool chosen = false;
    if (chosen) {
        return;
    }
    chosen = true;
    if (ThemeHasCommandIcons()) {
        return;
    }
    // Some platforms (the offscreen one, a bare X server) look nowhere; the
    // themes live in the icons folder of every system data folder.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        if (!paths.contains(data + "/icons")) {
            paths << data + "/icons";
        }
    }
    QIcon::setThemeSearchPaths(paths);
    const QString desktopTheme = QIcon::themeName();
    for (const char* theme : {"breeze", "oxygen", "Adwaita", "Tango", "gnome"}) {
        QIcon::setThemeName(theme);
        if (ThemeHasCommandIcons()) {
            return;
        }
    }
    QIcon::setThemeName(desktopTheme);
}

const QIcon& CommandIcon(std::initializer_list<const char*> themeNames,
                         QStyle::StandardPixmap fallback) {
    UseDesktopIconTheme();
    // Kept to the end of the process: icons must not be destroyed after the
    // application object.
    static auto& icons = *new std::map<QString, QIcon>;
    QString key = QString::number(static_cast<int>(fallback));
    for (const char* name : themeNames) {
        key += ' ';
        key += QString::fromUtf8(name);
    }
    auto found = icons.find(key);
    if (found != icons.end()) {
        return found->second;
    }
    QIcon icon;
    for (const char* name : themeNames) {
        if (QIcon::hasThemeIcon(name)) {
            icon = QIcon::fromTheme(name);
            break;
        }
    }
    if (icon.isNull()) {
        icon = QApplication::style()->standardIcon(fallback);
    }
    return icons.emplace(key, icon).first->second;
}

}  // namespace kalvenor
