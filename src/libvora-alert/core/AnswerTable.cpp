#include "AnswerTable.h"

#include "VUAMarkerMgr.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trimmed(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// "-12" at `text` up to `stop` -> -12; false for no digits or a number
// that does not fit an int.
bool ParseInt(const std::string& text, size_t begin, size_t stop, int* value)
{
    size_t digits = begin < stop && text[begin] == '-' ? begin + 1 : begin;
    if (digits >= stop) {
        return false;
    }
    for (size_t at = digits; at < stop; ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return false;
        }
    }
    errno = 0;
    const long long parsed = std::strtoll(text.substr(begin, stop - begin).c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

// "7:1F" -> {7, 1, false}; anything else, "7:1F " included, is no entry.
bool ParseEntry(const std::string& entry, VUASnoozeChoice* choice)
{
    const size_t colon = entry.find(':');
    if (colon == std::string::npos || entry.size() < colon + 3) {
        return false;
    }
    const char flag = entry.back();
    if (flag != 'T' && flag != 'F') {
        return false;
    }
    choice->timedOut = flag == 'T';
    return ParseInt(entry, 0, colon, &choice->chunkId) &&
           ParseInt(entry, colon + 1, entry.size() - 1, &choice->snoozeIndex);
}

std::vector<std::string> Words(const std::vector<std::string>& lines)
{
    std::vector<std::string> words;
    for (const std::string& line : lines) {
        if (!line.empty()) {
            words.push_back(line);
        }
    }
    return words;
}

} // namespace

std::vector<VUASnoozeChoice> ParseSnoozeChoices(const std::string& text)
{
    std::string choices = text;
    const size_t snooze = choices.find(AnswerWord(MARKER_SNOOZE));
    if (snooze != std::string::npos) {
        choices.resize(snooze);
    }
    choices = Trimmed(choices);
    std::vector<VUASnoozeChoice> entries;
    size_t begin = 0;
    while (begin <= choices.size()) {
        size_t end = choices.find(',', begin);
        if (end == std::string::npos) {
            end = choices.size();
        }
        VUASnoozeChoice choice;
        if (end > begin && ParseEntry(choices.substr(begin, end - begin), &choice)) {
            entries.push_back(choice);
        }
        begin = end + 1;
    }
    return entries;
}

VUAAnswer ReadAnswer(const VUAMarkerMgr& markers)
{
    VUAAnswer answer;
    for (const VUAAnswerMarker& marker : kAnswerMarkers) {
        std::vector<std::string> lines;
        const VResult read = markers.Read(marker.type, lines, kMaxAnswerBytes);
        if (!read) {
            if (read.kind != VResult::Kind::Missing) {
                answer.refused.push_back(
                    VUARefusedAnswer{marker.type, read, markers.GetFilePath(marker.type)});
            }
            continue;
        }
        if (marker.type == MARKER_SNOOZE) {
            const std::string text = JoinMarkerLines(lines);
            answer.snoozeChoices = ParseSnoozeChoices(text);
            // Choices alone are no snooze answer: only a "snooze" word is.
            if (text.find(marker.word) == std::string::npos) {
                continue;
            }
        }
        if (answer.type == MARKER_NONE) {
            answer.type = marker.type;
            answer.words = Words(lines);
        }
    }
    return answer;
}

std::string RefusalText(const VUARefusedAnswer& refused)
{
    std::string text = std::string("it ") + refused.result.text();
    if (refused.result.kind == VResult::Kind::Failed) {
        text += std::string(" (") + std::strerror(refused.result.error) + ")";
    }
    return text;
}
