"""veltra-demo as a screen reader finds it (under xvfb-run -a dbus-run-session): each control
against the control table, then a device name that the logger keeps, and its one message."""

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
    """(kind, name, description) of each control, in template order, from the table's rows."""
    block = open(path, encoding="utf-8").read().split("mainControls[] = {")[1].split("};")[0]
    rows = re.findall(r'\{Id::(\w+), (\w+), ("[^"]*"|[\w:]+), (?:-?\d+, ){3}-?\d+'
                      r'(?:, (nameOf|unitOf)\(Id::(\w+)\))?', block)
    said = {(role, of): text.strip('"').rstrip(":") for _, _, text, role, of in rows if role}
    return [(kind, said.get(("nameOf", id), "Configure (E)" if kind == "Button"
                            else text.strip('"')), said.get(("unitOf", id), ""))
            for id, kind, text, _, _ in rows if id != "None" and kind != "Label"]


def wait_for(what, seconds):
    deadline = time.monotonic() + seconds
    while not (found := what()) and time.monotonic() < deadline:
        time.sleep(0.2)
    return found


def read(node, kind):
    if kind == "ComboBox":  # named by its entry; its label comes through the relation
        labels = [r.getTarget(0) for r in node.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        return labels[0].name.rstrip(":") if labels else None
    return node.name


def boxes(app):
    return [(box, " ".join(n.name for n in box if n.getRole() == pyatspi.ROLE_LABEL and n.name))
            for box in app if box.getRole() == pyatspi.ROLE_ALERT]


def check(app, template):
    window = app[0]
    wait_for(lambda: any(n.name == "Configure (E)" for n in window), 20)  # the logger is in
    controls = [n for n in window if n.getRole() != pyatspi.ROLE_LABEL]
    table = control_table(template)
    failures = [] if len(controls) == len(table) else [f"{len(controls)} controls, not {len(table)}"]
    for node, (kind, name, description) in zip(controls, table):
        got = (node.getRoleName(), read(node, kind), node.description)
        print(" | ".join(str(part) for part in got))
        if got != (ROLES[kind], name, description):
            failures.append(f"{got}, not {(ROLES[kind], name, description)}")
    # Named and configured, the logger upgrades, takes the held-back settings and comes back.
    by_name = {node.name: node for node in controls}
    by_name["Device Name"].queryEditableText().setTextContents("Freezer 7")
    by_name["Configure (E)"].queryAction().doAction(0)
    shown = wait_for(lambda: boxes(app), 40)
    if [text for _, text in shown] != [NOT_TAKEN]:
        return failures + [f"messages: {[text for _, text in shown]}"]
    ok = pyatspi.findDescendant(shown[0][0], lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON)
    ok.queryAction().doAction(0)
    if not wait_for(lambda: not boxes(app), 5) or wait_for(lambda: boxes(app), 4):
        failures.append("the message did not go, or came again")
    return failures


def main(demo, template):
    pyatspi.Registry.getDesktop(0)  # the bus is up before the program looks for it
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    program = subprocess.Popen([demo, "--ignore", "device-name"], env=env,
                               stdout=subprocess.DEVNULL)
    try:
        app = wait_for(lambda: [a for a in pyatspi.Registry.getDesktop(0)
                                if a and a.get_process_id() == program.pid], 20)
        failures = check(app[0], template) if app else ["veltra-demo is not on the bus"]
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


sys.exit(main(sys.argv[1], sys.argv[2]))
