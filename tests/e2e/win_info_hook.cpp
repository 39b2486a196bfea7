// win_info_hook.dll: loaded into the inspected program by win_info.exe's
// window hook. Menus live in their owner's process (Wine cannot read them
// from outside), so the hook reads the menu there and writes it to a file
// that win_info.exe prints.
#include <windows.h>

#include <cstdio>

namespace {

void WriteText(FILE* out, HMENU menu, UINT pos) {
    char text[512] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    GetMenuItemInfoA(menu, pos, TRUE, &info);
    fputc('"', out);
    for (const char* p = text; *p; ++p) {
        if (*p == '\t') fputs("\\t", out);
        else fputc(*p, out);
    }
    fputc('"', out);
}

// One line a pop-up, one line an item: command, check and grey states, text.
void DumpMenu(HWND hwnd, bool initMenu, FILE* out) {
    HMENU menu = GetMenu(hwnd);
    int count = menu ? GetMenuItemCount(menu) : 0;
    fprintf(out, "menu %d\n", count);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (!popup) continue;
        // What opening the pop-up does first.
        if (initMenu) SendMessageA(hwnd, WM_INITMENUPOPUP, (WPARAM)popup, MAKELPARAM(i, FALSE));
        fprintf(out, "popup %d ", i);
        WriteText(out, menu, i);
        fputc('\n', out);
        int items = GetMenuItemCount(popup);
        for (int j = 0; j < items; ++j) {
            UINT state = GetMenuState(popup, j, MF_BYPOSITION);
            if (state & MF_SEPARATOR) {
                fprintf(out, "item %d separator\n", i);
                continue;
            }
            fprintf(out, "item %d %u checked=%d grayed=%d ", i, GetMenuItemID(popup, j),
                    (state & MF_CHECKED) ? 1 : 0, (state & (MF_GRAYED | MF_DISABLED)) ? 1 : 0);
            WriteText(out, popup, j);
            fputc('\n', out);
        }
    }
}

}  // namespace

// WH_CALLWNDPROC hook. The request is the registered message
// "LumoraWinInfoMenu": wParam 1 = send WM_INITMENUPOPUP first, lParam = the
// asking process, whose id names the output file in the temp directory.
extern "C" __declspec(dllexport) LRESULT CALLBACK WinInfoHook(int code, WPARAM wParam,
                                                              LPARAM lParam) {
    if (code == HC_ACTION) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == RegisterWindowMessageA("LumoraWinInfoMenu")) {
            char path[MAX_PATH + 64];
            DWORD n = GetTempPathA(MAX_PATH, path);
            if (n > 0 && n < MAX_PATH) {
                snprintf(path + n, sizeof(path) - n, "win-info-%lu.txt",
                         static_cast<unsigned long>(call->lParam));
                if (FILE* out = fopen(path, "w")) {
                    DumpMenu(call->hwnd, call->wParam != 0, out);
                    fclose(out);
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
