#!/usr/bin/python3
"""VORAMenuBar and VUserAlert on GNOME Shell 43, the desktop most users
have: a headless shell of the test's own (gnome_session.py) with Debian's
AppIndicator extension as its StatusNotifierItem host.

Checks, each seen in the shell's own screenshots:
- the tray item is registered by the host and its icon, with the connected
  state's green dot, is in the top bar;
- a right click and a left click on it open its menu (the host tells the
  item "opened" over com.canonical.dbusmenu and draws the menu below the
  top bar), Escape closes it;
- the icon follows the helper: the red dot once the helper reports
  disconnected, the green one once it is back;
- a dialog on Xwayland stays above an ordinary X11 window that is mapped and
  activated after it;
- the dialog shows as a native Wayland client too.

Usage: gnome_shell_test.py BIN_DIR OUTPUT_DIR [--sanitized]
The screenshots are left in OUTPUT_DIR. Exit status 77: skipped.
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing of the run lands in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402  (outside the try: a missing module is a failure, not a skip)

try:
    from gnome_session import BUTTON_LEFT, BUTTON_RIGHT, KEY_ESCAPE, GnomeSession, wait_until
except (ImportError, ValueError) as error:
    print(f"SKIP: no GObject bindings for Gio and GdkPixbuf ({error}); Debian: python3-gi gir1.2-gdkpixbuf-2.0")
    sys.exit(77)

MISSING = [tool for tool in ("gnome-shell", "Xwayland", "dbus-daemon", "dbus-monitor", "gsettings", "unshare",
                             "xdotool", "xmessage", "xdpyinfo", "xwininfo") if shutil.which(tool) is None]
EXTENSION_DIR = "/usr/share/gnome-shell/extensions/ubuntu-appindicators@ubuntu.com"

GREEN, RED = (0x2E, 0xB8, 0x5C), (0xD6, 0x3B, 0x3B)  # the state dots of the tray icons
BLUE = (0x16, 0x70, 0xBF)  # the connected icon's body
MAGENTA = (255, 0, 255)  # the ordinary window under the dialog
LIGHT = (255, 255, 255)  # near it: the dialog's face
TOP_BAR = (640, 0, 640, 32)  # its right half: status items and system menu
MENU = (0x30, 0x30, 0x30)  # the background of the shell's popup menus
MENU_ENTRIES = 5  # the state, Run Inventory, Restart Agent, About VORA, Quit

check = Checks()


def box_of(points):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def read(path):
    with open(path, errors="replace") as text:
        return text.read()


class Helper:
    """The stand-in's helper service on the session's private system bus."""

    def __init__(self, session, bin_dir):
        self.out = os.path.join(session.output, "helper.out")
        self.process = session.spawn([os.path.join(bin_dir, "vora-agent"), "helper", "--connected"],
                                     session.env, self.out)
        self.ready = wait_until(lambda: "ready" in read(self.out), 15)

    def send(self, command):
        self.process.stdin.write((command + "\n").encode())
        self.process.stdin.flush()
        return wait_until(lambda: f"ok {command}" in read(self.out), 10)

    def report(self, connected):
        return self.send(f"connected {'true' if connected else 'false'}") and self.send(
            "post com.orvel.vora.agentWasRestarted")


def item_icon(session, name, dot, seconds=20):
    """The top bar's screenshot and the item's state dot in it, once the
    dot shows (bounded wait: the host loads the icon after registering)."""
    found = {}

    def shows():
        image = session.screenshot(name)
        found["image"] = image
        found["dot"] = image.points(TOP_BAR, dot)
        return len(found["dot"]) >= 10

    wait_until(shows, seconds, interval=0.3)
    return found.get("image"), found.get("dot", [])


def where(image):
    return image.path if image is not None else "no screenshot"


def tray_item(session, bin_dir, root):
    helper = Helper(session, bin_dir)
    if not check(helper.ready, "the helper's stand-in owns its name on the private system bus"):
        return
    out = os.path.join(session.output, "menubar.out")
    environment = dict(session.wayland, QT_QPA_PLATFORM="wayland", VORA_AGENT_ROOT=root)
    menubar = session.spawn([os.path.join(bin_dir, "VORAMenuBar")], environment, out)
    shown = "Showing the status item in the system tray (StatusNotifierItem host)"
    if not check(wait_until(lambda: shown in read(out) and "Agent is CONNECTED" in read(out), 20),
                 f"VORAMenuBar finds GNOME's tray host and the helper ({read(out).strip()!r})"):
        return

    def ours(item):
        # "BUS_NAME@/PATH" (the AppIndicator host) or "BUS_NAME/PATH"
        return session.name_pid(item.split("/")[0].rstrip("@")) == menubar.pid

    check(wait_until(lambda: any(ours(item) for item in session.registered_items()), 10),
          f"the AppIndicator host registered the item ({list(session.registered_items())})")
    item = next((item for item in session.registered_items() if ours(item)), "")
    if item:
        # The shell shows no tool tips; it names the item by its Title.
        title = session.item_title(item)
        check(title == "VORA agent", f"the item's title names the product ({title!r})")

    image, dot = item_icon(session, "tray-connected", GREEN)
    if not check(len(dot) >= 10, f"the top bar shows the item's green dot ({len(dot)} pixels, {where(image)})"):
        return
    x, y, w, h = box_of(dot)
    body = image.count((x - 16, 0, w + 16, 32), BLUE)
    check(body >= 20, f"the green dot sits on the connected icon's blue body ({body} pixels)")
    check(image.count(TOP_BAR, RED) == 0, "no red dot while connected")

    menu(session, (x + w // 2 - 4, y + h // 2 - 4))
    check(helper.report(False), "the helper reports disconnected")
    image, red = item_icon(session, "tray-disconnected", RED)
    check(len(red) >= 10 and image.count(TOP_BAR, GREEN) == 0,
          f"the item turns to the red dot ({len(red)} pixels, {where(image)})")
    check(helper.report(True), "the helper reports connected again")
    image, green = item_icon(session, "tray-reconnected", GREEN)
    check(len(green) >= 10, f"the item turns back to the green dot ({len(green)} pixels, {where(image)})")

    # The helper leaving and coming back without any notification: the item
    # follows its bus name, well before the 30 s refresh.
    helper.process.stdin.write(b"quit\n")
    helper.process.stdin.flush()
    helper.process.wait(timeout=10)
    # Without a helper the item shows its plain image: no state dot at all.
    gone = wait_until(lambda: session.screenshot("tray-helper-gone").count(TOP_BAR, GREEN) == 0, 5, interval=0.3)
    check(gone, "the item drops the connected dot as soon as the helper leaves")
    helper = Helper(session, bin_dir)
    check(helper.ready, "the helper's stand-in is back on the private system bus")
    image, green = item_icon(session, "tray-helper-back", GREEN, seconds=5)
    check(len(green) >= 10, f"the item shows the returned helper at once ({len(green)} pixels, {where(image)})")


def menu_entries(image, below):
    """The entries of a popup menu drawn in area below (the shell's menu
    background, text lines counted as bands of bright rows); None when no
    menu shows there."""
    background = image.points(below, MENU)
    if len(background) < 20000:
        return None
    x, y, w, h = box_of(background)
    bright = [any(sum(image.pixel(column, row)) > 360 for column in range(x, x + w)) for row in range(y, y + h)]
    return sum(1 for row in range(len(bright)) if bright[row] and (row == 0 or not bright[row - 1]))


def menu(session, at):
    """Opens the item's menu with a right click and with a left click, as a
    user does, and closes it with Escape each time."""
    log = os.path.join(session.output, "dbusmenu.log")
    monitor = session.spawn(["dbus-monitor", "--address", session.env["DBUS_SESSION_BUS_ADDRESS"],
                             "type='method_call',interface='com.canonical.dbusmenu'"], session.env, log)
    wait_until(lambda: "NameAcquired" in read(log), 5)

    def told(event):
        return sum(f'string "{event}"' in call for call in read(log).split("member=Event")[1:])

    below = (max(at[0] - 320, 0), 32, 640, 320)
    shown = {"image": None, "entries": None}

    def drawn(name):
        shown["image"] = session.screenshot(name)
        shown["entries"] = menu_entries(shown["image"], below)
        return shown["entries"] is not None

    for side, button in (("right", BUTTON_RIGHT), ("left", BUTTON_LEFT)):
        opened, closed = told("opened"), told("closed")
        session.click(*at, button)
        check(wait_until(lambda: told("opened") > opened, 10),
              f"a {side} click on the item opens its menu (dbusmenu \"opened\")")
        wait_until(lambda: drawn(f"tray-menu-{side}"), 5, interval=0.2)
        check(shown["entries"] == MENU_ENTRIES,
              f"the top bar shows the menu below the item with its {MENU_ENTRIES} entries "
              f"({shown['entries']}, {where(shown['image'])})")
        session.key(KEY_ESCAPE)
        check(wait_until(lambda: told("closed") > closed, 10), "Escape closes the menu (dbusmenu \"closed\")")
        check(wait_until(lambda: not drawn(f"tray-menu-{side}-closed"), 5, interval=0.2),
              f"the menu is gone from the screen ({where(shown['image'])})")
    check("member=AboutToShow" in read(log), "the host asks the item to prepare its menu (AboutToShow)")
    monitor.terminate()


def dialog_above_window(session, bin_dir, root):
    """A Yes/No dialog on Xwayland, then an ordinary X11 window mapped and
    activated over the same place: the dialog must stay in front."""
    x11 = dict(session.x11, QT_QPA_PLATFORM="xcb", VORA_AGENT_ROOT=root)
    alert = session.spawn([os.path.join(bin_dir, "VUserAlert"), "-suffix=gnome", "-name=GNOME check",
                           "-title=Software Deployment", "-message=Install the editor now?", "-yesno"],
                          x11, os.path.join(session.output, "dialog.out"))
    dialog = find_window(x11, "GNOME check")
    if not check(dialog is not None, "the dialog's window is mapped on Xwayland"):
        return
    ordinary = session.spawn(["xmessage", "-bg", "magenta", "-fg", "magenta", "-geometry", "1000x640+140+120",
                   "an ordinary window"], x11, os.path.join(session.output, "xmessage.out"))
    window = find_window(x11, "xmessage")
    if not check(window is not None, "the ordinary window is mapped"):
        return
    subprocess.run(["xdotool", "windowactivate", window], env=x11, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    check(wait_until(lambda: active_window(x11) == window, 5), "the ordinary window is the active one")

    area = geometry(x11, dialog)
    shown = {"image": None, "inside": -1, "around": 0, "light": 0}

    def dialog_in_front():
        image = session.screenshot("dialog-over-window")
        shown.update(image=image, inside=image.count(inset(area, 4), MAGENTA, 0),
                     around=image.count((0, 32, 1280, 768), MAGENTA, 0),
                     light=image.count(area, LIGHT, 150))
        return shown["inside"] == 0 and shown["around"] > 0

    wait_until(dialog_in_front, 10, interval=0.5)
    check(shown["around"] >= 100000, f"the ordinary window shows around the dialog ({shown['around']} pixels)")
    check(shown["inside"] == 0, f"the dialog at {area} is in front of it ({shown['inside']} pixels of the "
          f"window show through, {where(shown['image'])})")
    check(shown["light"] >= area[2] * area[3] // 2, f"the dialog is drawn: its light face covers most of its area "
          f"({shown['light']} of {area[2] * area[3]} pixels)")
    for process in (alert, ordinary):
        process.terminate()
        process.wait(timeout=10)


def light_area(image):
    return image.count((0, 32, 1280, 768), LIGHT, 150)


def dialog_native(session, bin_dir, root):
    """The dialog as a native Wayland client of the shell: it shows."""
    check(wait_until(lambda: light_area(session.screenshot("dialog-wayland-before")) < 1000, 10),
          "the desktop is empty before the Wayland dialog")
    alert = session.spawn([os.path.join(bin_dir, "VUserAlert"), "-suffix=gnome-wayland", "-name=GNOME check",
                           "-title=Software Deployment", "-message=Install the editor now?", "-yesno"],
                          dict(session.wayland, QT_QPA_PLATFORM="wayland", VORA_AGENT_ROOT=root),
                          os.path.join(session.output, "dialog-wayland.out"))
    shown = {"light": 0}

    def drawn():
        shown["light"] = light_area(session.screenshot("dialog-wayland"))
        return shown["light"] >= 100000

    check(wait_until(drawn, 15, interval=0.5),
          f"the dialog shows as a native Wayland window ({shown['light']} pixels of its light face)")
    alert.terminate()


def inset(area, margin):
    x, y, w, h = area
    return x + margin, y + margin, w - 2 * margin, h - 2 * margin


def find_window(x11, name):
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", f"^{name}$"], env=x11,
                           capture_output=True, text=True, timeout=20)
    return found.stdout.split()[0] if found.returncode == 0 and found.stdout.split() else None


def active_window(x11):
    return subprocess.run(["xdotool", "getactivewindow"], env=x11, capture_output=True, text=True).stdout.strip()


def geometry(x11, window):
    """The window's area on the screen, frame excluded."""
    info = subprocess.run(["xwininfo", "-id", window], env=x11, capture_output=True, text=True).stdout
    values = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
    return tuple(int(values[key]) for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    # The shell writes screenshots to absolute paths only.
    bin_dir, output = sys.argv[1], os.path.abspath(sys.argv[2])
    if "--sanitized" in sys.argv:
        print("SKIP: the GNOME Shell test runs in the normal build only (one GNOME session a CI run; "
              "the sanitized programs run under the Xvfb and weston tests)")
        return 77
    missing = MISSING + ([] if os.path.isdir(EXTENSION_DIR) else ["gnome-shell-extension-appindicator"])
    if missing:
        print(f"SKIP: {', '.join(missing)} missing (scripts/install-deps.sh)")
        return 77

    shutil.rmtree(output, ignore_errors=True)
    os.makedirs(output)
    work = tempfile.mkdtemp(prefix="vora-gnome-")
    session = GnomeSession(work, output)
    try:
        error = session.start()
        if not check(error is None, error or "GNOME Shell runs headless with its tray host"):
            print(read(session.log_path)[-3000:])
            return check.verdict()
        root = os.path.join(work, "root")
        os.makedirs(os.path.join(root, "Orvel", "VORA", "data"))
        with open(os.path.join(root, "Orvel", "VORA", "data", "arn.conf"), "w") as conf:
            conf.write("launchmenu=true\n")
        tray_item(session, bin_dir, root)
        dialog_above_window(session, bin_dir, root)
        dialog_native(session, bin_dir, root)
    finally:
        session.stop()
        shutil.rmtree(work, ignore_errors=True)
    print(f"screenshots and logs: {output}")
    return check.verdict()


if __name__ == "__main__":
    sys.exit(main())
