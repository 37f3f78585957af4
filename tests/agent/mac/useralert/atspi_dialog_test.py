#!/usr/bin/python3
"""VUserAlert as a screen reader sees it: the dialog runs under an Xvfb of
its own with Qt's AT-SPI bridge always on, and this reads its tree over
AT-SPI in the session of its own that tests/support/private-session.sh
gives it (CTest runs `private-session.sh atspi_dialog_test.py VUSERALERT`).

Checks: the window is a dialog named by its title with the message in its
description; the logo is an image; the progress animation a busy progress
bar with a name; the date and the page counter are named with their values;
the snooze list is labelled, named by its label and has its value as its
text; every button has its localized name, in English and in German. Exit status 77: a tool is missing (skipped).
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing of the run lands in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../support"))
from checks import Checks, wait_until  # noqa: E402

try:
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError) as error:
    print(f"SKIP: no AT-SPI bindings ({error}); Debian: gir1.2-atspi-2.0 python3-gi")
    sys.exit(77)

SUFFIX = "atspi"
check = Checks()


def wait_for(condition, seconds=20.0):
    """wait_until, with an AT-SPI error (the tree changing under a
    question) counted as not yet."""
    return wait_until(condition, seconds, not_yet=(gi.repository.GLib.Error,))


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x500x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    return server, ":" + number


def walk(node):
    yield node
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            yield from walk(child)


def states(node):
    return node.get_state_set()


def find_dialog_app(pid):
    desktop = Atspi.get_desktop(0)
    for index in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(index)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def labelled_by(node):
    names = []
    for relation in node.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            names += [relation.get_target(i).get_name() for i in range(relation.get_n_targets())]
    return names


class Dialog:
    def __init__(self, binary, display, root, language, options):
        environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", VORA_AGENT_ROOT=root,
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        environment.pop("WAYLAND_DISPLAY", None)
        environment.update(language)
        self.process = subprocess.Popen([binary, f"-suffix={SUFFIX}"] + options, env=environment,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.app = None
        wait_for(lambda: self.window() is not None)

    def window(self):
        self.app = self.app or find_dialog_app(self.process.pid)
        if self.app is None:
            return None
        self.app.clear_cache()
        for index in range(self.app.get_child_count()):
            child = self.app.get_child_at_index(index)
            # Not the screen reader's announcements, which are the
            # application's children too.
            if (child is not None and states(child).contains(Atspi.StateType.SHOWING)
                    and child.get_role() != Atspi.Role.NOTIFICATION):
                return child
        return None

    def nodes(self, role=None):
        window = self.window()
        found = list(walk(window)) if window is not None else []
        return [node for node in found if role is None or node.get_role() == role]

    def named(self, role, name):
        return [node for node in self.nodes(role) if node.get_name() == name]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)


def marker(root, name):
    user = os.path.join(root, "Orvel", "VORA", "data", "user")
    os.makedirs(user, exist_ok=True)
    with open(os.path.join(user, f"VUSERALERT_{name}.{SUFFIX}"), "w"):
        pass
    return os.path.join(user, f"VUSERALERT_{name}.{SUFFIX}")


def english_multi_page(binary, display, root):
    dialog = Dialog(binary, display, root, {"LANG": "en_US.UTF-8", "LANGUAGE": "en"},
                    ["-name=Updates", "-title=Installing updates",
                     "-multisnoozemessage=PRE7^Editor^Update the editor^30^^8^Browser^Update the browser^30"])
    try:
        window = dialog.window()
        check(window is not None, "the dialog's window is in the AT-SPI tree")
        if window is None:
            return
        check(window.get_role() in (Atspi.Role.DIALOG, Atspi.Role.ALERT),
              f"the window is a dialog or an alert (is {window.get_role_name()})")
        check(window.get_name() == "Updates", f"the window is named by its title ({window.get_name()!r})")
        check("Update the editor" in window.get_description(),
              f"the message is the window's description ({window.get_description()!r})")

        check(len(dialog.named(Atspi.Role.IMAGE, "Company logo")) == 1, "the logo is an image named Company logo")
        check(not dialog.named(Atspi.Role.PUSH_BUTTON, "Company logo"), "the logo is no push button")

        progress = marker(root, "PROGON")
        wait_for(lambda: not os.path.exists(progress))
        busy = dialog.named(Atspi.Role.PROGRESS_BAR, "Work in progress")
        check(len(busy) == 1 and states(busy[0]).contains(Atspi.StateType.BUSY)
              and wait_for(lambda: states(busy[0]).contains(Atspi.StateType.SHOWING)),
              "the progress animation is a busy indicator named Work in progress")

        dates = [node.get_name() for node in dialog.nodes(Atspi.Role.LABEL)
                 if node.get_name().startswith("Shown at ")]
        check(len(dates) == 1 and any(c.isdigit() for c in dates[0]) and dates[0].count(":") == 2,
              f"the date is read with its value ({dates})")
        check(wait_for(lambda: dialog.named(Atspi.Role.LABEL, "Page 1 of 2")), "the page counter reads Page 1 of 2")

        combos = dialog.nodes(Atspi.Role.COMBO_BOX)
        check(len(combos) == 1 and labelled_by(combos[0]) == ["Remind me in"],
              f"the snooze list is labelled Remind me in ({[labelled_by(c) for c in combos]})")
        check([c.get_name() for c in combos] == ["Remind me in"],
              f"the snooze list is named by its label ({[c.get_name() for c in combos]})")
        values = [c.get_text(0, c.get_character_count()) for c in combos if c.get_text_iface() is not None]
        check(values == ["Do not snooze"], f"the snooze list's text is its value ({values})")

        buttons = dialog.nodes(Atspi.Role.PUSH_BUTTON)
        names = sorted(button.get_name() for button in buttons)
        check(names == sorted(["OK", "Cancel", "Snooze", "Yes", "No", "Back", "Next"]),
              f"every button has its name ({names})")

        next_button = [b for b in buttons if b.get_name() == "Next"][0]
        next_button.do_action(0)
        check(wait_for(lambda: dialog.named(Atspi.Role.LABEL, "Page 2 of 2")),
              "after Next the page counter reads Page 2 of 2")
        check(wait_for(lambda: "Update the browser" in dialog.window().get_description()),
              "the window's description follows the message")
    finally:
        dialog.stop()


def german_yes_no(binary, display, root):
    dialog = Dialog(binary, display, root, {"LANG": "de_DE.UTF-8", "LANGUAGE": "de"},
                    ["-name=Editor", "-message=Jetzt installieren?", "-yesno"])
    try:
        def buttons():
            return sorted(b.get_name() for b in dialog.nodes(Atspi.Role.PUSH_BUTTON)
                          if states(b).contains(Atspi.StateType.SHOWING))

        # The window may be announced before its controls are.
        wait_for(lambda: buttons() == ["Ja", "Nein"])
        shown = buttons()
        check(shown == ["Ja", "Nein"], f"the buttons have their German names ({shown})")
        check(len(dialog.named(Atspi.Role.IMAGE, "Firmenlogo")) == 1, "the logo's name is German")
        dates = [node.get_name() for node in dialog.nodes(Atspi.Role.LABEL)
                 if node.get_name().startswith("Angezeigt um ")]
        check(len(dates) == 1, f"the date is read in German with its value ({dates})")
    finally:
        dialog.stop()


def main():
    if len(sys.argv) != 2:
        print("usage: atspi_dialog_test.py VUSERALERT", file=sys.stderr)
        return 2
    if shutil.which("Xvfb") is None or "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        print("SKIP: needs Xvfb and a session bus (run through tests/support/private-session.sh)")
        return 77
    # The accessibility bus and its registry start on the first question.
    Atspi.get_desktop(0).get_child_count()
    server, display = start_xvfb()
    root = tempfile.mkdtemp(prefix="vua-atspi-")
    try:
        english_multi_page(sys.argv[1], display, root)
        german_yes_no(sys.argv[1], display, root)
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(root, ignore_errors=True)
    return check.verdict()


if __name__ == "__main__":
    sys.exit(main())
