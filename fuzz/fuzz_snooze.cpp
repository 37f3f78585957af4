// The snooze-choices text the agent reads back ("7:1F,8:0Tsnooze\n").
//
// Two properties:
//  - any text: the entries read are exactly the well-formed pieces whose
//    numbers fit 32 bits (counted here without the parser), and writing
//    them back in the dialog's format reads back the same entries;
//  - choices the dialog could write (built from the input) read back
//    exactly, with or without the "snooze" line behind them.
#include "AnswerReader.h"
#include "FuzzCheck.h"

#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

// The dialog's format: "<chunkId>:<snooze index><T|F>" joined by ",".
QString Format(const QJsonArray& entries)
{
    QStringList pieces;
    for (const QJsonValue& value : entries) {
        const QJsonObject entry = value.toObject();
        pieces.append(
            QStringLiteral("%1:%2%3")
                .arg(entry.value(QLatin1String("chunkId")).toInt())
                .arg(entry.value(QLatin1String("snoozeIndex")).toInt())
                .arg(entry.value(QLatin1String("timedOut")).toBool() ? QLatin1Char('T') : QLatin1Char('F')));
    }
    return pieces.join(QLatin1Char(','));
}

// "-12" at `at`, fitting int32; moves `at` behind it.
bool ReadNumber(const std::string& piece, size_t& at)
{
    const size_t start = at;
    if (at < piece.size() && piece[at] == '-') {
        ++at;
    }
    const size_t digits = at;
    while (at < piece.size() && std::isdigit(static_cast<unsigned char>(piece[at])) != 0) {
        ++at;
    }
    if (at == digits) {
        return false;
    }
    errno = 0;
    const long long value = std::strtoll(piece.substr(start, at - start).c_str(), nullptr, 10);
    return errno == 0 && value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

bool WellFormed(const std::string& piece)
{
    size_t at = 0;
    if (!ReadNumber(piece, at) || at >= piece.size() || piece[at++] != ':' || !ReadNumber(piece, at)) {
        return false;
    }
    return at + 1 == piece.size() && (piece[at] == 'T' || piece[at] == 'F');
}

int CountWellFormed(const QString& text)
{
    const qsizetype snooze = text.indexOf(QLatin1String("snooze"));
    const std::string choices = (snooze >= 0 ? text.left(snooze) : text).trimmed().toStdString();
    int count = 0;
    size_t from = 0;
    while (from <= choices.size()) {
        const size_t comma = std::min(choices.find(',', from), choices.size());
        count += WellFormed(choices.substr(from, comma - from)) ? 1 : 0;
        from = comma + 1;
    }
    return count;
}

void CheckAnyText(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QJsonArray entries = AnswerReader::parseSnoozeChoices(text);
    FUZZ_CHECK(entries.size() == CountWellFormed(text));
    FUZZ_CHECK(AnswerReader::parseSnoozeChoices(Format(entries)) == entries);
}

// Input bytes, 9 per page: chunk id (4), snooze index (4), timed out (1).
QJsonArray ChoicesFrom(const uint8_t* data, size_t size)
{
    QJsonArray entries;
    for (size_t at = 0; at + 9 <= size; at += 9) {
        int32_t chunkId = 0;
        int32_t snooze = 0;
        std::memcpy(&chunkId, data + at, sizeof chunkId);
        std::memcpy(&snooze, data + at + 4, sizeof snooze);
        entries.append(QJsonObject{
            {"chunkId", chunkId}, {"snoozeIndex", snooze}, {"timedOut", (data[at + 8] & 1) != 0}});
    }
    return entries;
}

void CheckWrittenChoices(const uint8_t* data, size_t size)
{
    const QJsonArray written = ChoicesFrom(data, size);
    const QString text = Format(written);
    FUZZ_CHECK(AnswerReader::parseSnoozeChoices(text) == written);
    FUZZ_CHECK(AnswerReader::parseSnoozeChoices(text + QStringLiteral("snooze\n")) == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckAnyText(data, size);
    CheckWrittenChoices(data, size);
    return 0;
}
