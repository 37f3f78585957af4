"""A GNOME Shell session of a test's own: gnome-shell 43 headless on a
virtual monitor, in a mount namespace where /run/systemd is an empty tmpfs
(so it does not ask logind for a seat), on a private system bus and a
private session bus, with its settings in a private dconf database.

The test drives it the way a user's desktop would be driven:
- screenshots through org.gnome.Shell.Screenshot, which answers only a
  caller that owns the bus name org.gnome.Screenshot;
- pointer and keyboard through a mutter RemoteDesktop session (virtual
  input devices, which work headless);
- X11 clients reach its Xwayland with the auth file mutter leaves in
  XDG_RUNTIME_DIR.
"""

import glob
import os
import re
import signal
import subprocess
import sys
import time

import gi

gi.require_version("Gio", "2.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GLib  # noqa: E402

SUPPORT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")
sys.path.insert(0, SUPPORT_DIR)
import checks  # noqa: E402

WIDTH, HEIGHT = 1280, 800
APPINDICATOR = "ubuntu-appindicators@ubuntu.com"
BUTTON_LEFT, BUTTON_RIGHT = 0x110, 0x111  # evdev BTN_LEFT, BTN_RIGHT
KEY_ESCAPE = 0xFF1B

# Before the shell starts: the tray host on, no notification banners (a root
# session gets a lasting "privileged user" one over the top bar), no hot
# corner, no animations to wait for.
SETTINGS = [
    ("org.gnome.shell", "enabled-extensions", f"['{APPINDICATOR}']"),
    ("org.gnome.desktop.notifications", "show-banners", "false"),
    ("org.gnome.desktop.interface", "enable-hot-corners", "false"),
    ("org.gnome.desktop.interface", "enable-animations", "false"),
]


def wait_until(condition, seconds=20.0, interval=0.1):
    """checks.wait_until, with a D-Bus error (the shell still starting)
    counted as not yet."""
    return checks.wait_until(condition, seconds, interval, not_yet=(GLib.Error,))


def signal_group(process, number):
    try:
        os.killpg(process.pid, number)
    except ProcessLookupError:
        pass


class Image:
    """A screenshot's pixels, read as RGB."""

    def __init__(self, path):
        pixbuf = GdkPixbuf.Pixbuf.new_from_file(path)
        self.path = path
        self.width, self.height = pixbuf.get_width(), pixbuf.get_height()
        self._channels, self._stride = pixbuf.get_n_channels(), pixbuf.get_rowstride()
        self._pixels = pixbuf.get_pixels()

    def pixel(self, x, y):
        offset = y * self._stride + x * self._channels
        return tuple(self._pixels[offset:offset + 3])

    def points(self, box, colour, tolerance=40):
        """The points of box (x, y, w, h) within tolerance of colour."""
        x0, y0, w, h = box
        found = []
        for y in range(max(y0, 0), min(y0 + h, self.height)):
            for x in range(max(x0, 0), min(x0 + w, self.width)):
                if sum(abs(a - b) for a, b in zip(self.pixel(x, y), colour)) <= tolerance:
                    found.append((x, y))
        return found

    def count(self, box, colour, tolerance=40):
        return len(self.points(box, colour, tolerance))

    def differing(self, other, box):
        x0, y0, w, h = box
        return sum(1 for y in range(y0, y0 + h) for x in range(x0, x0 + w)
                   if self.pixel(x, y) != other.pixel(x, y))


class GnomeSession:
    def __init__(self, work, output):
        """work: a fresh directory for the session's files; output: where
        its log and the screenshots are left."""
        self.work, self.output = work, output
        self.runtime = os.path.join(work, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.log_path = os.path.join(output, "gnome-shell.log")
        self._processes = []
        self._shots = {}
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": os.path.join(work, "home"),
            "XDG_CONFIG_HOME": os.path.join(work, "config"),
            "XDG_CACHE_HOME": os.path.join(work, "cache"),
            "XDG_DATA_HOME": os.path.join(work, "data"),
            "XDG_RUNTIME_DIR": self.runtime,
            "LANG": "C.UTF-8",
        }
        # The environments of the session's clients, once it runs: native
        # Wayland ones and X11 ones on its Xwayland.
        self.wayland = self.x11 = None
        self.bus = None
        self._desktop = None

    # -- start and stop ---------------------------------------------------

    def start(self):
        """Starts buses and shell; an error line (str) when it could not."""
        self._start_system_bus()
        self._start_session_bus()
        for schema, key, value in SETTINGS:
            subprocess.run(["gsettings", "set", schema, key, value], env=self.env, check=True)
        self.bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
            None, None)
        # The screenshot interface answers only the screenshot tool's name.
        self._call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                   GLib.Variant("(su)", ("org.gnome.Screenshot", 4)))
        shell = self._start_shell()
        steps = [
            (lambda: self.has_name("org.gnome.Shell") and self._extension_state() == 1, 60,
             f"gnome-shell did not start with {APPINDICATOR} enabled"),
            (lambda: self.has_name("org.kde.StatusNotifierWatcher"), 20,
             f"{APPINDICATOR} registered no StatusNotifierWatcher"),
            # The overview opens as the start-up animation: left once that ends.
            (lambda: "GNOME Shell started at" in self._log(), 60, "gnome-shell did not finish starting up"),
            (self._leave_overview, 20, "the shell stays in its overview"),
            (self._find_xwayland, 20, "no Wayland and Xwayland displays in its log, or Xwayland does not answer"),
        ]
        for condition, seconds, error in steps:
            done = wait_until(lambda: shell.poll() is not None or condition(), seconds)
            if shell.poll() is not None:
                return f"gnome-shell ended (status {shell.returncode}) before: {error} (its log: {self.log_path})"
            if not done:
                return f"{error} (its log: {self.log_path})"
        self._desktop = RemoteDesktop(self)
        return None

    def stop(self):
        if self._desktop is not None:
            self._desktop.stop()
        # By group: what a process started (Xwayland, bus services) ends too.
        for process in reversed(self._processes):
            signal_group(process, signal.SIGTERM)
        for process in reversed(self._processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                signal_group(process, signal.SIGKILL)
                process.wait()

    def spawn(self, argv, env, output):
        """A process of the session, ended with it (its whole group)."""
        with open(output, "w") as log:
            process = subprocess.Popen(argv, env=env, stdin=subprocess.PIPE, stdout=log, stderr=subprocess.STDOUT,
                                       start_new_session=True)
        self._processes.append(process)
        return process

    def _start_system_bus(self):
        with open(os.path.join(SUPPORT_DIR, "private-system-bus.conf")) as template:
            config = template.read().replace("@DIR@", self.work)
        path = os.path.join(self.work, "system-bus.conf")
        with open(path, "w") as out:
            out.write(config)
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self._start_bus(["--config-file=" + path])

    def _start_session_bus(self):
        # Started with the session's variables: dconf-service, activated by
        # it, keeps the settings in the private XDG_CONFIG_HOME.
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._start_bus(["--session"])

    def _start_bus(self, options):
        process = subprocess.Popen(["dbus-daemon", "--nofork", "--print-address=1"] + options, env=self.env,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
        self._processes.append(process)
        return process.stdout.readline().decode().strip()

    def _start_shell(self):
        # Xwayland refuses a /tmp/.X11-unix that others cannot write; mutter
        # would create it with the umask's mode.
        if not os.path.isdir("/tmp/.X11-unix"):
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
        script = ("if [ -d /run/systemd ]; then mount -t tmpfs tmpfs /run/systemd || exit 1; fi; "
                  f"exec gnome-shell --headless --wayland --virtual-monitor {WIDTH}x{HEIGHT}")
        return self.spawn(["unshare", "--mount", "--", "sh", "-c", script], self.env, self.log_path)

    def _log(self):
        with open(self.log_path, errors="replace") as log:
            return log.read()

    def _find_xwayland(self):
        wayland = re.search(r"Using Wayland display name '([^']+)'", self._log())
        if wayland:
            self.wayland = dict(self.env, WAYLAND_DISPLAY=wayland.group(1))
        found = re.search(r"Using public X11 display (:\d+)", self._log())
        auth = glob.glob(os.path.join(self.runtime, ".mutter-Xwaylandauth.*"))
        if not wayland or not found or not auth:
            return False
        self.x11 = dict(self.env, DISPLAY=found.group(1), XAUTHORITY=auth[0])
        return subprocess.run(["xdpyinfo"], env=self.x11, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    # -- D-Bus ------------------------------------------------------------

    def _call(self, name, path, interface, method, args=None, reply=None, timeout=10000):
        return self.bus.call_sync(name, path, interface, method, args,
                                  GLib.VariantType(reply) if reply else None, 0, timeout, None)

    def has_name(self, name):
        return self._call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", GLib.Variant("(s)", (name,)))[0]

    def name_pid(self, name):
        return self._call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "GetConnectionUnixProcessID", GLib.Variant("(s)", (name,)))[0]

    def _extension_state(self):
        info = self._call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions", "GetExtensionInfo",
                          GLib.Variant("(s)", (APPINDICATOR,)))[0]
        return info.get("state", 0)

    def _shell_property(self, name, value=None):
        properties = "org.freedesktop.DBus.Properties"
        if value is not None:
            self._call("org.gnome.Shell", "/org/gnome/Shell", properties, "Set",
                       GLib.Variant("(ssv)", ("org.gnome.Shell", name, value)))
        return self._call("org.gnome.Shell", "/org/gnome/Shell", properties, "Get",
                          GLib.Variant("(ss)", ("org.gnome.Shell", name)))[0]

    def _leave_overview(self):
        if self._shell_property("OverviewActive"):
            self._shell_property("OverviewActive", GLib.Variant("b", False))
            return False
        time.sleep(0.3)
        return not self._shell_property("OverviewActive")

    def item_title(self, item):
        """The Title of a registered item, "BUS_NAME@/PATH" or "BUS_NAME/PATH"."""
        name, path = item.split("/", 1)
        return self._call(name.rstrip("@"), "/" + path, "org.freedesktop.DBus.Properties", "Get",
                          GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", "Title")))[0]

    def registered_items(self):
        return self._call("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                          "org.freedesktop.DBus.Properties", "Get",
                          GLib.Variant("(ss)", ("org.kde.StatusNotifierWatcher",
                                                "RegisteredStatusNotifierItems")))[0]

    # -- what a user sees and does ----------------------------------------

    def screenshot(self, name):
        # One file a name, numbered in order of first use: a poll keeps its last.
        number = self._shots.setdefault(name, len(self._shots) + 1)
        path = os.path.join(self.output, f"{number:02d}-{name}.png")
        ok, _ = self._call("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot", "org.gnome.Shell.Screenshot",
                           "Screenshot", GLib.Variant("(bbs)", (False, False, path)))
        return Image(path) if ok else None

    def click(self, x, y, button=BUTTON_RIGHT):
        self._desktop.click(x, y, button)

    def key(self, keysym):
        self._desktop.key(keysym)


class RemoteDesktop:
    """A mutter RemoteDesktop session: its virtual pointer and keyboard.
    While it runs the top bar shows the screen-sharing indicator, so it is
    opened once and kept: the top bar's layout stays the same all along."""

    SESSION = "org.gnome.Mutter.RemoteDesktop.Session"

    def __init__(self, session):
        self._bus = session.bus
        self._path = self._call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
                                "CreateSession")[0]
        self._call(self._path, self.SESSION, "Start")

    def _call(self, path, interface, method, args=None):
        return self._bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args, None, 0,
                                   10000, None)

    def _notify(self, method, signature, *args):
        self._call(self._path, self.SESSION, method, GLib.Variant(signature, args))

    def click(self, x, y, button):
        # Relative motion only (absolute needs a screen-cast stream): first
        # into the bottom right corner, where the pointer stops, then back.
        self._notify("NotifyPointerMotionRelative", "(dd)", float(2 * WIDTH), float(2 * HEIGHT))
        self._notify("NotifyPointerMotionRelative", "(dd)", float(x - WIDTH + 1), float(y - HEIGHT + 1))
        time.sleep(0.1)
        self._notify("NotifyPointerButton", "(ib)", button, True)
        self._notify("NotifyPointerButton", "(ib)", button, False)

    def key(self, keysym):
        self._notify("NotifyKeyboardKeysym", "(ub)", keysym, True)
        self._notify("NotifyKeyboardKeysym", "(ub)", keysym, False)

    def stop(self):
        try:
            self._call(self._path, self.SESSION, "Stop")
        except GLib.Error:
            pass
