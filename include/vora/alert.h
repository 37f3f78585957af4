/* libvora-alert: what an agent does with a VUserAlert dialog.
 *
 * The agent (root) starts a dialog for a user, steers it through command
 * markers in the shared marker directory and reads the answer the dialog
 * leaves there. This library does each step the safe way: markers are
 * published whole (a hidden random name, handed to the dialog's user,
 * renamed into place), a marker counts as taken only when the file
 * published is gone from its name, every wait is bounded, an answer is
 * believed only from a plain file of the dialog's user or root, and a
 * start first removes what an earlier dialog of the same suffix left.
 *
 * Errors: calls that can fail return 0 (or a count) on success and a
 * negative errno on failure; vora_alert_last_error() then holds an English
 * sentence for the caller's log. Nothing is thrown and nothing aborts.
 *
 * Threads: distinct handles may be used from distinct threads at once; one
 * handle is used by one thread at a time. Calls taking no handle are safe
 * from any thread, except vora_alert_set_log (set it before any other call).
 *
 * Blocking: only vora_alert_start (up to the dialog's exec, bounded at
 * 30 s), vora_alert_await_taken and vora_alert_wait (bounded by their
 * timeouts), and vora_alert_stop (bounded: SIGTERM, SIGKILL 5 s later)
 * wait; every other call does a few file-system calls and returns. */
#ifndef VORA_ALERT_H
#define VORA_ALERT_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VORA_ALERT_PUBLIC __attribute__((visibility("default")))

/* One dialog's channel: its suffix, its user and, when this library
 * started it, the dialog process. */
typedef struct vora_alert vora_alert;
/* An answer read from a dialog's result markers. */
typedef struct vora_alert_answer vora_alert_answer;

/* The commands an agent gives a running dialog. */
enum vora_alert_command {
    VORA_ALERT_MESSAGE = 1,  /* text: replaces the message */
    VORA_ALERT_APPEND = 2,   /* text: appended as a new line */
    VORA_ALERT_SHOW_OK = 3,  /* shows the OK button */
    VORA_ALERT_PROGRESS_ON = 4,
    VORA_ALERT_PROGRESS_OFF = 5,
    VORA_ALERT_TIMEOUT = 6,  /* text: the new time-out in seconds, "120" */
    VORA_ALERT_EXIT = 7,     /* closes the dialog */
    VORA_ALERT_FINISH = 8    /* Continue becomes Finish */
};

/* Why a result marker was not believed. */
enum vora_alert_refusal {
    VORA_ALERT_REFUSED_TYPE = 1,  /* a link, FIFO, directory or a second name */
    VORA_ALERT_REFUSED_OWNER = 2, /* another user's file */
    VORA_ALERT_REFUSED_SIZE = 3,  /* larger than 64 KiB */
    VORA_ALERT_REFUSED_ERROR = 4  /* it could not be read: see the errno */
};

/* How a started dialog ended (vora_alert_wait, vora_alert_stop). */
struct vora_alert_ending {
    int exited;         /* 1: it called exit(), exit_code holds the status */
    int exit_code;      /* -1 unless exited */
    int signal;         /* the signal that ended it, 0 when it exited */
    int ended_by_agent; /* 1: still there at the limit, ended by this library */
    int was_stopped;    /* with ended_by_agent: it was stopped (SIGSTOP) */
    int end_signal;     /* with ended_by_agent: SIGTERM, or SIGKILL */
};

/* The wait limit vora_alert_wait takes for VORA_ALERT_DIALOG_LIMIT. */
#define VORA_ALERT_DIALOG_LIMIT (-1L)

/* The sentence describing this thread's last failed call; "" when none
 * failed yet. Valid until the thread's next call into this library. */
VORA_ALERT_PUBLIC const char* vora_alert_last_error(void);

/* Where the library's notes go (an earlier answer it cannot remove, a
 * marker the dialog never took and that was removed): `log` with the
 * line (no line feed) and `data`. NULL (the default): standard error,
 * "libvora-alert: LINE". Not thread-safe: set it before other calls. */
VORA_ALERT_PUBLIC void vora_alert_set_log(void (*log)(const char* line, void* data), void* data);

/* The suffix the dialog started with `options` (its arguments without the
 * program name, NULL-terminated) names its markers with: the -suffix value
 * with every byte but ASCII letters and digits replaced by "X", or the MD5
 * digest of the decoded -name ("-name=Editor" ->
 * "c2d7b8e3..."). Stores it in *suffix (release with free()). -EINVAL when
 * the options start no dialog (-h, an unknown option). */
VORA_ALERT_PUBLIC int vora_alert_suffix(const char* const* options, char** suffix);

/* "Hello" -> "!ENC!SGVsbG8=!ENC!" into *encoded (release with free()), the
 * form -name, -message, -title and the page options take for any text. */
VORA_ALERT_PUBLIC int vora_alert_encode(const char* value, char** encoded);

/* Starts program (NULL: the installed VUserAlert) with `options` for
 * `user` (a name or a decimal uid; NULL: as the caller, who then needs no
 * privilege), in that user's graphical session when logind knows one.
 * Nothing of the caller crosses but an allow-listed environment taken from
 * `environment` ("NAME=value", NULL-terminated; NULL: the caller's):
 * see vora_alert_start(3). The dialog's output is copied to `output_fd`
 * (2 for the caller's standard error).
 * Before the start, every command and result marker of the options' suffix
 * is removed: one left by an earlier dialog would be obeyed by this one.
 * Blocks until the dialog's exec (at most 30 s). */
VORA_ALERT_PUBLIC int vora_alert_start(const char* user, const char* program, const char* const* options,
                                       const char* const* environment, int output_fd, vora_alert** alert);

