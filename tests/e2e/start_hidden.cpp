// start_hidden.exe: starts a program the way the screen saver starts the
// viewer for editing: with the hidden show state and a command line given
// verbatim (quotes and all).
//
//   start_hidden.exe [--show N] "COMMAND LINE"
//
// Waits for the program to end and exits with its exit code (1 when it
// could not be started). --show gives another show state (e.g. 1, normal).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    int show = SW_HIDE;
    int i = 1;
    if (i + 1 < argc && !strcmp(argv[i], "--show")) {
        show = atoi(argv[i + 1]);
        i += 2;
    }
    if (i + 1 != argc) {
        fprintf(stderr, "usage: start_hidden.exe [--show N] \"COMMAND LINE\"\n");
        return 1;
    }
    std::vector<char> line(argv[i], argv[i] + strlen(argv[i]) + 1);  // CreateProcessA may write to it
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        fprintf(stderr, "start_hidden: cannot start (%lu)\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
