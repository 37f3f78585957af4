#include "LinkDetection.h"

#include <QRegularExpression>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Punctuation that ends a sentence rather than an address.
const QString kTrailing = QStringLiteral(".,;:!?)]}'\"");

QString HrefFor(const QString& address)
{
    if (address.contains(QLatin1Char('@')) && !address.contains(QLatin1String("://"))) {
        return QStringLiteral("mailto:") + address;
    }
    if (address.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        return QStringLiteral("http://") + address;
    }
    return address;
}

// Every address the pattern below takes holds "://", "www." or "@"; a text
// with none of them is shown as it is, without compiling the pattern (and
// paging in the regular-expression engine) at all.
bool MayHoldAddress(const QString& text)
{
    return text.contains(QLatin1String("://")) || text.contains(QLatin1String("www."), Qt::CaseInsensitive) ||
           text.contains(QLatin1Char('@'));
}

} // namespace

void SetTextWithDetectedLinks(QTextDocument& document, const QString& text, bool detectLinks)
{
    static const QRegularExpression kAddress(
        QStringLiteral(
            R"((?:https?://|www\.)[^\s<>"]+|[A-Za-z0-9._%+-]+@[A-Za-z0-9-]+(?:\.[A-Za-z0-9-]+)*\.[A-Za-z]{2,})"),
        QRegularExpression::CaseInsensitiveOption);

    document.clear();
    QTextCursor cursor(&document);
    const QTextCharFormat plain;
    if (!detectLinks || !MayHoldAddress(text)) {
        cursor.insertText(text, plain);
        return;
    }
    QTextCharFormat link;
    link.setAnchor(true);
    link.setFontUnderline(true);
    link.setForeground(QColor(0x1a, 0x5f, 0xb4));

    qsizetype from = 0;
    for (auto match = kAddress.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        QString address = found.captured();
        while (!address.isEmpty() && kTrailing.contains(address.back())) {
            address.chop(1);
        }
        if (address.isEmpty()) {
            continue;
        }
        cursor.insertText(text.mid(from, found.capturedStart() - from), plain);
        link.setAnchorHref(HrefFor(address));
        cursor.insertText(address, link);
        from = found.capturedStart() + address.size();
    }
    cursor.insertText(text.mid(from), plain);
}