/* The channel of a dialog running with `suffix`, started by someone else,
 * for `user` (as vora_alert_start; NULL: the caller). No process to wait
 * for: vora_alert_wait and vora_alert_stop answer -ECHILD. */
VORA_ALERT_PUBLIC int vora_alert_open(const char* suffix, const char* user, vora_alert** alert);

/* Ends a started dialog still running (as vora_alert_stop) and releases the
 * handle. NULL is ignored. */
VORA_ALERT_PUBLIC void vora_alert_free(vora_alert* alert);

/* The suffix of the dialog's markers; "" for options that start no
 * dialog. Valid while the handle lives. */
VORA_ALERT_PUBLIC const char* vora_alert_get_suffix(const vora_alert* alert);
/* One line for the log saying how and where a started dialog runs
 * ("pid 1234, started by the agent"); "" for vora_alert_open's handles.
 * Valid until the next call with the handle. */
VORA_ALERT_PUBLIC const char* vora_alert_describe(vora_alert* alert);
/* The seconds VORA_ALERT_DIALOG_LIMIT stands for: the dialog's -timeout
 * plus 15 s; a day plus 15 s without one, or for pages. */
VORA_ALERT_PUBLIC long vora_alert_get_wait_limit(const vora_alert* alert);
/* Whether a started dialog still runs (1) or ended (0); -ECHILD for
 * vora_alert_open's handles. */
VORA_ALERT_PUBLIC int vora_alert_running(vora_alert* alert);

/* Publishes a command marker for the dialog, owned by its user; `text` for
 * MESSAGE, APPEND and TIMEOUT (NULL stands for ""). MESSAGE removes an
 * untaken APPEND first; APPEND publishes its marker and then MESSAGE's.
 * A marker the dialog has not taken yet is replaced. */
VORA_ALERT_PUBLIC int vora_alert_publish(vora_alert* alert, enum vora_alert_command command, const char* text);

/* Waits until the dialog took the marker published last: until the file
 * published is no longer at its name, whatever another user put there
 * since. 0 when taken (or when nothing was published); -ETIMEDOUT after
 * timeout_ms; -ESRCH when a started dialog ended without taking it (the
 * marker is then removed, with a note). Blocks at most timeout_ms. */
VORA_ALERT_PUBLIC int vora_alert_await_taken(vora_alert* alert, long timeout_ms);

/* Removes the marker published last when the dialog has not taken it (an
 * agent giving up on a dialog it did not start: left there, the next
 * dialog of the suffix would obey it), with a note to the log. 1 when it
 * removed one, 0 when there was none to remove. Does not block. */
VORA_ALERT_PUBLIC int vora_alert_withdraw(vora_alert* alert);

/* Waits for a started dialog's end, at most timeout_ms
 * (VORA_ALERT_DIALOG_LIMIT: vora_alert_get_wait_limit seconds); one still
 * there then, running or stopped, is ended (SIGTERM and SIGCONT, SIGKILL
 * 5 s later) and `ending` says so. A marker it never took is removed.
 * -ECHILD for vora_alert_open's handles. */
VORA_ALERT_PUBLIC int vora_alert_wait(vora_alert* alert, long timeout_ms, struct vora_alert_ending* ending);

/* Ends a started dialog now (as at the wait limit) and fills `ending`
 * (may be NULL). Blocks at most about 5 s. */
VORA_ALERT_PUBLIC int vora_alert_stop(vora_alert* alert, struct vora_alert_ending* ending);

/* Reads what the dialog answered into *answer (release with
 * vora_alert_answer_free). A missing answer is no error: the word is then
 * NULL. Never blocks on what another user planted (FIFOs, links). */
VORA_ALERT_PUBLIC int vora_alert_read_answer(const vora_alert* alert, vora_alert_answer** answer);
VORA_ALERT_PUBLIC void vora_alert_answer_free(vora_alert_answer* answer);

/* "yes", "cancel", "snooze" or "continue"; NULL when the dialog left none
 * (closed by EXIT, its time-out without a default, or ended). */
VORA_ALERT_PUBLIC const char* vora_alert_answer_word(const vora_alert_answer* answer);
/* The lines of the answer's marker, empty lines left out. */
VORA_ALERT_PUBLIC size_t vora_alert_answer_line_count(const vora_alert_answer* answer);
VORA_ALERT_PUBLIC const char* vora_alert_answer_line(const vora_alert_answer* answer, size_t index);
/* The snooze choice of each page: "7:1F" -> chunk 7, snooze index 1, not
 * timed out. -ERANGE for an index past the end. */
VORA_ALERT_PUBLIC size_t vora_alert_answer_snooze_count(const vora_alert_answer* answer);
VORA_ALERT_PUBLIC int vora_alert_answer_snooze(const vora_alert_answer* answer, size_t index, int* chunk_id,
                                               int* snooze_index, int* timed_out);
/* Every result marker that was there but not believed: its path, the
 * reason (enum vora_alert_refusal), its errno (EPERM for an owner, EFBIG
 * for a size, ELOOP or EINVAL for a type, the failed call's for
 * VORA_ALERT_REFUSED_ERROR) and a sentence ("it belongs to a user who may
 * not write it"). */
VORA_ALERT_PUBLIC size_t vora_alert_answer_refused_count(const vora_alert_answer* answer);
VORA_ALERT_PUBLIC int vora_alert_answer_refused(const vora_alert_answer* answer, size_t index,
                                                const char** path, int* reason, int* error,
                                                const char** text);

#ifdef __cplusplus
}
#endif

#endif
