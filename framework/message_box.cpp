#include "message_box.h"

#include "win_app.h"
#include "wnd.h"

int AfxMessageBox(const char* text, UINT type) {
    CWinApp* app = AfxGetApp();
    HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
    const char* caption = app ? app->m_pszAppName : "";
    return MessageBoxA(owner, text, caption, type);
}
