// StreamReader over bytes on disk, with a delimiter and chunk size chosen
// by the input's first byte.
//
// Property: the lines read are the file cut at every delimiter (the piece
// after the last one only when not empty), each decoded as strict UTF-8
// with one leading byte-order mark dropped, or nothing for an invalid piece;
// the one exception is an invalid last piece without delimiter, which reads
// as the end. A rewind reads the same lines again.
#include "FuzzCheck.h"
#include "StreamReader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

namespace {

using Lines = std::vector<std::optional<QString>>;

// The file each input is written to, removed when the run ends.
struct ScratchFile
{
    ~ScratchFile() { QFile::remove(path); }
    const QString path = QDir::tempPath() +
                         QStringLiteral("/vora-fuzz-streamreader-%1").arg(QCoreApplication::applicationPid());
};

const QString& FilePath()
{
    static const ScratchFile file;
    return file.path;
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool ValidUtf8(const QByteArray& bytes)
{
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = at + bytes.size();
    while (at < end) {
        const unsigned char lead = *at++;
        int more = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if (lead < 0x80) {
            continue;
        } else if (lead >= 0xc2 && lead <= 0xdf) {
            more = 1, code = lead & 0x1f, least = 0x80;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            more = 2, code = lead & 0x0f, least = 0x800;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            more = 3, code = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        for (; more > 0; --more) {
            if (at == end || (*at & 0xc0) != 0x80) {
                return false;
            }
            code = (code << 6) | (*at++ & 0x3f);
        }
        if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
            return false;
        }
    }
    return true;
}

// QString::fromUtf8 drops one leading byte-order mark, as the reader must.
std::optional<QString> Decoded(const QByteArray& piece)
{
    if (!ValidUtf8(piece)) {
        return std::nullopt;
    }
    return QString::fromUtf8(piece);
}

Lines Expected(const QByteArray& bytes, const QByteArray& delimiter)
{
    Lines lines;
    qsizetype from = 0;
    for (;;) {
        const qsizetype found = delimiter.isEmpty() ? -1 : bytes.indexOf(delimiter, from);
        if (found < 0) {
            break;
        }
        lines.push_back(Decoded(bytes.mid(from, found - from)));
        from = found + delimiter.size();
    }
    const QByteArray last = bytes.mid(from);
    if (!last.isEmpty() && ValidUtf8(last)) {
        lines.push_back(Decoded(last));
    }
    return lines;
}

Lines ReadAll(StreamReader& reader)
{
    Lines lines;
    for (;;) {
        std::optional<QString> line = reader.nextLine();
        if (!line && reader.isAtEOF()) {
            FUZZ_CHECK(!reader.nextLine());
            return lines;
        }
        lines.push_back(std::move(line));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    static const QString kDelimiters[] = {QStringLiteral("\n"), QStringLiteral("\r\n"), QString(),
                                          QStringLiteral("\u00fc"), QStringLiteral("aba")};
    const QString& delimiter = kDelimiters[(data[0] >> 4) % std::size(kDelimiters)];
    const qint64 chunkSize = (data[0] & 0x0f) == 0 ? 4096 : (data[0] & 0x0f);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    {
        QFile file(FilePath());
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   file.write(bytes) == bytes.size());
    }

    std::unique_ptr<StreamReader> reader =
        StreamReader::init(FilePath(), delimiter, QStringConverter::Utf8, chunkSize);
    FUZZ_CHECK(reader != nullptr);
    const Lines lines = ReadAll(*reader);
    FUZZ_CHECK(lines == Expected(bytes, delimiter.toUtf8()));
    reader->rewind();
    FUZZ_CHECK(ReadAll(*reader) == lines);
    return 0;
}
