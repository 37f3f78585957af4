#!/usr/bin/python3
"""VUserAlert as Orca speaks it: the real screen reader (speech off, its
debug output to a file) in the session of its own (session bus, runtime
directory, accessibility bus) that tests/support/private-session.sh gives
this test, the dialog on an Xvfb of its own under a window manager (xfwm4),
keys typed with xdotool. What Orca would have said is read from its
"SPEECH OUTPUT" lines.

Nothing turns Qt's AT-SPI bridge on but Orca itself, as on a desktop.

Checks: a Yes/No dialog is read with its title, heading, message and the
answer its time-out will give; Tab reads each button; a replaced message is
spoken, an appended one is not; a three-page snooze dialog reads its page,
the snooze list by its label and value, a new value, and each new page with
its message. Exit status 77: orca is not installed (skipped).
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import tty

sys.dont_write_bytecode = True  # nothing of the run lands in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../support"))
from checks import Checks, wait_until  # noqa: E402

if shutil.which("orca") is None:
    print("SKIP: orca is not installed (Debian: orca)")
    sys.exit(77)

SUFFIX = "orca"
# Long enough for a loaded machine; nothing waits this long when it works.
PATIENCE = 30.0
STARTUP_PATIENCE = 120.0
check = Checks()


class Desktop:
    """Xvfb with xfwm4, the window manager that activates new windows."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x500x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.env = dict(os.environ, DISPLAY=":" + pipe.readline().strip())
        self.env.pop("WAYLAND_DISPLAY", None)
        self.manager = subprocess.Popen(["xfwm4", "--compositor=off"], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: b"window id" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env, capture_output=True).stdout, PATIENCE)

    def keys(self, *names):
        for name in names:
            subprocess.run(["xdotool", "key", name], env=self.env, check=True)

    def stop(self):
        for process in (self.manager, self.server):
            process.terminate()
            process.wait(timeout=10)


class Orca:
    """Orca with speech, braille and sound off; every utterance still goes
    to its debug output. That output goes to a terminal made for it: Python
    writes a file line by line only when it is a terminal, and in blocks of
    8 KiB otherwise, which would hold back what was just spoken."""

    # "SPEECH OUTPUT: 'Next push button.'{...}", "SPEECH OUTPUT: 'tab ' {...}"
    SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'(?: voice=\w+)? ?\{", re.DOTALL)

    def __init__(self, desktop, work):
        prefs = os.path.join(work, "orca")
        os.makedirs(prefs)
        settings = {"enableSpeech": False, "enableBraille": False, "enableSound": False}
        with open(os.path.join(prefs, "user-settings.conf"), "w") as file:
            json.dump({"general": settings, "profiles": {"default": {"profile": ["Default", "default"]}},
                       "pronunciations": {}, "keybindings": {}}, file)
        self.log = os.path.join(work, "orca.log")
        self.lock = threading.Lock()
        self.chunks = []
        self.terminal, self.debug_end = os.openpty()
        tty.setraw(self.debug_end)
        self.reader = threading.Thread(target=self.read_debug_output, daemon=True)
        self.reader.start()
        self.output = open(os.path.join(work, "orca.out"), "w")
        # The accessibility bus first, with time to start on a loaded machine:
        # Orca gives up on it after D-Bus's 25 s.
        subprocess.run(["dbus-send", "--session", "--print-reply", "--reply-timeout=120000", "--dest=org.a11y.Bus",
                        "/org/a11y/bus", "org.a11y.Bus.GetAddress"], stdout=subprocess.DEVNULL, check=True)
        self.process = subprocess.Popen(["orca", "-u", prefs, "--debug-file", os.ttyname(self.debug_end)],
                                        env=desktop.env, stdout=self.output, stderr=subprocess.STDOUT)
        check(wait_until(lambda: "ORCA: Starting registry" in self.text(), STARTUP_PATIENCE),
              "Orca starts and listens")

    def read_debug_output(self):
        with open(self.log, "wb") as copy:
            while True:
                try:
                    chunk = os.read(self.terminal, 65536)
                except OSError:
                    return
                if not chunk:
                    return
                copy.write(chunk)
                copy.flush()
                with self.lock:
                    self.chunks.append(chunk.decode(errors="replace"))

    def text(self):
        with self.lock:
            return "".join(self.chunks)

    def spoken(self):
        return [" ".join(line.split()) for line in self.SPOKEN.findall(self.text())]

    def mark(self):
        return len(self.spoken())

    def heard(self, since, *parts):
        """Waits until one utterance after `since` holds every part (a string
        or a compiled pattern); answers it, or None."""
        def matches(line):
            return all(part.search(line) if isinstance(part, re.Pattern) else part in line for part in parts)
        found = []
        wait_until(lambda: found.extend(line for line in self.spoken()[since:] if matches(line)) or found, PATIENCE)
        return found[0] if found else None

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.output.close()
        os.close(self.debug_end)
        os.close(self.terminal)


