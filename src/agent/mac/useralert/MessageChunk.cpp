#include "MessageChunk.h"

MessageChunk::MessageChunk(const QString& packageName, const QString& message, int chunkId,
                           double timeOutSecs, bool timedOut)
    : m_packageName(packageName), m_message(message), m_chunkId(chunkId), m_timeOutSecs(timeOutSecs),
      m_timedOut(timedOut)
{
}
