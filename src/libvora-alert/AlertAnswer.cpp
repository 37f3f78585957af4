// The answer calls of vora/alert.h.
#include "AlertHandle.h"

#include "AnswerTable.h"

using namespace vora_alert_detail;

struct vora_alert_answer
{
    VUAAnswer answer;
    std::vector<std::string> refusalTexts;
};

namespace {

int Reason(VResult::Kind kind)
{
    switch (kind) {
    case VResult::Kind::NotRegular:
        return VORA_ALERT_REFUSED_TYPE;
    case VResult::Kind::ForeignOwner:
        return VORA_ALERT_REFUSED_OWNER;
    case VResult::Kind::TooLarge:
        return VORA_ALERT_REFUSED_SIZE;
    default:
        return VORA_ALERT_REFUSED_ERROR;
    }
}

} // namespace

extern "C" {

int vora_alert_read_answer(const vora_alert* alert, vora_alert_answer** answer)
{
    return Guarded([&] {
        if (alert == nullptr || answer == nullptr) {
            return Fail(EINVAL, "vora_alert_read_answer: no dialog or no place for the answer");
        }
        auto read = std::make_unique<vora_alert_answer>();
        if (!alert->suffix.empty()) {
            read->answer = ReadAnswer(alert->markers);
        }
        for (const VUARefusedAnswer& refused : read->answer.refused) {
            read->refusalTexts.push_back(RefusalText(refused));
        }
        *answer = read.release();
        return 0;
    });
}

void vora_alert_answer_free(vora_alert_answer* answer)
{
    delete answer;
}

const char* vora_alert_answer_word(const vora_alert_answer* answer)
{
    return answer != nullptr ? AnswerWord(answer->answer.type) : nullptr;
}

size_t vora_alert_answer_line_count(const vora_alert_answer* answer)
{
    return answer != nullptr ? answer->answer.words.size() : 0;
}

const char* vora_alert_answer_line(const vora_alert_answer* answer, size_t index)
{
    if (answer == nullptr || index >= answer->answer.words.size()) {
        return nullptr;
    }
    return answer->answer.words[index].c_str();
}

size_t vora_alert_answer_snooze_count(const vora_alert_answer* answer)
{
    return answer != nullptr ? answer->answer.snoozeChoices.size() : 0;
}

int vora_alert_answer_snooze(const vora_alert_answer* answer, size_t index, int* chunk_id, int* snooze_index,
                             int* timed_out)
{
    if (answer == nullptr || index >= answer->answer.snoozeChoices.size()) {
        return Fail(ERANGE, "no such snooze choice");
    }
    const VUASnoozeChoice& choice = answer->answer.snoozeChoices[index];
    if (chunk_id != nullptr) {
        *chunk_id = choice.chunkId;
    }
    if (snooze_index != nullptr) {
        *snooze_index = choice.snoozeIndex;
    }
    if (timed_out != nullptr) {
        *timed_out = choice.timedOut ? 1 : 0;
    }
    return 0;
}

size_t vora_alert_answer_refused_count(const vora_alert_answer* answer)
{
    return answer != nullptr ? answer->answer.refused.size() : 0;
}

int vora_alert_answer_refused(const vora_alert_answer* answer, size_t index, const char** path, int* reason,
                              int* error, const char** text)
{
    if (answer == nullptr || index >= answer->answer.refused.size()) {
        return Fail(ERANGE, "no such refused answer");
    }
    const VUARefusedAnswer& refused = answer->answer.refused[index];
    if (path != nullptr) {
        *path = refused.path.c_str();
    }
    if (reason != nullptr) {
        *reason = Reason(refused.result.kind);
    }
    if (error != nullptr) {
        *error = refused.result.error;
    }
    if (text != nullptr) {
        *text = answer->refusalTexts[index].c_str();
    }
    return 0;
}

} // extern "C"
