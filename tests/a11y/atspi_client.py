#!/usr/bin/python3
"""An assistive-technology client over AT-SPI, as a screen reader sees the program.

Usage: atspi_client.py PROGRAM BUTTON (STATUS_PREFIX | --wait-file=PATH)
Starts PROGRAM, waits for its window in the accessibility tree, reports every named
control it finds, presses the push button named BUTTON through its accessible action and
then waits until a label's text starts with STATUS_PREFIX, or until the file PATH exists. Prints one line per
finding ("CONTROLS n", "UNNAMED role", "PRESSED name", "STATUS text") and exits 0 on
success; the program is ended then.
Run it under a private D-Bus session (dbus-run-session) so the accessibility bus is its own.
"""
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

TIMEOUT = 120  # seconds; the machine may be loaded


def walk(node, depth=0):
    yield node
    if depth > 40:
        return
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1)


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

        def button():
            for node in walk(app):
                if node.get_role() == Atspi.Role.PUSH_BUTTON and node.get_name() == button_name:
                    return node
            return None

        target = poll(button)
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
        names = [target.get_action_name(i) for i in range(target.get_n_actions())]
        index = names.index("Press") if "Press" in names else 0
        target.do_action(index)
        print("PRESSED " + target.get_name(), flush=True)
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
        print("STATUS " + text.strip())
        return 0
    finally:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()


if __name__ == "__main__":
    sys.exit(main())
