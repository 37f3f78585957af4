#pragma once

#include <QStringList>

// Collects the lines written to the Qt message log while the object lives.
class MessageLog final
{
public:
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    QStringList lines() const;
    int count(const QString& line) const { return static_cast<int>(lines().count(line)); }
    bool contains(const QString& line) const { return lines().contains(line); }
};
