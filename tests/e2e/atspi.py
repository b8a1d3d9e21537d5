#!/usr/bin/env python3
"""orvimo2's window as a screen reader sees it through AT-SPI, on the session bus of the environment.

    atspi.py tree              every object of the window: role | name | description, indented
    atspi.py button            the record button: role, name, description and actions, one a line
    atspi.py do <action>       does the record button's action of that name ("Press", "Pause", "Resume")
    atspi.py level             the level meter's value
    atspi.py events <seconds>  the name and value changes the window announces meanwhile: type | role | name
Exits with 1 when the program or the object is not (yet) there.
"""
import sys

import pyatspi


def window():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "orvimo2":
            for child in app:
                if child is not None and child.name == "Orvimo 2.0":
                    return child
    sys.exit("atspi.py: no window of orvimo2 on the accessibility bus")


def objects(root, depth=0):
    yield root, depth
    for child in root:
        if child is not None:
            yield from objects(child, depth + 1)


def first(role, names=None):
    for obj, _ in objects(window()):
        if obj.getRoleName() == role and (names is None or obj.name in names):
            return obj
    sys.exit("atspi.py: no %s in the window" % role)


def record_button():
    return first("push button", ("Record", "Stop recording"))


def actions(obj):
    action = obj.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def main(command, *args):
    if command == "tree":
        for obj, depth in objects(window()):
            print("%s%s | %s | %s" % ("  " * depth, obj.getRoleName(), obj.name, obj.description))
    elif command == "button":
        button = record_button()
        print("role=%s\nname=%s\ndescription=%s" % (button.getRoleName(), button.name, button.description))
        print("actions=%s" % ",".join(actions(button)))
    elif command == "do":
        button = record_button()
        names = actions(button)
        if args[0] not in names:
            sys.exit("atspi.py: the button has no action %s, only %s" % (args[0], names))
        button.queryAction().doAction(names.index(args[0]))
    elif command == "level":
        print(int(first("progress bar").queryValue().currentValue))
    elif command == "events":
        from gi.repository import GLib

        def heard(event):
            print("%s | %s | %s" % (event.type, event.source.getRoleName(), event.source.name), flush=True)

        for kind in ("object:property-change:accessible-name", "object:property-change:accessible-value"):
            pyatspi.Registry.registerEventListener(heard, kind)
        GLib.timeout_add(int(float(args[0]) * 1000), pyatspi.Registry.stop)
        pyatspi.Registry.start()
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(*sys.argv[1:])
