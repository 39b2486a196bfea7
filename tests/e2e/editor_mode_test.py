#!/usr/bin/python3
"""The viewer started as the screen saver's slide show editor: hidden, with
the command line "PROGRAM /e LIST DELAY". Run through run-e2e.sh:
    run-e2e.sh python3 editor_mode_test.py CASE
"""

import os

from lumora_e2e import (INSTALL_EXE, Viewer, check, check_eq, install_viewer, log, main,
                        message_box, reg_dump, tool, unix_path, visible_windows, wait_for,
                        wait_window, wine)

LIST = "C:\\shows\\a.lst"


def make_list(path=LIST):
    target = unix_path(path)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as f:
        f.write(b"c:\\shows\\one.bmp\r\n")


def editor_mode_hidden():
    """A quoted program path with a blank in it, as the system gives it."""
    install_viewer()
    make_list()
    viewer = Viewer.start_hidden(f'"{INSTALL_EXE}" /e {LIST} 7')
    w = wait_window(visible=False)
    check_eq(w.visible, False, "main window visible")
    # The main frame has finished its creation once "home" is written.
    wait_for('"home"', lambda: reg_dump().get("Slideshow", {}).get("home"), timeout=20)
    check_eq(visible_windows("Lumora"), [], "visible windows titled Lumora")
    check(viewer.running(), "the viewer keeps running")
    check_eq(viewer.close(), 0, "exit code after WM_CLOSE")
    keys = reg_dump()
    check_eq(keys.get("Slideshow", {}).get("home"), INSTALL_EXE.lower(), "Slideshow/home")
    check_eq(sorted(keys.get("App Window", {})), ["height", "left", "top", "width"],
             "the close saved the placement")


def editor_mode_missing_list():
    """A slide show path that cannot be opened: the start fails with a
    report and the viewer ends; its main window never shows."""
    install_viewer()
    viewer = Viewer.start_hidden(f'"{INSTALL_EXE}" /e C:\\shows\\missing.lst 7')
    box = wait_for("the report", message_box, timeout=20)
    log("report:", box.children)
    check(any("missing.lst" in text.lower() for _, text in box.children),
          f"the report names the file: {box.children}")
    check_eq(visible_windows("Lumora"), ["#32770"], "visible windows titled Lumora")
    check(viewer.running(), "the viewer waits for the report to be read")
    post_to_box()
    status = viewer.wait_exit()
    check(status != 0, f"the failed start ends the viewer with an error ({status})")
    check_eq(reg_dump().get("App Window"), None, "no placement saved by a failed start")


def post_to_box():
    """Answers the report as Esc would."""
    result = wine(tool("post_command.exe"), "--class", "#32770", "--title", "Lumora",
                  "command", "2")  # IDCANCEL
    check_eq(result.returncode, 0, "post to the report")


if __name__ == "__main__":
    main({f.__name__: f for f in (editor_mode_hidden, editor_mode_missing_list)})
