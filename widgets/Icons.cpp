#include "widgets/Icons.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QStandardPaths>
#include <QString>
#include <QStyleOption>
#include <map>

namespace kalvenor {

namespace {

// A standard icon that decodes only what is drawn. The style's own icon
// decodes every size it has (up to 128 pixels) when it is made; menus and
// tool buttons draw the small one, which the style hands out alone. The
// full icon is made only when a larger size is asked for.
class StandardIconEngine final : public QIconEngine {
public:
    explicit StandardIconEngine(QStyle::StandardPixmap pixmap) : pixmap_(pixmap) {}

    QIconEngine* clone() const override { return new StandardIconEngine(*this); }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatio();
        QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), drawn);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (!FitsSmall(size)) {
            return Full().pixmap(size, mode, state);
        }
        const quint64 key =
            (quint64(mode) << 40) | (quint64(size.width()) << 20) | quint64(size.height());
        QPixmap& made = made_[key];
        if (made.isNull()) {
            made = Small();
            if (made.width() > size.width() || made.height() > size.height()) {
                made = made.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            }
            if (mode != QIcon::Normal && !made.isNull()) {
                QStyleOption option;
                option.palette = QGuiApplication::palette();
                made = QApplication::style()->generatedIconPixmap(mode, made, &option);
            }
        }
        return made;
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (!FitsSmall(size)) {
            return Full().actualSize(size, mode, state);
        }
        QSize actual = Small().size();
        if (actual.width() > size.width() || actual.height() > size.height()) {
            actual.scale(size, Qt::KeepAspectRatio);
        }
        return actual;
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Full().availableSizes(mode, state);
    }

    bool isNull() override { return Small().isNull() && Full().isNull(); }

private:
    // Sizes no larger than the small pixmap; asking for more (a larger
    // icon, a screen of a higher pixel ratio) gets the style's sharp ones.
    bool FitsSmall(const QSize& size) {
        const QSize small = Small().size();
        return !small.isEmpty() && size.width() <= small.width() && size.height() <= small.height();
    }

    const QPixmap& Small() {
        if (!smallMade_) {
            smallMade_ = true;
            small_ = QApplication::style()->standardPixmap(pixmap_);
        }
        return small_;
    }

    const QIcon& Full() {
        if (full_.isNull()) {
            full_ = QApplication::style()->standardIcon(pixmap_);
        }
        return full_;
    }

    QStyle::StandardPixmap pixmap_;
    bool smallMade_ = false;
    QPixmap small_;
    QIcon full_;
    // By mode and size, as drawn.
    QHash<quint64, QPixmap> made_;
};

QHash<int, QIcon>& Cache() {
    static QHash<int, QIcon> cache;
    return cache;
}

// Pixmaps may not outlive the application object.
void ClearCache() {
    Cache().clear();
}

}  // namespace

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
    QHash<int, QIcon>& cache = Cache();
    if (cache.isEmpty()) {
        qAddPostRoutine(ClearCache);
    }
    auto found = cache.find(pixmap);
    if (found == cache.end()) {
        found = cache.insert(pixmap, QIcon(new StandardIconEngine(pixmap)));
    }
    return *found;
}

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
        icon = StandardIcon(fallback);
    }
    return icons.emplace(key, icon).first->second;
}

}  // namespace kalvenor
