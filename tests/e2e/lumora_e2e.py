"""Shared steps of the end-to-end tests: install and start the viewer in the
Wine prefix that run-e2e.sh prepared, look at its windows, drive it, and
read or seed the registry.

Every wait polls with a deadline; nothing sleeps for a fixed time to let
the program "settle" except where a step says why.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

EXE = os.environ["LUMORA_EXE"]
TOOLS = os.environ["LUMORA_E2E_TOOLS"]
PREFIX = os.environ["WINEPREFIX"]

# Where the tests install the viewer: a blank in the path (as under
# "Program Files") and upper-case letters, which "home" must lower-case.
INSTALL_DIR = "C:\\Program Files\\Quillmere Lumora"
INSTALL_EXE = INSTALL_DIR + "\\Lumora.exe"
SCREEN = (1024, 768)

VIEWER_KEY = "HKEY_CURRENT_USER\\Software\\Quillmere\\Lumora"


class Failure(Exception):
    pass


def log(*args):
    print(*args, flush=True)


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_eq(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")
    log(f"ok: {what} = {actual!r}")


def unix_path(windows_path):
    """C:\\x\\y inside the prefix, as a Linux path."""
    check(windows_path[:3].upper() == "C:\\", windows_path)
    return os.path.join(PREFIX, "drive_c", *windows_path[3:].split("\\"))


def wine(*args, timeout=60, check_status=True):
    # Output through files, not pipes: the first wine call of a prefix also
    # starts Wine's own background processes, which inherit its output
    # handles and would keep a pipe open long after the program ended.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.run(["wine", *args], stdin=subprocess.DEVNULL, stdout=out,
                                 stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(
            process.args, process.returncode, out.read().decode(errors="replace"),
            err.read().decode(errors="replace"))
    if check_status and result.returncode != 0:
        raise Failure(f"wine {' '.join(args)} exited {result.returncode}:\n"
                      f"{result.stdout}{result.stderr}")
    return result


def tool(name):
    return os.path.join(TOOLS, name)


def install_viewer():
    """Copies the built viewer to INSTALL_EXE; returns its Windows path."""
    target = unix_path(INSTALL_EXE)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copyfile(EXE, target)
    return INSTALL_EXE


# --- windows ---------------------------------------------------------------

class Window:
    """What win_info.exe printed about one window."""

    def __init__(self, text):
        self.text = text
        self.title = self.cls = None
        self.children = []   # (class, text) of a dialog's controls
        self.visible = self.iconic = None
        self.rect = None
        self.items = {}      # command id -> (checked, grayed, text)
        self.popups = []     # pop-up texts in order
        for line in text.splitlines():
            key, _, rest = line.partition(" ")
            if key == "title":
                self.title = rest.strip('"')
            elif key == "class":
                self.cls = rest.strip('"')
            elif key == "child":
                m = re.match(r'"(.*?)" "(.*)"$', rest)
                if m:
                    self.children.append((m.group(1), m.group(2).replace("\\n", "\n")))
            elif key == "visible":
                self.visible = rest == "1"
            elif key == "iconic":
                self.iconic = rest == "1"
            elif key == "rect":
                self.rect = tuple(int(v) for v in rest.split())
            elif key == "popup":
                self.popups.append(rest.split(" ", 1)[1].strip('"'))
            elif key == "item":
                m = re.match(r'\d+ (\d+) checked=(\d) grayed=(\d) "(.*)"$', rest)
                if m:
                    self.items[int(m.group(1))] = (m.group(2) == "1", m.group(3) == "1",
                                                   m.group(4))


def win_info(title="Lumora", init_menu=False, cls=None):
    """The top-level window of that exact title (and class), or None."""
    args = [tool("win_info.exe"), "--title", title]
    if cls:
        args += ["--class", cls]
    if init_menu:
        args.append("--initmenu")
    result = wine(*args, check_status=False)
    if result.returncode == 2:
        return None
    if result.returncode != 0:
        raise Failure(f"win_info failed ({result.returncode}): {result.stderr}")
    return Window(result.stdout)


def message_box(title="Lumora"):
    """The message box of that title once its text is there (the box is
    found by its title a moment before its controls exist), or None."""
    box = win_info(title, cls="#32770")
    return box if box and any(text for cls, text in box.children if cls == "Static") else None


def list_windows():
    return wine(tool("win_info.exe"), "--list").stdout


def _windows():
    for line in list_windows().splitlines():
        m = re.search(r'pid=(\d+) visible=(\d) rect=(\S+) class="(.*)" title="(.*)"$', line)
        if m:
            yield int(m.group(1)), m.group(2) == "1", m.group(4), m.group(5)


def visible_windows(title):
    """Classes of the visible top-level windows with exactly this title."""
    return [cls for _, visible, cls, t in _windows() if visible and t == title]


def visible_windows_of(title="Lumora"):
    """(class, title) of every visible top-level window of the process that
    owns the window of that title."""
    windows = list(_windows())
    pids = {pid for pid, _, _, t in windows if t == title}
    return sorted((cls, t) for pid, visible, cls, t in windows if visible and pid in pids)


def wait_for(what, probe, timeout=30, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def wait_window(title="Lumora", visible=True, timeout=30):
    """Waits until the window exists (and is visible, unless visible is
    False) and its rectangle has stopped changing; returns it."""
    def probe():
        w = win_info(title)
        if w and (w.visible or not visible):
            return w
        return None
    w = wait_for(f"window {title!r}", probe, timeout)
    # The frame moves itself during creation; take the rectangle once two
    # readings agree.
    for _ in range(20):
        again = win_info(title)
        check(again is not None, f"window {title!r} vanished")
        if again.rect == w.rect and again.visible == w.visible:
            return again
        w = again
    return w


def post(*args, title="Lumora"):
    result = wine(tool("post_command.exe"), "--title", title, *args, check_status=False)
    check(result.returncode == 0, f"post_command {args}: {result.returncode} {result.stderr}")


def press(*keys, title="Lumora"):
    """Types keys (xdotool names: F6, ctrl+u, Escape) into the visible X
    window of that title, as the user would; the accelerators see them."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                         capture_output=True, text=True).stdout.split()
    check(ids, f"no visible X window named {title!r}")
    # No window manager: give the window the input focus directly.
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], capture_output=True, timeout=10)
    for key in keys:
        result = subprocess.run(["xdotool", "key", "--clearmodifiers", key], capture_output=True,
                                text=True, timeout=10)
        check(result.returncode == 0, f"xdotool key {key}: {result.stderr}")


