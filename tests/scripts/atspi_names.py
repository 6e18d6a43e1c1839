# SPDX-License-Identifier: GPL-3.0-or-later
# Reads a running program the way a screen reader does, through AT-SPI: starts it with Qt's accessibility
# bridge on, walks its windows' trees and fails naming every control a user can reach that has no name.
# Optional steps press buttons (by their accessible names) to open further windows and to make the
# controls that only appear with data, and rows check the names of chosen controls.
import argparse
import os
import subprocess
import sys
import time

import pyatspi

# Roles a user works with: each needs a name, whether or not it takes the focus.
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX,
    pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_TABLE,
    pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_SLIDER,
}
# Parts of a control that a screen reader reads through the control itself.
PARTS = {pyatspi.ROLE_SCROLL_BAR, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_MENU_ITEM,
         pyatspi.ROLE_COLUMN_HEADER, pyatspi.ROLE_ROW_HEADER, pyatspi.ROLE_TABLE_ROW}


def log(text):
    print(text, flush=True)


def find_app(process, deadline):
    pid = process.pid
    while time.monotonic() < deadline and process.poll() is None:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            try:
                app = desktop.getChildAtIndex(index)
                if app is not None and app.get_process_id() == pid and app.childCount > 0:
                    return app
            except Exception:
                continue
        time.sleep(0.2)
    return None


def walk(node, path, found, depth=0):
    if node is None or depth > 40:
        return
    try:
        role = node.getRole()
        name = node.name or ""
        states = node.getState()
        count = node.childCount
    except Exception:
        return
    # What is hidden (a page not in front, a grid cell without a day) is out of a screen reader's reach:
    # each page is walked after its button brought it to the front.
    if not states.contains(pyatspi.STATE_VISIBLE):
        return
    here = path + "/" + (node.getRoleName() or "?") + ("[" + name + "]" if name else "")
    found.append((node, role, name, states, here))
    if role in PARTS:
        return
    for index in range(min(count, 2000)):
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        walk(child, here, found, depth + 1)


def tree(app):
    found = []
    for index in range(app.childCount):
        walk(app.getChildAtIndex(index), "", found)
    return found


def unnamed(found):
    missing = []
    for node, role, name, states, path in found:
        if role in PARTS or name.strip():
            continue
        if role in CONTROL_ROLES or states.contains(pyatspi.STATE_FOCUSABLE):
            try:
                description = node.description or ""
            except Exception:
                description = ""
            missing.append(path + ("  (descripción: " + description + ")" if description else ""))
    return missing


def press(found, name):
    for node, role, own, states, path in found:
        if own == name and role in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON):
            action = node.queryAction()
            names = [action.getName(index) for index in range(action.nActions)]
            if names:
                action.doAction(names.index("Press") if "Press" in names else 0)
                return True
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--label", required=True)
    parser.add_argument("--timeout", type=float, default=30)
    parser.add_argument("--page", action="append", default=[],
                        help="accessible name of a button that brings a page to the front; each page is walked")
    parser.add_argument("--press", action="append", default=[],
                        help="accessible name of a button to press before the last walk")
    parser.add_argument("--expect", action="append", default=[],
                        help="ROLE=NAME that must be in the tree (role as AT-SPI names it)")
    parser.add_argument("--dump", action="store_true", help="print every control the last walk read")
    parser.add_argument("program", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    if options.program and options.program[0] == "--":
        options.program = options.program[1:]

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    process = subprocess.Popen(options.program, env=env)
    failures = []
    try:
        deadline = time.monotonic() + options.timeout
        app = find_app(process, deadline)
        if app is None:
            if process.poll() is not None:
                log(f"{options.label}: the program ended with {process.returncode} before it could be read")
            else:
                log(f"{options.label}: the program did not show on the accessibility bus within {options.timeout} s")
            return 1
        time.sleep(1)  # the window's first drawing and names
        missing = []
        walked = 0

        def walk_all():
            nonlocal walked
            found = tree(app)
            walked += len([f for f in found if f[1] in CONTROL_ROLES])
            for path in unnamed(found):
                if path not in missing:
                    missing.append(path)
            return found

        found = walk_all()
        for name in options.page:
            if not press(found, name):
                failures.append(f"no button named «{name}» to bring its page to the front")
                continue
            time.sleep(0.5)
            found = walk_all()
        for name in options.press:
            if not press(found, name):
                failures.append(f"no button named «{name}» to press")
            time.sleep(1)
            found = walk_all()
        if options.dump:
            for f in found:
                if f[1] in CONTROL_ROLES:
                    log(f[4])
        log(f"{options.label}: {walked} controls read in {1 + len(options.page) + len(options.press)} walks")
        if walked == 0:
            failures.append("no control was read: the accessibility bridge published nothing")
        failures.extend("sin nombre: " + path for path in missing)
        for expected in options.expect:
            role, _, name = expected.partition("=")
            if not any(f[2] == name and f[0].getRoleName() == role for f in found):
                near = sorted({f[2] for f in found if f[0].getRoleName() == role})[:60]
                failures.append(f"no {role} named «{name}»; {role} names: {near}")
    finally:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    for failure in failures:
        log(f"{options.label}: {failure}")
    if failures:
        log(f"{options.label}: {len(failures)} failures")
        return 1
    log(f"{options.label}: every control has a name")
    return 0


if __name__ == "__main__":
    sys.exit(main())
