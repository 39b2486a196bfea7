#include "win_app.h"

#include <cstdlib>

#include "command_line_info.h"
#include "doc_template.h"
#include "frame_wnd.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

CWinApp::CWinApp(const char* lpszAppName) {
    if (lpszAppName) m_strAppName = lpszAppName;
    m_pszAppName = m_strAppName.c_str();
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

void AfxWinInit(CWinApp* app, HINSTANCE instance, const char* cmdLine, int cmdShow) {
    app->m_hInstance = instance;
    app->m_lpCmdLine = cmdLine ? cmdLine : "";
    app->m_nCmdShow = cmdShow;
    if (app->m_strAppName.empty()) {
        char path[MAX_PATH + 1] = "";
        DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
        path[n < MAX_PATH ? n : MAX_PATH] = '\0';
        std::string name = path;
        size_t slash = name.find_last_of("\\/:");
        if (slash != std::string::npos) name.erase(0, slash + 1);
        size_t dot = name.rfind('.');
        if (dot != std::string::npos) name.erase(dot);
        app->m_strAppName = name;
    }
    app->m_pszAppName = app->m_strAppName.c_str();
}

int AfxWinMain(HINSTANCE instance, const char* cmdLine, int cmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    AfxWinInit(app, instance, cmdLine, cmdShow);
    if (!app->InitInstance()) {
        app->ExitInstance();
        return 1;
    }
    return app->Run();
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    while (PumpMessage()) {
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return m_nExitCode; }

BOOL CWinApp::PumpMessage() {
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        m_nExitCode = got == 0 ? static_cast<int>(msg.wParam) : 1;
        return FALSE;
    }
    if (!PreTranslateMessage(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return TRUE;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd || !msg->hwnd) return FALSE;
    HWND main = m_pMainWnd->m_hWnd;
    if (msg->hwnd != main && !IsChild(main, msg->hwnd)) return FALSE;
    return m_pMainWnd->PreTranslateMessage(msg);
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* pTemplate) { m_pDocTemplate.reset(pTemplate); }

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    ParseCommandLine(info, __argc, __argv);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info, int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* param = argv[i];
        BOOL flag = param[0] == '/' || param[0] == '-';
        info.ParseParam(flag ? param + 1 : param, flag, i + 1 == argc);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
    if (!m_pDocTemplate) return FALSE;
    const char* path = info.m_nShellCommand == CCommandLineInfo::FileOpen
                           ? info.m_strFileName.c_str()
                           : nullptr;
    CFrameWnd* frame = m_pDocTemplate->OpenDocumentFile(path);
    if (!frame) return FALSE;
    m_pMainWnd = frame;
    ShowWindow(frame->m_hWnd, m_nCmdShow);
    UpdateWindow(frame->m_hWnd);
    return TRUE;
}
