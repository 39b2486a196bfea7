// win_info.exe: what the end-to-end tests see of a program's windows.
//
//   win_info.exe [--title T] [--class C] [--initmenu]
//       The first top-level window with that title and/or class: its title,
//       class, visibility, minimised state, outer rectangle, the class and
//       text of each visible child of a dialog (a message box's text), and its menu,
//       one line a pop-up and a line per item with its command,
//       check and grey states. --initmenu first sends WM_INITMENUPOPUP for
//       each pop-up, as opening it would.
//       The menu is read inside the program by win_info_hook.dll, which
//       must lie beside win_info.exe. Exit code 3 when that fails.
//   win_info.exe --list
//       Every top-level window: handle, process, visibility, rectangle,
//       class and title.
//   win_info.exe --screen
//       The screen size and the desktop window's rectangle.
//
// Exit code 0, or 2 when no such window exists.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void PrintRect(const char* label, const RECT& r) {
    printf("%s %ld %ld %ld %ld\n", label, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// The menu, read inside the owning process by win_info_hook.dll (beside
// this program) and printed here. Returns false when that fails.
bool PrintMenu(HWND hwnd, bool initMenu) {
    char dll[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, dll, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    char* slash = strrchr(dll, '\\');
    strcpy(slash ? slash + 1 : dll, "win_info_hook.dll");
    HMODULE module = LoadLibraryA(dll);
    if (!module) return false;
    // Through void*: GetProcAddress's FARPROC has no parameters.
    HOOKPROC proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(module, "WinInfoHook")));
    DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    HHOOK hook = proc ? SetWindowsHookExA(WH_CALLWNDPROC, proc, module, thread) : nullptr;
    bool ok = false;
    if (hook) {
        char path[MAX_PATH + 64];
        DWORD t = GetTempPathA(MAX_PATH, path);
        snprintf(path + t, sizeof(path) - t, "win-info-%lu.txt", GetCurrentProcessId());
        DeleteFileA(path);
        DWORD_PTR result;
        SendMessageTimeoutA(hwnd, RegisterWindowMessageA("LumoraWinInfoMenu"), initMenu ? 1 : 0,
                            GetCurrentProcessId(), SMTO_ABORTIFHUNG, 10000, &result);
        UnhookWindowsHookEx(hook);
        if (FILE* in = fopen(path, "r")) {
            char line[1024];
            while (fgets(line, sizeof(line), in)) fputs(line, stdout);
            fclose(in);
            DeleteFileA(path);
            ok = true;
        }
    }
    FreeLibrary(module);
    return ok;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    if (!IsWindowVisible(child)) return TRUE;  // a message box hides its unused buttons
    char text[512] = "", cls[256] = "";
    GetWindowTextA(child, text, sizeof(text));
    GetClassNameA(child, cls, sizeof(cls));
    std::string escaped;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') escaped += "\\n";
        else if (*p != '\r') escaped += *p;
    }
    printf("child \"%s\" \"%s\"\n", cls, escaped.c_str());
    return TRUE;
}

BOOL CALLBACK ListOne(HWND hwnd, LPARAM) {
    char title[256] = "", cls[256] = "";
    GetWindowTextA(hwnd, title, sizeof(title));
    GetClassNameA(hwnd, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT r;
    GetWindowRect(hwnd, &r);
    printf("window %p pid=%lu visible=%d rect=%ld,%ld,%ld,%ld class=\"%s\" title=\"%s\"\n",
           (void*)hwnd, pid, IsWindowVisible(hwnd) ? 1 : 0, r.left, r.top, r.right - r.left,
           r.bottom - r.top, cls, title);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const char* title = nullptr;
    const char* cls = nullptr;
    bool initMenu = false;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--title") && i + 1 < argc) {
            title = argv[++i];
        } else if (!strcmp(argv[i], "--class") && i + 1 < argc) {
            cls = argv[++i];
        } else if (!strcmp(argv[i], "--initmenu")) {
            initMenu = true;
        } else if (!strcmp(argv[i], "--list")) {
            EnumWindows(ListOne, 0);
            return 0;
        } else if (!strcmp(argv[i], "--screen")) {
            RECT r;
            GetWindowRect(GetDesktopWindow(), &r);
            printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
            PrintRect("desktop", r);
            return 0;
        } else {
            fprintf(stderr, "usage: win_info.exe [--title T] [--class C] [--initmenu] | --list | --screen\n");
            return 1;
        }
    }
    HWND hwnd = FindWindowA(cls, title);
    if (!hwnd) {
        fprintf(stderr, "win_info: no such window\n");
        return 2;
    }
    char text[256] = "", name[256] = "";
    GetWindowTextA(hwnd, text, sizeof(text));
    GetClassNameA(hwnd, name, sizeof(name));
    printf("title \"%s\"\n", text);
    printf("class \"%s\"\n", name);
    printf("visible %d\n", IsWindowVisible(hwnd) ? 1 : 0);
    printf("iconic %d\n", IsIconic(hwnd) ? 1 : 0);
    RECT r;
    GetWindowRect(hwnd, &r);
    PrintRect("rect", r);
    if (!strcmp(name, "#32770")) EnumChildWindows(hwnd, PrintChild, 0);  // a dialog's texts
    if (GetMenu(hwnd) && !PrintMenu(hwnd, initMenu)) {
        fprintf(stderr, "win_info: cannot read the menu\n");
        return 3;
    }
    return 0;
}
