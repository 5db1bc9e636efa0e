#!/usr/bin/python3
"""Reads what a program shows through the accessibility bus (AT-SPI).

Serves the end-to-end tests: one request per line on stdin, the process id of
the program, and one JSON answer per line on stdout, the program's showing
windows:

  {"windows": [{"name": ...,
                "controls": [{"name", "role", "text", "checked", "enabled", "showing",
                              "extents": [x, y, w, h]}],
                "rows": [{"name", "on", "timeLeft"}]}]}

Controls are the named accessibles, their text null where they have none.

A row is a container holding a check box and a push button: one application in
the panel. Its time left is null while the label is hidden.

A popup window is not among the application's children, so the windows that
announce themselves as showing are remembered from their events.
"""

import json
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

announced = []


def top_level(accessible):
    while accessible is not None:
        parent = accessible.get_parent()
        if parent is None or parent.get_role() == Atspi.Role.APPLICATION:
            return accessible
        accessible = parent
    return None


def remember_shown_window(event):
    if event.detail1 != 1:
        return
    try:
        window = top_level(event.source)
    except GLib.Error:
        return  # gone again before it could be asked
    if window is not None and all(window != known for known in announced):
        announced.append(window)


def children(accessible):
    return [accessible.get_child_at_index(i) for i in range(accessible.get_child_count())]


def has(accessible, state):
    return accessible.get_state_set().contains(state)


def extents(accessible):
    box = accessible.get_extents(Atspi.CoordType.SCREEN)
    return [box.x, box.y, box.width, box.height]


def text(accessible):
    if "Text" not in accessible.get_interfaces():
        return None
    return Atspi.Text.get_text(accessible, 0, Atspi.Text.get_character_count(accessible))


def control(accessible):
    return {
        "name": accessible.get_name(),
        "role": accessible.get_role_name(),
        "text": text(accessible),
        "checked": has(accessible, Atspi.StateType.CHECKED),
        "enabled": has(accessible, Atspi.StateType.ENABLED),
        "showing": has(accessible, Atspi.StateType.SHOWING),
        "extents": extents(accessible),
    }


def row(parts):
    by_role = {}
    for part in parts:
        by_role.setdefault(part.get_role(), part)
    label = by_role.get(Atspi.Role.LABEL)
    return {
        "name": by_role[Atspi.Role.FILLER].get_name() if Atspi.Role.FILLER in by_role else None,
        "on": has(by_role[Atspi.Role.CHECK_BOX], Atspi.StateType.CHECKED),
        "timeLeft": label.get_name() if label is not None and has(label, Atspi.StateType.SHOWING) else None,
    }


def describe(window):
    controls, rows = [], []
    pending = [window]
    while pending:
        accessible = pending.pop(0)
        parts = children(accessible)
        roles = {part.get_role() for part in parts}
        if Atspi.Role.CHECK_BOX in roles and Atspi.Role.PUSH_BUTTON in roles:
            rows.append(row(parts))
        controls.extend(control(part) for part in parts if part.get_name())
        pending.extend(parts)
    return {"name": window.get_name(), "controls": controls, "rows": rows}


def windows_of(pid):
    found = list(announced)
    for application in children(Atspi.get_desktop(0)):
        if application is not None and application.get_process_id() == pid:
            found.extend(window for window in children(application) if all(window != known for known in found))
    shown = []
    for window in found:
        # A window of a program that has ended cannot answer any more.
        try:
            # Names and states change all the time: read them fresh, never from the cache.
            window.get_application().set_cache_mask(Atspi.Cache.NONE)
            window.clear_cache()
            if window.get_process_id() == pid and has(window, Atspi.StateType.SHOWING):
                shown.append(describe(window))
        except GLib.Error:
            continue
    return shown


def answer(line):
    try:
        return {"windows": windows_of(int(line))}
    except (GLib.Error, ValueError, KeyError) as error:
        # The program may be changing its windows right now: the test asks again.
        return {"windows": [], "error": str(error)}


def serve(source, _condition):
    line = source.readline()
    if not line:
        Atspi.event_quit()
        return False
    print(json.dumps(answer(line.strip())), flush=True)
    return True


def main():
    listener = Atspi.EventListener.new(remember_shown_window)
    listener.register("object:state-changed:showing")
    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, serve)
    print(json.dumps({"ready": True}), flush=True)
    Atspi.event_main()


if __name__ == "__main__":
    main()
