# What a screen reader on Linux gets from the running program, read through AT-SPI with
# pyatspi as screen readers read it: a brand is chosen by its action, the make grid's
# headers and current row are read, then the note, and applications mode is toggled by its
# button's action with its state read back. Exits 0 when every check holds; prints each
# failure and exits 1 otherwise. With --list it prints the tree of the catalogue window
# (role, name, states worth knowing) after the checks.
import sys
import time

import pyatspi

TIMEOUT_S = 120  # a first start copies the catalogue; a sanitizer build is slow


def wait_for(what, find):
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # the tree changes under us while windows open and close
            found = None
        if found is not None and found is not False:
            return found
        time.sleep(0.2)
    raise SystemExit("timed out waiting for " + what)


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find(root, role, name=None, showing=True):
    for node, _ in walk(root):
        if node.getRole() != role or (name is not None and node.name != name):
            continue
        if showing and not node.getState().contains(pyatspi.STATE_SHOWING):
            continue
        return node
    return None


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and "dazozizizavuv" in app.name.lower():
            return app
    return None


def labelled_by(node, text):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                if relation.getTarget(i).name == text:
                    return True
    return False


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == "Press":
            started = time.monotonic()
            action.doAction(i)
            return time.monotonic() - started
    raise SystemExit("%s has no Press action" % node.name)


def listing(root):
    lines = []
    for node, depth in walk(root):
        states = node.getState()
        marks = [n for n, s in (("focusable", pyatspi.STATE_FOCUSABLE), ("checked", pyatspi.STATE_CHECKED))
                 if states.contains(s)]
        lines.append("%s%s %r%s" % ("  " * depth, node.getRoleName(), node.name,
                                    (" [" + ", ".join(marks) + "]") if marks else ""))
    return "\n".join(lines)


def main():
    failures = []

    def check(ok, text):
        if not ok:
            failures.append(text)
            print("FAIL: " + text)

    app = wait_for("the program on the accessibility bus", program)
    korva = wait_for("the KORVA brand area", lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "KORVA"))
    took = press(korva)
    check(took < 2.0, "choosing a brand by its action took %.1f s to return" % took)

    makes = wait_for("the make grid", lambda: find(app, pyatspi.ROLE_TABLE, "MARCA"))
    table = makes.queryTable()
    wait_for("the makes", lambda: table.nRows > 0)
    header = table.getColumnHeader(0)
    check(header is not None and header.name == "Marca",
          "the make grid's first column is headed %r" % (header.name if header else None))
    rows = wait_for("the current make", lambda: table.getSelectedRows() or None)
    current = table.getAccessibleAt(rows[0], 0)
    check(current is not None and current.name.strip() != "",
          "the current make reads %r" % (current.name if current else None))
    check(labelled_by(makes, "MARCA"), "the make grid is not labelled by its caption")

    note = wait_for("the note", lambda: next(
        (n for n, _ in walk(app) if n.getRole() in (pyatspi.ROLE_LABEL, pyatspi.ROLE_STATIC) and labelled_by(n, "NOTE")), None))
    print("note: %r" % note.name)

    toggle = find(app, pyatspi.ROLE_TOGGLE_BUTTON, "Mostra veicoli montanti") or \
        find(app, pyatspi.ROLE_PUSH_BUTTON, "Mostra veicoli montanti")
    check(toggle is not None, "no applications button")
    if toggle is not None:
        check(not toggle.getState().contains(pyatspi.STATE_CHECKED), "applications mode is on at the start")
        for expected in (True, False):
            took = press(toggle)
            check(took < 2.0, "the applications action took %.1f s to return" % took)
            ok = wait_for("applications mode %s" % ("on" if expected else "off"),
                          lambda: toggle.getState().contains(pyatspi.STATE_CHECKED) == expected or None)
            check(ok, "applications mode did not turn %s" % ("on" if expected else "off"))

    if "--list" in sys.argv:
        window = find(app, pyatspi.ROLE_DIALOG) or app
        print(listing(window))

    exit_button = find(app, pyatspi.ROLE_PUSH_BUTTON, "Esci")
    if exit_button is not None:
        press(exit_button)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("AT-SPI checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
