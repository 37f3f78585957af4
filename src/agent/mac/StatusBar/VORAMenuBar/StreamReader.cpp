#include "StreamReader.h"

#include <algorithm>

std::unique_ptr<StreamReader> StreamReader::init(const QString& path, const QString& delimeter,
                                                 QStringConverter::Encoding encoding, qint64 chunkSize)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    return std::unique_ptr<StreamReader>(new StreamReader(std::move(file), delimeter, encoding, chunkSize));
}

StreamReader::StreamReader(std::unique_ptr<QFile> fileHandle, const QString& delimeter,
                           QStringConverter::Encoding encoding, qint64 chunkSize)
    : m_decoder(encoding, QStringDecoder::Flag::Stateless), m_chunkSize(chunkSize > 0 ? chunkSize : 4096),
      m_fileHandle(std::move(fileHandle)), m_delimPattern(delimeter.toUtf8())
{
    m_buffer.reserve(static_cast<qsizetype>(m_chunkSize));
}

StreamReader::~StreamReader()
{
    m_fileHandle->close();
}

std::optional<QString> StreamReader::decode(QByteArrayView bytes)
{
    m_decoder.resetState();
    QString text = m_decoder.decode(bytes);
    if (m_decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

std::optional<QString> StreamReader::nextLine()
{
    if (m_isAtEOF) {
        return std::nullopt;
    }
    // Bytes already searched are not searched again when a chunk arrives,
    // so a long line costs one pass, not one pass per chunk. A delimiter
    // may straddle the old end: with "\r\n", "...\r" + "\n..." is found
    // by starting one byte before it.
    qsizetype searchFrom = 0;
    for (;;) {
        const qsizetype found = m_delimPattern.isEmpty() ? -1 : m_buffer.indexOf(m_delimPattern, searchFrom);
        if (found >= 0) {
            std::optional<QString> line = decode(QByteArrayView(m_buffer.constData(), found));
            // Removing from the front only moves the array's start.
            m_buffer.remove(0, found + m_delimPattern.size());
            return line;
        }
        searchFrom = std::max<qsizetype>(0, m_buffer.size() - m_delimPattern.size() + 1);
        const QByteArray chunk = m_fileHandle->read(m_chunkSize);
        if (chunk.isEmpty()) {
            m_isAtEOF = true;
            if (m_buffer.isEmpty()) {
                return std::nullopt;
            }
            return decode(m_buffer);
        }
        m_buffer.append(chunk);
    }
}

void StreamReader::rewind()
{
    m_fileHandle->seek(0);
    m_buffer.clear();
    m_buffer.reserve(static_cast<qsizetype>(m_chunkSize));
    m_isAtEOF = false;
}
