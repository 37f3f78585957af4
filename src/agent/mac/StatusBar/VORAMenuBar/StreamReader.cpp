#include "StreamReader.h"

#include <QStringDecoder>

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
    : m_encoding(encoding), m_chunkSize(chunkSize > 0 ? chunkSize : 4096),
      m_fileHandle(std::move(fileHandle)), m_delimPattern(delimeter.toUtf8())
{
    m_buffer.reserve(static_cast<qsizetype>(m_chunkSize));
}

StreamReader::~StreamReader()
{
    m_fileHandle->close();
}

std::optional<QString> StreamReader::decode(const QByteArray& bytes) const
{
    QStringDecoder decoder(m_encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

std::optional<QString> StreamReader::nextLine()
{
    if (m_isAtEOF) {
        return std::nullopt;
    }
    for (;;) {
        const qsizetype found = m_delimPattern.isEmpty() ? -1 : m_buffer.indexOf(m_delimPattern);
        if (found >= 0) {
            const std::optional<QString> line = decode(m_buffer.left(found));
            m_buffer.remove(0, found + m_delimPattern.size());
            return line;
        }
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
