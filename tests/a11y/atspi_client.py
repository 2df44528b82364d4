#!/usr/bin/python3
"""An assistive-technology client over AT-SPI, as a screen reader sees the program.

Usage: atspi_client.py PROGRAM BUTTON (STATUS_PREFIX | --wait-file=PATH) [--full-screen=PLAY]
Starts PROGRAM, waits for its window in the accessibility tree, walks the whole window
(audit below; presses the first unchecked radio button), presses the push button named
BUTTON through its accessible action and waits until a label's text starts with
STATUS_PREFIX, or until the file PATH exists. With --full-screen it then presses PLAY,
double-clicks the video pane and walks the full-screen view, which Esc closes. Prints one
line per finding and exits 0 on success; the program is ended then.
Run it under a private D-Bus session (dbus-run-session) so the accessibility bus is its own.
"""
import os
import re
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

TIMEOUT = 120  # seconds; the machine may be loaded
# A name that looks like a component's name in the code ("stDir", "SB1", "btnPause").
CODE_NAME = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")


def walk(node, depth=0):
    yield node
    if depth > 40:
        return
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1)


def actions(node):
    if "Action" not in node.get_interfaces():
        return []
    return [node.get_action_name(i) for i in range(node.get_n_actions())]


def audit(app):
    """Reports what a screen reader meets; items hold the user's data, not code names."""
    window = app.get_child_at_index(0)
    print("WINDOW %s %s" % (window.get_role_name(), window.get_name()), flush=True)
    items = {Atspi.Role.LIST_ITEM, Atspi.Role.TABLE_CELL, Atspi.Role.TREE_ITEM,
             Atspi.Role.TABLE_COLUMN_HEADER, Atspi.Role.COLUMN_HEADER, Atspi.Role.ROW_HEADER}
    radios = []
    for node in (n for n in walk(app) if showing(n)):
        role, name, kind = node.get_role(), node.get_name() or "", node.get_role_name()
        if role not in items and CODE_NAME.match(name):
            print("CODE NAME %s %s" % (kind, name))
        if role in (Atspi.Role.FILLER, Atspi.Role.UNKNOWN) and (
                name or set(actions(node)) - {"SetFocus"}):
            print("NO ROLE %s %s" % (kind, name))
        if role == Atspi.Role.RADIO_BUTTON:
            radios.append(node)
            print("RADIO %s %s %s" % (name, state_of(node), ",".join(actions(node))))
        if role == Atspi.Role.STATUS_BAR:
            panels = [node.get_child_at_index(i) for i in range(node.get_child_count())]
            print("STATUS BAR %s:%s" % (name, "|".join(
                p.get_name() or "" for p in panels if showing(p))))
        if role in (Atspi.Role.TREE, Atspi.Role.TREE_TABLE):
            print("TREE %s COLUMN %s" % (name, node.get_column_description(0)))
    for node in (r for r in radios if state_of(r) == "unchecked"):
        node.do_action(actions(node).index("Press"))
        poll(lambda: state_of(node) == "checked")
        print("RADIO PRESSED %s %s" % (node.get_name(), " ".join(
            "%s=%s" % (n.get_name(), state_of(n)) for n in radios)), flush=True)
        return


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def state_of(node):
    return "checked" if node.get_state_set().contains(Atspi.StateType.CHECKED) else "unchecked"


def find(app, role, name):
    for node in walk(app):
        if node.get_role() == role and node.get_name() == name and showing(node):
            return node
    return None


def press(node):
    names = actions(node)
    node.do_action(names.index("Press") if "Press" in names else 0)
    print("PRESSED " + node.get_name(), flush=True)


