#!/usr/bin/python3
"""Reads the demo window through the AT-SPI bus as a screen reader does: finds "POŁĄCZ" by its name and
presses it through its action, then reads the firmware version, the modem state, In1's state and one
configuration field from the accessibility tree. Run inside scripts/a11y-session; exits non-zero on a
fault. Usage: read_window.py PROGRAM"""

import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = 30.0
# Names announced by accessible-name change events, in order.
announced = []


def on_name_changed(event):
    try:
        announced.append(event.source.name or "")
    except Exception:
        pass


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def wait_for(what, probe):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        pump()
        found = probe()
        if found is not None:
            return found
        time.sleep(0.2)
    raise SystemExit("not found within %.0f s: %s" % (TIMEOUT, what))


def first(app, test):
    for node, _ in walk(app):
        try:
            if test(node):
                return node
        except Exception:
            continue
    return None


def describe(node):
    role = node.getRoleName()
    text = ""
    try:
        t = node.queryText()
        text = t.getText(0, t.characterCount)
    except NotImplementedError:
        pass
    return "[%s] name=%r description=%r%s" % (role, node.name, node.description,
                                                (" text=%r" % text) if text else "")


def main():
    program = sys.argv[1]
    pyatspi.Registry.registerEventListener(on_name_changed, "object:property-change:accessible-name")
    proc = subprocess.Popen([program])
    try:
        app = wait_for("the application on the bus", lambda: find_app(proc.pid))
        connect = wait_for('"POŁĄCZ"', lambda: first(
            app, lambda n: n.getRoleName() == "push button" and n.name == "POŁĄCZ" and
            n.getState().contains(pyatspi.STATE_ENABLED)))
        action = connect.queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        action.doAction(names.index("press") if "press" in names else 0)

        version = wait_for("a version label", lambda: first(
            app, lambda n: n.getRoleName() == "label" and re.fullmatch(r"MX-4 v \d+\.\d", n.name or "")))
        logon = wait_for("ZALOGOWANY", lambda: first(
            app, lambda n: (n.name or "") == "Stan logowania: ZALOGOWANY"))
        # The first status reply comes a second after the login.
        modem = wait_for("the modem state", lambda: first(
            app, lambda n: n.getRoleName() == "label" and n.description == "Stan modemu GSM" and
            n.name and not n.name.startswith("Modem GSM: brak")))
        in1 = wait_for("In1 with a state", lambda: first(
            app, lambda n: n.name == "In1" and re.search(r"In1: (aktywne|nieaktywne)$", n.description or "")))
        temp = first(app, lambda n: (n.name or "").startswith("Temp.: "))
        zd = first(app, lambda n: re.fullmatch(r"Zd: \d+", n.name or ""))

        top = first(app, lambda n: n.name == "Stan połączenia: POŁĄCZONY")
        konfig = first(app, lambda n: n.getRoleName() == "push button" and n.name == "Konfiguracja")
        ka = konfig.queryAction()
        ka.doAction(0)
        pin = wait_for("the PIN field", lambda: first(
            app, lambda n: n.name == "PIN" and n.getRoleName() in ("text", "password text", "entry")))

        def dump(title, node):
            print(title + ":")
            for child, depth in walk(node):
                if depth > 0 and child.getRoleName() not in ("filler", "panel"):
                    print("  " * depth + describe(child))

        dump("top panel", connect.parent)
        dump("options", version.parent)
        dump("modem", first(app, lambda n: n.getRoleName() == "panel" and n.name == "Modem GSM"))
        dump("status panel", in1.parent)
        print("configuration field:")
        print("  " + describe(pin))
        pump()
        heard = [n for n in announced if re.fullmatch(r"MX-4 v \d+\.\d|Zd: \d+", n)]
        print("name changes heard: %s" % ", ".join(sorted(set(heard))))
        if temp is None or zd is None:
            raise SystemExit("the temperature or the Zd counter is not on the bus")
        if not any(n.startswith("MX-4 v") for n in heard):
            raise SystemExit("no name-change event announced the version")
        print("atspi: ok")
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()


if __name__ == "__main__":
    main()
