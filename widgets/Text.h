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

}  // namespace kalvenor
