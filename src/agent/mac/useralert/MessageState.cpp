#include "MessageState.h"

MessageState::MessageState(const QString& message, bool append) : m_message(message), m_append(append) {}
