#include "AnswerReader.h"

#include "AnswerTable.h"
#include "vora/alert.h"

#include <cstdio>
#include <memory>

namespace {

QJsonObject Choice(int chunkId, int snoozeIndex, bool timedOut)
{
    return QJsonObject{{"chunkId", chunkId}, {"snoozeIndex", snoozeIndex}, {"timedOut", timedOut}};
}

QJsonArray Lines(const vora_alert_answer* answer)
{
    QJsonArray words;
    for (size_t i = 0; i < vora_alert_answer_line_count(answer); ++i) {
        words.append(QString::fromUtf8(vora_alert_answer_line(answer, i)));
    }
    return words;
}

QJsonArray Choices(const vora_alert_answer* answer)
{
    QJsonArray entries;
    for (size_t i = 0; i < vora_alert_answer_snooze_count(answer); ++i) {
        int chunkId = 0;
        int snoozeIndex = 0;
        int timedOut = 0;
        vora_alert_answer_snooze(answer, i, &chunkId, &snoozeIndex, &timedOut);
        entries.append(Choice(chunkId, snoozeIndex, timedOut != 0));
    }
    return entries;
}

QJsonArray Refused(const vora_alert_answer* answer)
{
    QJsonArray rejected;
    for (size_t i = 0; i < vora_alert_answer_refused_count(answer); ++i) {
        const char* path = nullptr;
        const char* text = nullptr;
        vora_alert_answer_refused(answer, i, &path, nullptr, nullptr, &text);
        rejected.append(
            QJsonObject{{"marker", QString::fromLocal8Bit(path)}, {"reason", QString::fromUtf8(text)}});
    }
    return rejected;
}

} // namespace

AnswerReader::AnswerReader(const vora_alert* alert) : m_alert(alert) {}

QJsonArray AnswerReader::parseSnoozeChoices(const QString& text)
{
    QJsonArray entries;
    for (const VUASnoozeChoice& choice : ParseSnoozeChoices(text.toStdString())) {
        entries.append(Choice(choice.chunkId, choice.snoozeIndex, choice.timedOut));
    }
    return entries;
}

QJsonObject AnswerReader::read() const
{
    QJsonObject answer{
        {"result", QJsonValue::Null}, {"words", QJsonArray()}, {"snoozeChoices", QJsonArray()}};
    vora_alert_answer* raw = nullptr;
    if (vora_alert_read_answer(m_alert, &raw) != 0) {
        std::fprintf(stderr, "vora-agent: cannot read the answer: %s\n", vora_alert_last_error());
        return answer;
    }
    const std::unique_ptr<vora_alert_answer, void (*)(vora_alert_answer*)> read(raw, vora_alert_answer_free);
    answer["snoozeChoices"] = Choices(read.get());
    if (const char* word = vora_alert_answer_word(read.get())) {
        answer["result"] = QString::fromLatin1(word);
        answer["words"] = Lines(read.get());
    }
    const QJsonArray rejected = Refused(read.get());
    if (!rejected.isEmpty()) {
        answer["rejected"] = rejected;
        if (answer["result"].isNull()) {
            answer["result"] = QStringLiteral("rejected");
            answer["reason"] = rejected.first().toObject().value("marker").toString() + QLatin1Char(' ') +
                               rejected.first().toObject().value("reason").toString();
        }
    }
    return answer;
}