class Dialog:
    def __init__(self, binary, desktop, root, options):
        environment = dict(desktop.env, QT_QPA_PLATFORM="xcb", VORA_AGENT_ROOT=root, LANG="en_US.UTF-8",
                           LANGUAGE="en")
        self.markers = os.path.join(root, "Orvel", "VORA", "data", "user")
        os.makedirs(self.markers, exist_ok=True)
        self.process = subprocess.Popen([binary, f"-suffix={SUFFIX}"] + options, env=environment,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def marker(self, name, content=""):
        """Publishes a marker whole, as the agent does; answers its path."""
        path = os.path.join(self.markers, f"VUSERALERT_{name}.{SUFFIX}")
        with open(path + ".new", "w") as file:
            file.write(content)
        os.replace(path + ".new", path)
        return path

    def message(self, text, append=False):
        if append:
            self.marker("APND")
        taken = self.marker("MESG", text)
        wait_until(lambda: not os.path.exists(taken), PATIENCE)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)


ANSWERS_YES = re.compile(r"If you do nothing, this dialog answers Yes at \d{1,2}:\d\d")


def yes_no(binary, desktop, orca, root):
    start = orca.mark()
    dialog = Dialog(binary, desktop, root, ["-name=Acme Desktop Alert", "-title=Software Deployment",
                                            "-message=Install Editor 2.1 now?", "-yesno", "-default=yes",
                                            "-timeout=600"])
    try:
        opening = orca.heard(start, "Acme Desktop Alert dialog")
        check(opening is not None, f"the dialog is announced by its title ({opening!r})")
        check(orca.heard(start, "Software Deployment") is not None, "the heading is read when the dialog appears")
        check(orca.heard(start, "Install Editor 2.1 now?") is not None, "the message is read when the dialog appears")
        check(orca.heard(start, ANSWERS_YES) is not None, "the dialog says that it will answer Yes, and when")

        for button in ("Yes", "No"):
            since = orca.mark()
            desktop.keys("Tab")
            check(orca.heard(since, f"{button} push button") is not None, f"Tab reads the {button} button")

        since = orca.mark()
        dialog.message("Install Editor 2.2 instead?")
        check(orca.heard(since, "Install Editor 2.2 instead?") is not None, "a replaced message is spoken")

        since = orca.mark()
        dialog.message("Downloading 48 MB", append=True)
        dialog.message("Ready to install")
        check(orca.heard(since, "Ready to install") is not None, "the next replaced message is spoken")
        check(not any("Downloading 48 MB" in line for line in orca.spoken()[since:]),
              "an appended message is not spoken")
    finally:
        dialog.stop()


def snooze_pages(binary, desktop, orca, root):
    start = orca.mark()
    dialog = Dialog(binary, desktop, root, [
        "-name=Updates", "-title=Installing updates",
        "-multisnoozemessage=PRE7^Editor 2.1^Update the editor^30^^8^Browser 118^Update the browser^30"
        "^^9^Mail^Set up the new mail server^30"])
    try:
        check(orca.heard(start, "Updates dialog", "Page 1 of 3") is not None, "the dialog is read with its page")
        check(orca.heard(start, "Update the editor", "goes on to the next page at") is not None,
              "the first page's message and its time-out are read")

        since = orca.mark()
        desktop.keys("Tab")
        check(orca.heard(since, "Remind me in combo box") is not None, "the snooze list is named by its label")
        check(orca.heard(since, "Do not snooze") is not None, "the snooze list's value is read")

        since = orca.mark()
        desktop.keys("Down")
        check(orca.heard(since, "1 hour") is not None, "a new snooze value is spoken")

        since = orca.mark()
        desktop.keys("Tab")
        check(orca.heard(since, "Next push button") is not None, "Tab reads the Next button")

        since = orca.mark()
        desktop.keys("space")
        check(orca.heard(since, "Page 2 of 3", "Update the browser") is not None,
              "Next reads the new page's place and message")

        since = orca.mark()
        desktop.keys("space")
        check(orca.heard(since, "Page 3 of 3", "Set up the new mail server",
                         re.compile(r"answers Continue at \d")) is not None,
              "the last page is read with the answer its time-out gives")

        since = orca.mark()
        desktop.keys("shift+Tab", "space")
        check(orca.heard(since, "Page 2 of 3", "Update the browser") is not None,
              "Back reads the page it goes back to")
    finally:
        dialog.stop()


def main():
    if len(sys.argv) != 2:
        print("usage: orca_dialog_test.py VUSERALERT", file=sys.stderr)
        return 2
    work = tempfile.mkdtemp(prefix="vua-orca-")
    desktop = Desktop()
    orca = Orca(desktop, work)
    try:
        if not check.failures:
            yes_no(sys.argv[1], desktop, orca, os.path.join(work, "root"))
            snooze_pages(sys.argv[1], desktop, orca, os.path.join(work, "root"))
    finally:
        orca.stop()
        desktop.stop()
        if check.failures:
            print(f"Orca's debug output: {orca.log}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    return check.verdict()


if __name__ == "__main__":
    sys.exit(main())