def x_window_geometry(title="Lumora"):
    """(x, y, width, height) of the visible X window named exactly title."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                         capture_output=True, text=True).stdout.split()
    check(ids, f"no visible X window named {title!r}")
    geo = subprocess.run(["xdotool", "getwindowgeometry", "--shell", ids[0]],
                         capture_output=True, text=True).stdout
    values = dict(line.split("=", 1) for line in geo.split())
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


# --- the viewer process ----------------------------------------------------

class Viewer:
    """The viewer, started by wine; ends it when the test leaves."""

    def __init__(self, command):
        log("start:", " ".join(command))
        self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @classmethod
    def start(cls, exe=INSTALL_EXE, args=()):
        return cls(["wine", exe, *args])

    @classmethod
    def start_hidden(cls, command_line):
        """Starts with the hidden show state and this exact command line."""
        return cls(["wine", tool("start_hidden.exe"), command_line])

    def wait_exit(self, timeout=30):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the viewer did not end within {timeout} s:\n{list_windows()}")

    def running(self):
        return self.process.poll() is None

    def close(self, timeout=30):
        post("close")
        return self.wait_exit(timeout)

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()


# --- registry --------------------------------------------------------------

def _reg_text(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def reg_seed(values):
    """values: {key under HKCU\\Software\\Quillmere\\Lumora: {name: int|str}}.
    Imported before the viewer starts."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, entries in values.items():
        lines.append(f"[{VIEWER_KEY}\\{key}]")
        for name, value in entries.items():
            if isinstance(value, int):
                lines.append(f'"{name}"=dword:{value & 0xffffffff:08x}')
            else:
                lines.append(f"{_reg_text(name)}={_reg_text(value)}")
        lines.append("")
    path = unix_path("C:\\e2e\\seed.reg")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-16") as f:
        f.write("\r\n".join(lines) + "\r\n")
    wine("reg", "import", "C:\\e2e\\seed.reg")


def reg_dump():
    """{key path below HKCU\\Software\\Quillmere\\Lumora: {name: int|str}},
    as the registry holds it now."""
    path = unix_path("C:\\e2e\\dump.reg")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.exists(path):
        os.remove(path)
    result = wine("reg", "export", VIEWER_KEY, "C:\\e2e\\dump.reg", "/y", check_status=False)
    if result.returncode != 0:
        return {}  # the key does not exist
    with open(path, "rb") as f:
        raw = f.read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("latin-1")
    text = re.sub(r"\\\r?\n\s*", "", text)  # continued hex lines
    keys = {}
    current = None
    for line in text.splitlines():
        if line.startswith("["):
            name = line.strip("[]")
            current = keys.setdefault(name[len(VIEWER_KEY) + 1:] if name != VIEWER_KEY else "", {})
            continue
        m = re.match(r'^("(?:[^"\\]|\\.)*"|@)=(.*)$', line)
        if not m or current is None:
            continue
        name = "" if m.group(1) == "@" else _unquote(m.group(1))
        current[name] = _reg_value(m.group(2))
    return keys


def _unquote(text):
    return re.sub(r"\\(.)", r"\1", text[1:-1])


def _reg_value(data):
    if data.startswith('"'):
        return _unquote(data)
    if data.startswith("dword:"):
        number = int(data[6:], 16)
        return number - (1 << 32) if number & 0x80000000 else number
    m = re.match(r"hex\((\w+)\):(.*)$", data)
    if m and m.group(1) in ("1", "2"):  # a string stored without its zero
        raw = bytes(int(b, 16) for b in m.group(2).split(",") if b)
        return raw.decode("utf-16-le").rstrip("\0")
    return data


# --- running a case --------------------------------------------------------

def main(cases):
    """Runs the case named by the first argument; exit code 0 or 1."""
    name = sys.argv[1] if len(sys.argv) > 1 else ""
    if name not in cases:
        print(f"usage: {sys.argv[0]} CASE, one of: {' '.join(cases)}", file=sys.stderr)
        sys.exit(2)
    try:
        cases[name]()
    except (Failure, subprocess.TimeoutExpired) as failure:
        print(f"FAIL: {failure}", flush=True)
        sys.exit(1)
    log("PASS")
