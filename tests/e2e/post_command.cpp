// post_command.exe: drives a program from an end-to-end test.
//
//   post_command.exe [--title T] [--class C] [--wait SECONDS] close
//   post_command.exe [--title T] [--class C] [--wait SECONDS] command ID
//   post_command.exe [--title T] [--class C] [--wait SECONDS] message MSG WPARAM LPARAM
//   post_command.exe [--title T] [--class C] [--wait SECONDS] move X Y WIDTH HEIGHT
//
// Finds the first top-level window with that title and/or class (waiting up
// to SECONDS for it to appear, default 0) and posts WM_CLOSE, WM_COMMAND ID
// (notification code 0, no control), or any message; or moves it as the
// user would (SetWindowPos, which sends the messages to its owner). Numbers may be decimal
// or 0x-hex. Exit code 0 when posted, 2 when no such window, 3 when the post
// failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const char* title = nullptr;
    const char* cls = nullptr;
    double waitSeconds = 0;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (!strcmp(argv[i], "--title")) title = argv[i + 1];
        else if (!strcmp(argv[i], "--class")) cls = argv[i + 1];
        else if (!strcmp(argv[i], "--wait")) waitSeconds = atof(argv[i + 1]);
        else break;
    }
    bool move = false;
    int x = 0, y = 0, width = 0, height = 0;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    if (i < argc && !strcmp(argv[i], "close")) {
        msg = WM_CLOSE;
    } else if (i + 1 < argc && !strcmp(argv[i], "command")) {
        msg = WM_COMMAND;
        wParam = MAKEWPARAM(strtoul(argv[i + 1], nullptr, 0), 0);
    } else if (i + 3 < argc && !strcmp(argv[i], "message")) {
        msg = strtoul(argv[i + 1], nullptr, 0);
        wParam = strtoull(argv[i + 2], nullptr, 0);
        lParam = strtoll(argv[i + 3], nullptr, 0);
    } else if (i + 4 < argc && !strcmp(argv[i], "move")) {
        move = true;
        x = atoi(argv[i + 1]);
        y = atoi(argv[i + 2]);
        width = atoi(argv[i + 3]);
        height = atoi(argv[i + 4]);
    } else {
        fprintf(stderr,
                "usage: post_command.exe [--title T] [--class C] [--wait S] "
                "close | command ID | message MSG WPARAM LPARAM | move X Y W H\n");
        return 1;
    }
    HWND hwnd = FindWindowA(cls, title);
    for (DWORD waited = 0; !hwnd && waited < waitSeconds * 1000; waited += 100) {
        Sleep(100);
        hwnd = FindWindowA(cls, title);
    }
    if (!hwnd) {
        fprintf(stderr, "post_command: no such window\n");
        return 2;
    }
    if (move)
        return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 3;
    return PostMessageA(hwnd, msg, wParam, lParam) ? 0 : 3;
}
