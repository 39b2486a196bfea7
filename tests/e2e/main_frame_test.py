#!/usr/bin/python3
"""The viewer's main window end to end: placement on start, what closing
saves, the aspect-lock menu item and Esc. Run through run-e2e.sh:
    run-e2e.sh python3 main_frame_test.py CASE
"""

from lumora_e2e import (INSTALL_EXE, SCREEN, Viewer, check, check_eq, install_viewer, log,
                        main, post, press, reg_dump, reg_seed, tool, visible_windows_of, wait_for,
                        wait_window, win_info, wine, x_window_geometry)

CENTRED = ((SCREEN[0] - 300) // 2, (SCREEN[1] - 300) // 2, 300, 300)  # (362, 234)


def saved_placement(keys):
    app = keys.get("App Window", {})
    return tuple(app.get(name) for name in ("left", "top", "width", "height"))


def first_start():
    install_viewer()
    screen = wine(tool("win_info.exe"), "--screen").stdout.split()
    check_eq(screen[1:3], [str(SCREEN[0]), str(SCREEN[1])], "screen size")
    check_eq(reg_dump(), {}, "settings before the first start")

    viewer = Viewer.start()
    w = wait_window()
    check_eq(w.title, "Lumora", "title")
    check_eq(w.rect, CENTRED, "outer rectangle of the first start")
    # The X window (the client part; without a window manager Wine leaves
    # the caption undrawn) lies inside that rectangle, centred across.
    x, y, width, height = x_window_geometry()
    check(CENTRED[0] <= x and x + width <= CENTRED[0] + 300, f"X window {x},{width} across")
    check(CENTRED[1] <= y and y + height <= CENTRED[1] + 300, f"X window {y},{height} down")
    check_eq(abs((x + width / 2) - SCREEN[0] / 2) <= 1, True, "X window centred across")

    check_eq(viewer.close(), 0, "exit code")
    keys = reg_dump()
    log("registry:", keys)
    check_eq(saved_placement(keys), CENTRED, "App Window left/top/width/height")
    check_eq(keys.get("Directory", {}).get("last directory"), "c:\\windows\\",
             "Directory/last directory (the Windows directory)")
    check_eq(keys.get("Image Window", {}).get("aspect lock"), 0, "Image Window/aspect lock")
    check_eq(keys.get("Slideshow", {}).get("home"), INSTALL_EXE.lower(), "Slideshow/home")


def stored_placement():
    install_viewer()
    reg_seed({"App Window": {"left": 900, "top": 100, "width": 400, "height": 300}})
    viewer = Viewer.start()
    w = wait_window()
    check_eq(w.rect, (SCREEN[0] - 400, 100, 400, 300), "moved in from the right edge")
    viewer.close()
    check_eq(saved_placement(reg_dump()), (624, 100, 400, 300), "saved placement")

    # Out-of-range values fall back: a width beyond the desktop's right is
    # 300, a top outside the desktop is 0 (and so left is moved in: 900+300).
    reg_seed({"App Window": {"left": 900, "top": -5, "width": 5000, "height": 200}})
    viewer = Viewer.start()
    check_eq(wait_window().rect, (SCREEN[0] - 300, 0, 300, 200), "clamped placement")
    viewer.close()


def restart_restores():
    install_viewer()
    viewer = Viewer.start()
    check_eq(wait_window().rect, CENTRED, "first start")
    moved = (40, 60, 480, 360)
    post("move", *map(str, moved))
    wait_for("the move", lambda: win_info().rect == moved, timeout=10)
    viewer.close()
    check_eq(saved_placement(reg_dump()), moved, "saved after the move")

    viewer = Viewer.start()
    check_eq(wait_window().rect, moved, "restored on restart")
    viewer.close()
    check_eq(saved_placement(reg_dump()), moved, "saved again unchanged")


MENU = {
    40005: "&Full Screen \\t<F2>, Ctrl+F",
    40017: "Slide Show Se&ttings\\t<F3>, Ctrl+T",
    40007: "&Edit Slide Show\\t<F4>, Ctrl+E",
    40015: "&Helpful Hints\\t<F5>, Ctrl+H",
    40014: "&Unlock Aspect Ratio \\t<F6>, Ctrl+U",
    40006: "&Start Slide Show \\t<F8>, Ctrl+S",
    57664: "&About Lumora",
}


def unlock_checked():
    return win_info(init_menu=True).items[40014][0]


def aspect_menu():
    install_viewer()
    viewer = Viewer.start()
    w = wait_window()
    w = win_info(init_menu=True)
    check_eq(w.popups, ["&Options", "&About"], "menu pop-ups")
    check_eq({cmd: text for cmd, (_, _, text) in w.items.items()}, MENU, "menu items")
    check_eq([cmd for cmd, (checked, _, _) in w.items.items() if checked], [40014],
             "checked items with the aspect lock off (first start)")
    check_eq([cmd for cmd, (_, grayed, _) in w.items.items() if grayed], [], "greyed items")

    post("command", "40014")  # lock on: the mark goes
    wait_for("the check mark to go", lambda: not unlock_checked(), timeout=10)
    viewer.close()
    check_eq(reg_dump()["Image Window"].get("aspect lock"), 1, "aspect lock saved on")

    viewer = Viewer.start()
    wait_window()
    check_eq(unlock_checked(), False, "no check mark after restart with the lock on")
    post("command", "40014")
    wait_for("the check mark to return", unlock_checked, timeout=10)
    viewer.close()
    check_eq(reg_dump()["Image Window"].get("aspect lock"), 0, "aspect lock saved off")


def esc_minimise_close():
    install_viewer()
    placed = (100, 80, 400, 300)
    reg_seed({"App Window": dict(zip(("left", "top", "width", "height"), placed))})
    viewer = Viewer.start()
    check_eq(wait_window().rect, placed, "stored placement")
    post("command", "40010")  # Esc outside full screen
    w = wait_for("the main window to be minimised",
                 lambda: (lambda i: i if i.iconic else None)(win_info()), timeout=10)
    log("minimised:", w.rect)
    viewer.close()
    # The close stores the restored rectangle, not the minimised one.
    check_eq(saved_placement(reg_dump()), placed, "saved placement after Esc")


def keyboard():
    """The accelerators, typed: F2 before any file was picked does nothing,
    F6 and Ctrl+U flip the aspect lock, Esc minimises."""
    install_viewer()
    viewer = Viewer.start()
    before = wait_window()
    press("F2")
    press("ctrl+f")
    after = wait_window()
    check_eq((after.visible, after.iconic, after.rect), (True, False, before.rect),
             "main window after F2 and Ctrl+F")
    check_eq(visible_windows_of("Lumora"), [(before.cls, "Lumora")], "no other window shows")

    press("F6")
    wait_for("F6 to lock the aspect ratio", lambda: not unlock_checked(), timeout=10)
    press("ctrl+u")
    wait_for("Ctrl+U to unlock it", unlock_checked, timeout=10)
    press("F6")
    wait_for("F6 to lock it again", lambda: not unlock_checked(), timeout=10)

    press("Escape")
    wait_for("Esc to minimise", lambda: win_info().iconic, timeout=10)
    viewer.close()
    keys = reg_dump()
    check_eq(keys["Image Window"].get("aspect lock"), 1, "aspect lock saved")
    check_eq(saved_placement(keys), CENTRED, "placement saved after Esc")


if __name__ == "__main__":
    main({f.__name__: f for f in (first_start, stored_placement, restart_restores,
                                  aspect_menu, esc_minimise_close, keyboard)})
