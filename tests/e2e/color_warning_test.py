#!/usr/bin/python3
"""The colour-depth warning on a 256-colour palette display (an 8-bit Xvfb,
LUMORA_XVFB_DEPTH=8), and its absence in editor mode. Run through run-e2e.sh:
    LUMORA_XVFB_DEPTH=8 run-e2e.sh python3 color_warning_test.py CASE
"""

import os

from lumora_e2e import (EXE, INSTALL_DIR, INSTALL_EXE, Viewer, check, check_eq,
                        install_viewer, log, main, message_box, reg_dump, tool, unix_path,
                        visible_windows, wait_for, wait_window, win_info, wine)

WARNING = ("256 color desktop detected.\n\nThis program requires a minimum of 32K\n"
           " desktop colors to function optimally.\n\nDo you want to keep this warning enabled?")
IDYES, IDNO = 6, 7


def wait_warning():
    box = wait_for("the colour warning", message_box, timeout=20)
    log("warning:", box.children)
    texts = [text for cls, text in box.children if cls == "Static" and text]
    check_eq(texts, [WARNING], "warning text")
    check_eq([text for cls, text in box.children if cls == "Button"], ["&Yes", "&No"],
             "warning buttons")
    check_eq(visible_windows("Lumora"), ["#32770"], "only the warning shows while it is up")
    return box


def answer(button):
    result = wine(tool("post_command.exe"), "--class", "#32770", "--title", "Lumora",
                  "command", str(button), check_status=False)
    check_eq(result.returncode, 0, "answer posted")


def warning_setting():
    return reg_dump().get("Desktop", {}).get("color warning")


def color_warning_yes_no():
    install_viewer()
    viewer = Viewer.start()
    wait_warning()
    answer(IDYES)
    wait_window()
    check(warning_setting() != 0, "Yes keeps the warning enabled")
    viewer.close()

    viewer = Viewer.start()  # Yes kept it: it shows again
    wait_warning()
    answer(IDNO)
    wait_window()
    check_eq(warning_setting(), 0, "Desktop/color warning after No")
    viewer.close()

    viewer = Viewer.start()  # and now never again
    wait_window()  # the warning would come first and hold the main window back
    check_eq(win_info("Lumora", cls="#32770"), None, "no warning after No")
    viewer.close()


def color_warning_caption():
    """Message boxes carry the application's name, the program file's name
    without its extension: the built file must be named Lumora.exe."""
    name = os.path.basename(EXE)
    target = unix_path(INSTALL_DIR + "\\" + name)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(EXE, "rb") as src, open(target, "wb") as dst:
        dst.write(src.read())
    viewer = Viewer.start(INSTALL_DIR + "\\" + name)
    caption = wait_for("a message box", visible_box_caption, timeout=20)
    check_eq(caption, "Lumora", f"message box caption of {name}")
    answer_any(IDYES)
    wait_window()
    viewer.close()


def visible_box_caption():
    for line in wine(tool("win_info.exe"), "--list").stdout.splitlines():
        if 'visible=1' in line and 'class="#32770"' in line:
            return line.rsplit('title="', 1)[1].rstrip('"')
    return None


def answer_any(button):
    result = wine(tool("post_command.exe"), "--class", "#32770", "command", str(button),
                  check_status=False)
    check_eq(result.returncode, 0, "answer posted")


def color_warning_editor_mode():
    """Editor mode ("/e") shows no warning; "/E" is not editor mode."""
    install_viewer()
    lst = unix_path("C:\\shows\\a.lst")
    os.makedirs(os.path.dirname(lst), exist_ok=True)
    with open(lst, "wb") as f:
        f.write(b"c:\\shows\\one.bmp\r\n")

    viewer = Viewer.start_hidden(f'"{INSTALL_EXE}" /e C:\\shows\\a.lst 7')
    wait_window(visible=False)
    wait_for('"home"', lambda: reg_dump().get("Slideshow", {}).get("home"), timeout=20)
    check_eq(win_info("Lumora", cls="#32770"), None, "no warning in editor mode")
    viewer.close()

    viewer = Viewer.start_hidden(f'"{INSTALL_EXE}" /E C:\\shows\\a.lst 7')
    wait_warning()
    answer(IDYES)
    wait_for("the warning to go", lambda: win_info("Lumora", cls="#32770") is None, timeout=10)
    check_eq(win_info().visible, False, "normal mode started hidden stays hidden")
    viewer.close()


if __name__ == "__main__":
    main({f.__name__: f for f in (color_warning_yes_no, color_warning_caption,
                                  color_warning_editor_mode)})
