"""What a screen reader finds in veltra-demo's window, read through the accessibility bus.

Run under a display and a session bus (xvfb-run -a dbus-run-session -- python3 THIS DEMO
TEMPLATE). Lists each control's role, name and description, compares them with the control
table (src/ui/DialogTemplate.cpp), then works the window as a screen reader's user would: a
logger that ignores its device name is given one and configured, and the message that it did
not take it must come once.
"""

import os
import re
import subprocess
import sys
import time

import pyatspi

ROLES = {"Button": "push button", "CheckBox": "check box", "Edit": "text", "ComboBox": "combo box"}
NOT_TAKEN = ('The logger did not take these settings: Device Name (written "Freezer 7", '
             'reported "Simulated logger")')


def control_table(path):
    """(kind, expected name, expected description) for each control, in template order."""
    source = open(path, encoding="utf-8").read()
    block = source[source.index("mainControls[]"):]
    block = block[:block.index("};")]
    row = re.compile(r'\{Id::(\w+), (\w+), ("[^"]*"|[\w:]+), (?:-?\d+, ){3}-?\d+'
                     r'(?:, (nameOf|unitOf)\(Id::(\w+)\))?')
    rows = row.findall(block)
    names = {target: text.strip('"').rstrip(":") for _, _, text, role, target in rows
             if role == "nameOf"}
    units = {target: text.strip('"') for _, _, text, role, target in rows if role == "unitOf"}
    table = []
    for control, kind, text, _, _ in rows:
        if control != "None" and kind != "Label":
            own = "Configure (E)" if kind == "Button" else text.strip('"')  # its caption
            table.append((kind, names.get(control, own), units.get(control, "")))
    return table


def wait_for(what, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = what()
        if found:
            return found
        time.sleep(0.2)
    return None


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app and app.get_process_id() == pid:
            return app
    return None


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return relation.getTarget(0).name.rstrip(":")
    return None


def boxes(app):
    """The texts of the message boxes open over the window."""
    shown = []
    for window in app:
        if window.getRole() == pyatspi.ROLE_ALERT:
            texts = [n.name for n in window if n.getRole() == pyatspi.ROLE_LABEL and n.name]
            shown.append((window, " ".join(texts)))
    return shown


def main(demo, template):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    pyatspi.Registry.getDesktop(0)  # the bus is up before the program looks for it
    program = subprocess.Popen([demo, "--ignore", "device-name"], env=env,
                               stdout=subprocess.DEVNULL)
    failures = []
    try:
        app = wait_for(lambda: application(program.pid), 20)
        if not app:
            print("screen_reader: veltra-demo did not appear on the accessibility bus")
            return 1
        window = app[0]
        wait_for(lambda: any(n.name == "Configure (E)" for n in window), 20)
        controls = [n for n in window if n.getRole() != pyatspi.ROLE_LABEL]
        table = control_table(template)
        if len(controls) != len(table):
            failures.append(f"{len(controls)} controls read, {len(table)} in the table")
        print(f"{'role':<12} {'name':<24} {'description':<12} expected")
        for node, (kind, name, description) in zip(controls, table):
            # A closed list is named by its entry; its label comes through the relation.
            read = labelled_by(node) if kind == "ComboBox" else node.name
            print(f"{node.getRoleName():<12} {read or '':<24} {node.description:<12} {name}")
            if (node.getRoleName(), read, node.description) != (ROLES[kind], name, description):
                failures.append(f"{kind} {name!r}: read {node.getRoleName()!r} {read!r} "
                                f"{node.description!r}")

        # The user names the logger and configures it; it upgrades, takes the settings held
        # back, keeps its own name and comes back.
        by_name = {node.name: node for node in controls}
        by_name["Device Name"].queryEditableText().setTextContents("Freezer 7")
        by_name["Configure (E)"].queryAction().doAction(0)
        shown = wait_for(lambda: boxes(app), 40)
        if not shown or shown[0][1] != NOT_TAKEN:
            failures.append(f"message boxes: {[text for _, text in shown or []]}")
        else:
            print(f"message: {shown[0][1]}")
            ok = pyatspi.findDescendant(shown[0][0],
                                        lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON)
            ok.queryAction().doAction(0)
            if not wait_for(lambda: not boxes(app), 5):
                failures.append("the message box did not close")
            elif again := wait_for(lambda: boxes(app), 4):
                failures.append(f"another message: {again[0][1]}")
    finally:
        program.terminate()
        try:
            program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()  # a message box left open holds the window
            program.wait()
    for failure in failures:
        print(f"screen_reader: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
