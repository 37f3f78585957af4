/* An agent's use of libvora-alert: ask a user a Yes/No question, steer the
 * dialog while it is open, print the answer.
 *
 *   cc -o yesno-agent yesno-agent.c $(pkg-config --cflags --libs vora-alert)
 *   ./yesno-agent [USER [PROGRAM]]
 *
 * USER is a name or uid (default: the caller); PROGRAM the dialog
 * (default: the installed VUserAlert). Prints "answer: yes", or
 * "answer: none" when the user chose No, closed the dialog or let it time
 * out. Exit status 0 when a dialog ran, 1 on any failure. */
#include <vora/alert.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Library notes (a marker removed untaken, ...) go to the agent's log. */
static void log_note(const char* line, void* data)
{
    (void)data;
    fprintf(stderr, "yesno-agent: %s\n", line);
}

static int failed(const char* what, int error)
{
    fprintf(stderr, "yesno-agent: %s: %s (%s)\n", what, vora_alert_last_error(), strerror(-error));
    return 1;
}

/* Publishes a command and waits, at most 10 s, until the dialog took it. */
static int steer(vora_alert* alert, enum vora_alert_command command, const char* text)
{
    int error = vora_alert_publish(alert, command, text);
    if (error == 0) {
        error = vora_alert_await_taken(alert, 10000);
    }
    return error;
}

static void print_answer(const vora_alert_answer* answer)
{
    const char* word = vora_alert_answer_word(answer);
    printf("answer: %s\n", word != NULL ? word : "none");
    for (size_t i = 0; i < vora_alert_answer_refused_count(answer); ++i) {
        const char* path = NULL;
        const char* why = NULL;
        vora_alert_answer_refused(answer, i, &path, NULL, NULL, &why);
        printf("refused: %s %s\n", path, why);
    }
}

int main(int argc, char** argv)
{
    const char* user = argc > 1 ? argv[1] : NULL;
    const char* program = argc > 2 ? argv[2] : NULL;
    const char* options[] = {"-name=Example Installer", "-message=Install the example update now?",
                             "-yesno", "-timeout=300", NULL};
    vora_alert* alert = NULL;
    vora_alert_set_log(log_note, NULL);

    /* Removes what an earlier dialog of this suffix left, then starts. */
    int error = vora_alert_start(user, program, options, NULL, 2, &alert);
    if (error != 0) {
        return failed("cannot start the dialog", error);
    }
    printf("dialog %s, suffix %s\n", vora_alert_describe(alert), vora_alert_get_suffix(alert));
    fflush(stdout);

    if ((error = steer(alert, VORA_ALERT_PROGRESS_ON, NULL)) != 0 ||
        (error = steer(alert, VORA_ALERT_MESSAGE, "Downloaded. Install the example update now?")) != 0) {
        /* -ESRCH: the user answered before the dialog took it. */
        if (error != -ESRCH) {
            vora_alert_free(alert);
            return failed("cannot steer the dialog", error);
        }
    }
    printf("steered: progress on, message replaced\n");
    fflush(stdout);

    struct vora_alert_ending ending;
    error = vora_alert_wait(alert, VORA_ALERT_DIALOG_LIMIT, &ending);
    if (error != 0) {
        vora_alert_free(alert);
        return failed("cannot wait for the dialog", error);
    }
    if (ending.ended_by_agent) {
        printf("the dialog outlived its time-out and was ended\n");
    }

    vora_alert_answer* answer = NULL;
    error = vora_alert_read_answer(alert, &answer);
    vora_alert_free(alert);
    if (error != 0) {
        return failed("cannot read the answer", error);
    }
    print_answer(answer);
    vora_alert_answer_free(answer);
    return 0;
}
