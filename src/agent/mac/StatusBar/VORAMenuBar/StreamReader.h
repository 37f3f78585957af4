#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>

#include <memory>
#include <optional>

// Reads a text file line by line in chunks, never loading it whole.
//
//   "a\nb\n"   -> "a", "b", then nothing
//   "a\nb"     -> "a", "b" (this call reaches the end), then nothing
//   "a\r\nb"   -> "a\r", "b" (only the delimiter is cut)
//   "\xff\nb"  -> nothing for the invalid line, then "b": check isAtEOF()
//                 to tell an undecodable line from the end
class StreamReader final
{
public:
    // No reader when the file cannot be opened for reading.
    static std::unique_ptr<StreamReader> init(const QString& path,
                                              const QString& delimeter = QStringLiteral("\n"),
                                              QStringConverter::Encoding encoding = QStringConverter::Utf8,
                                              qint64 chunkSize = 4096);
    ~StreamReader();
    StreamReader(const StreamReader&) = delete;
    StreamReader& operator=(const StreamReader&) = delete;

    std::optional<QString> nextLine();
    void rewind();

    const QByteArray& buffer() const { return m_buffer; }
    bool isAtEOF() const { return m_isAtEOF; }

private:
    StreamReader(std::unique_ptr<QFile> fileHandle, const QString& delimeter,
                 QStringConverter::Encoding encoding, qint64 chunkSize);
    std::optional<QString> decode(QByteArrayView bytes);

    // The encoding of every line; stateless, reset before each line.
    QStringDecoder m_decoder;
    qint64 m_chunkSize;
    std::unique_ptr<QFile> m_fileHandle;
    QByteArray m_buffer;
    QByteArray m_delimPattern;
    bool m_isAtEOF = false;
};
