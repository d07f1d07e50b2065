"""What an operator sees and does on a real X display: windows and controls read through the
accessibility bus (AT-SPI), keys and clicks sent by xdotool as a keyboard and mouse would.

Controls are found by what is on screen (role, caption or text, place), never by the program's
internals, so a control hidden under another window or drawn outside its window counts as not there.
"""

import os
import subprocess
import time

import pyatspi

APP_NAME = "ORBEX5"
TIMEOUT = 120.0  # only ends a step whose event never comes; a loaded machine stays far inside it


class StepFailed(Exception):
    pass


def _app():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == APP_NAME:
            return app
    return None


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls probe() until it gives something true; fails the step with `what` after the timeout."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise StepFailed("timed out waiting for " + what)
        time.sleep(0.1)


def showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def text_of(acc):
    try:
        t = acc.queryText()
        return t.getText(0, -1)
    except Exception:
        return ""


def extents(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def walk(acc, only_showing=True):
    """Every descendant of `acc` (depth first), skipping hidden branches."""
    try:
        children = list(acc)
    except Exception:
        return
    for child in children:
        if child is None or (only_showing and not showing(child)):
            continue
        yield child
        # A grid's cells are read through its table interface: walking thousands of them is slow.
        if child.getRoleName() not in ("table", "tree table"):
            yield from walk(child, only_showing)


def windows():
    app = _app()
    if app is None:
        return []
    return [w for w in app if w is not None and showing(w)]


def window(title_part, timeout=TIMEOUT):
    """The shown top-level window whose title holds `title_part`."""
    return wait_for("window '%s'" % title_part,
                    lambda: next((w for w in windows() if title_part in (w.name or "")), None), timeout)


def window_gone(title_part, timeout=TIMEOUT):
    wait_for("window '%s' to close" % title_part,
             lambda: not any(title_part in (w.name or "") for w in windows()), timeout)


def find_all(root, role=None, name=None, text=None, pred=None):
    out = []
    for acc in walk(root):
        if role and acc.getRoleName() != role:
            continue
        if name is not None and (acc.name or "") != name:
            continue
        if text is not None and text_of(acc) != text:
            continue
        if pred and not pred(acc):
            continue
        out.append(acc)
    return out


def find(root, role=None, name=None, text=None, pred=None, index=0, timeout=TIMEOUT):
    what = "%s named %r%s in %r" % (role or "control", name, "" if text is None else " holding %r" % text,
                                    getattr(root, "name", ""))
    return wait_for(what, lambda: (lambda found: found[index] if len(found) > index else None)(
        find_all(root, role, name, text, pred)), timeout)


def focused(root=None):
    """The control that holds the keyboard (in `root`, or anywhere in the program)."""
    roots = [root] if root is not None else windows()
    for r in roots:
        for acc in walk(r):
            try:
                if acc.getState().contains(pyatspi.STATE_FOCUSED):
                    return acc
            except Exception:
                pass
    return None


def active_window_title():
    out = subprocess.run(["xdotool", "getactivewindow", "getwindowname"], capture_output=True, text=True)
    return out.stdout.strip()


# ---- the keyboard and the mouse ----

def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", "--delay", "40", *keys], check=True)
    settle()


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)
    settle()


def click_at(x, y, button=1, double=False, times=1):
    cmd = ["xdotool", "mousemove", "--sync", str(x), str(y), "click"]
    if double or times > 1:
        cmd += ["--repeat", str(max(times, 2)), "--delay", "80"]
    subprocess.run(cmd + [str(button)], check=True)
    settle()


def drag(x1, y1, x2, y2):
    subprocess.run(["xdotool", "mousemove", "--sync", str(x1), str(y1), "mousedown", "1", "mousemove", "--sync",
                    str((x1 + x2) // 2), str(y2), "mousemove", "--sync", str(x2), str(y2), "mouseup", "1"], check=True)
    settle()


def click(acc, dx=None, dy=None, button=1, double=False, times=1):
    """A click at the control's place (its centre, or dx, dy from its left top); `times` clicks in a row."""
    x, y, w, h = extents(acc)
    click_at(x + (w // 2 if dx is None else dx), y + (h // 2 if dy is None else dy), button, double, times)


def menu(window_acc, *path):
    """Opens a menu of the window's menu bar and its sub-menus with the mouse, clicking each caption."""
    bar = find(window_acc, role="menu bar")
    current = bar
    for caption in path:
        item = find(current, role="menu item", name=caption) if current is bar else wait_for(
            "menu item %r" % caption,
            lambda: next((m for w in windows() for m in find_all(w, role="menu item", name=caption)), None)
            or next((m for m in _popup_items(caption)), None))
        click(item)
        current = item


def _popup_items(caption):
    app = _app()
    if app is None:
        return []
    return [m for m in walk(app) if m.getRoleName() == "menu item" and m.name == caption]


def settle(seconds=0.15):
    time.sleep(seconds)


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=False)
    return path


def env_display():
    return os.environ.get("DISPLAY", "")