def full_screen(app, play_name):
    """Plays the current row and double-clicks the video pane, as a screen reader routes the
    mouse; reports the full-screen view and whether Esc leaves it."""
    play = poll(lambda: find(app, Atspi.Role.PUSH_BUTTON, play_name))
    if play is None:
        print("NO BUTTON " + play_name)
        return False
    press(play)
    pane = next(n for n in walk(app) if n.get_role() == Atspi.Role.ANIMATION and showing(n))
    box = pane.get_extents(Atspi.CoordType.SCREEN)
    Atspi.generate_mouse_event(box.x + box.width // 2, box.y + box.height // 2, "b1d")
    view = poll(lambda: find(app, Atspi.Role.ANIMATION, "全屏视频"))
    if view is None:
        print("NO FULL SCREEN")
        return False
    box = view.get_extents(Atspi.CoordType.SCREEN)
    print("FULL SCREEN %s %s %dx%d" % (view.get_role_name(), view.get_name(), box.width,
                                      box.height), flush=True)
    Atspi.generate_keyboard_event(0xff1b, None, Atspi.KeySynthType.SYM)  # Escape
    if poll(lambda: find(app, Atspi.Role.ANIMATION, "全屏视频") is None):
        print("FULL SCREEN LEFT", flush=True)
    return True


def find_app(pid):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def poll(what, step=0.3):
    """Retries what() until it returns something. A D-Bus error counts as not yet: a node
    can go away while the tree is walked, and the buses start slowly on a loaded machine."""
    deadline = time.time() + TIMEOUT
    last_error = None
    while time.time() < deadline:
        try:
            found = what()
            if found:
                return found
        except GLib.Error as error:
            last_error = error
        time.sleep(step)
    if last_error is not None:
        print("LAST ERROR " + str(last_error), flush=True)
    return None


def enable_accessibility():
    """What a screen reader does when it starts: switch the session's accessibility on."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    value = GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True)))
    # The first call starts the accessibility bus, which can take long under load.
    return poll(lambda: bus.call_sync("org.a11y.Bus", "/org/a11y/bus",
                                      "org.freedesktop.DBus.Properties", "Set", value, None,
                                      Gio.DBusCallFlags.NONE, 60000, None) is not None, step=1)


def main():
    program, button_name = sys.argv[1:3]
    status_prefix = sys.argv[3]
    if not enable_accessibility():
        print("NO ACCESSIBILITY BUS")
        return 1
    proc = subprocess.Popen([program])
    try:
        app = poll(lambda: find_app(proc.pid))
        if app is None:
            print("NO APPLICATION in the accessibility tree")
            return 1

        target = poll(lambda: find(app, Atspi.Role.PUSH_BUTTON, button_name))
        if target is None:
            print("NO BUTTON " + button_name)
            return 1
        interactive = {Atspi.Role.PUSH_BUTTON, Atspi.Role.CHECK_BOX, Atspi.Role.RADIO_BUTTON,
                       Atspi.Role.TEXT, Atspi.Role.ENTRY, Atspi.Role.LIST, Atspi.Role.TABLE,
                       Atspi.Role.TREE, Atspi.Role.TREE_TABLE, Atspi.Role.SLIDER,
                       Atspi.Role.COMBO_BOX, Atspi.Role.PAGE_TAB, Atspi.Role.TOGGLE_BUTTON}
        # What is on the screen (a closed drop-down list is not).
        controls = [n for n in walk(app) if n.get_role() in interactive
                    and n.get_state_set().contains(Atspi.StateType.SHOWING)]
        print("CONTROLS %d" % len(controls), flush=True)
        for n in controls:
            if not n.get_name():
                print("UNNAMED %s" % n.get_role_name())
        audit(app)
        press(target)
        if status_prefix.startswith("--wait-file="):
            path = status_prefix[len("--wait-file="):]
            if poll(lambda: os.path.exists(path)) is None:
                print("NO FILE " + path)
                return 1
            print("FILE " + path)
            return 0

        def status():
            for node in walk(app):
                if node.get_role() == Atspi.Role.LABEL:
                    text = node.get_name() or ""
                    if text.strip().startswith(status_prefix):
                        return text
            return None

        text = poll(status)
        if text is None:
            print("NO STATUS starting with " + status_prefix)
            return 1
        print("STATUS " + text.strip(), flush=True)
        play = [a[len("--full-screen="):] for a in sys.argv[4:] if a.startswith("--full-screen=")]
        if play and not full_screen(app, play[0]):
            return 1
        return 0
    finally:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()


if __name__ == "__main__":
    sys.exit(main())
