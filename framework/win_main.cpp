// The program's entry point, in a file of its own so that only programs that
// have an application object link it (test programs bring their own main).
#include "win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow) {
    return AfxWinMain(instance, cmdLine, cmdShow);
}
