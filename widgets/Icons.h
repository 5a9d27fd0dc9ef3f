#pragma once

#include <QIcon>
#include <QStyle>

namespace kalvenor {

// The application style's standard icon, decoded once per run: the style
// reads and decodes every size of it from the resources at each request.
QIcon StandardIcon(QStyle::StandardPixmap pixmap);

}  // namespace kalvenor
