#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kalvenor {

// The core speaks UTF-8; Qt speaks UTF-16.
inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToStdString(const QString& text) {
    return text.toStdString();
}

// A new control with the name the program gives it, which is also how the
// tests find it.
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

}  // namespace kalvenor
