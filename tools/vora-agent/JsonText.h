#pragma once

#include <QByteArray>
#include <QJsonDocument>

// A document as JSON text, its controls escaped whatever range they are
// in. QJsonDocument writes those below U+0020 as \uXXXX but passes DEL and
// the C1 controls (U+0080..U+009F) raw, and a terminal that shows the text
// obeys them (U+009B starts a control sequence, U+009D an operating system
// command), as the dialog's output relay keeps them from doing:
//   {"words": ["a<U+009B>2Jb"]}  -> {"words": ["a\u009b2Jb"]}
//   {"words": ["Grüße"]}         -> unchanged
QByteArray JsonText(const QJsonDocument& document,
                    QJsonDocument::JsonFormat format = QJsonDocument::Indented);
