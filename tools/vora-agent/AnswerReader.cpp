#include "AnswerReader.h"

#include "VUAMarkerMgr.h"

#include <QRegularExpression>

#include <string>
#include <vector>

namespace {

QJsonArray Words(const std::vector<std::string>& lines)
{
    QJsonArray words;
    for (const std::string& line : lines) {
        if (!line.empty()) {
            words.append(QString::fromStdString(line));
        }
    }
    return words;
}

} // namespace

AnswerReader::AnswerReader(const VUAMarkerMgr& markers) : m_markers(markers) {}

QJsonArray AnswerReader::parseSnoozeChoices(const QString& text)
{
    // Anchored at both ends: "$" alone would also take "8:0T\n".
    static const QRegularExpression kEntry(
        QRegularExpression::anchoredPattern(QStringLiteral("(-?\\d+):(-?\\d+)([TF])")));
    QString choices = text;
    const qsizetype snooze = choices.indexOf(QLatin1String(AnswerWord(MARKER_SNOOZE)));
    if (snooze >= 0) {
        choices.truncate(snooze);
    }
    QJsonArray entries;
    for (const QString& entry : choices.trimmed().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = kEntry.match(entry);
        if (!match.hasMatch()) {
            continue;
        }
        // "99999999999:0F" is no page the dialog wrote: left out, not read as 0.
        bool chunkIdFits = false;
        bool snoozeFits = false;
        const int chunkId = match.capturedView(1).toInt(&chunkIdFits);
        const int snooze = match.capturedView(2).toInt(&snoozeFits);
        if (!chunkIdFits || !snoozeFits) {
            continue;
        }
        entries.append(QJsonObject{{"chunkId", chunkId},
                                   {"snoozeIndex", snooze},
                                   {"timedOut", match.capturedView(3) == QLatin1String("T")}});
    }
    return entries;
}

QJsonObject AnswerReader::read() const
{
    QJsonObject answer{
        {"result", QJsonValue::Null}, {"words", QJsonArray()}, {"snoozeChoices", QJsonArray()}};
    QJsonArray rejected;
    for (const VUAAnswerMarker& marker : kAnswerMarkers) {
        std::vector<std::string> lines;
        VFileStatus status = VFileStatus::Missing;
        if (!m_markers.Read(marker.type, lines, kMaxAnswerBytes, &status)) {
            if (status != VFileStatus::Missing) {
                rejected.append(QJsonObject{
                    {"marker", QString::fromStdString(m_markers.GetFilePath(marker.type))},
                    {"reason", QStringLiteral("it ") + QString::fromLatin1(VFileStatusText(status))}});
            }
            continue;
        }
        const QJsonArray words = Words(lines);
        if (marker.type == MARKER_SNOOZE) {
            const std::string text = JoinMarkerLines(lines);
            answer["snoozeChoices"] = parseSnoozeChoices(QString::fromStdString(text));
            // Choices alone are no snooze answer: only a "snooze" word is.
            if (text.find(marker.word) == std::string::npos) {
                continue;
            }
        }
        if (answer["result"].isNull()) {
            answer["result"] = QString::fromLatin1(marker.word);
            answer["words"] = words;
        }
    }
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
