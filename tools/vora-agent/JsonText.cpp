#include "JsonText.h"

#include <cstdio>

// In QJsonDocument's UTF-8 every byte above 0x7F belongs to a string's
// text, and 0xC2 followed by 0x80..0x9F is exactly U+0080..U+009F, so
// escaping those bytes changes no value and keeps the JSON valid.
QByteArray JsonText(const QJsonDocument& document, QJsonDocument::JsonFormat format)
{
    const QByteArray raw = document.toJson(format);
    QByteArray text;
    text.reserve(raw.size());
    char escape[8];
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        const auto next = i + 1 < raw.size() ? static_cast<unsigned char>(raw[i + 1]) : 0;
        if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            std::snprintf(escape, sizeof escape, "\\u%04x", next);
            text.append(escape);
            ++i;
        } else if (byte == 0x7F) {
            text.append("\\u007f");
        } else {
            text.append(raw[i]);
        }
    }
    return text;
}
