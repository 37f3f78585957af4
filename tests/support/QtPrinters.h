#pragma once

#include <QString>

#include <optional>
#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const std::optional<QString>& text, std::ostream* out)
{
    if (text) {
        PrintTo(*text, out);
    } else {
        *out << "nullopt";
    }
}
