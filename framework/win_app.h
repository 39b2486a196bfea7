// CWinApp: the one application object. The program defines one static
// instance of a derived class; the framework's WinMain initialises it, runs
// its InitInstance and then its message loop. It also carries the profile
// operations over HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CCommandLineInfo;
class CSingleDocTemplate;
class CWnd;

class CWinApp {
  public:
    // Without a name the application is named after its program file.
    explicit CWinApp(const char* lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // The message loop; returns ExitInstance's result when WM_QUIT arrives.
    virtual int Run();
    virtual int ExitInstance();
    // Offers a message to the main window's PreTranslateMessage when it is
    // for that window or one of its descendants (the accelerators).
    virtual BOOL PreTranslateMessage(MSG* msg);
    // One message of the loop; false on WM_QUIT.
    BOOL PumpMessage();

    // Profile operations; before SetRegistryKey reads give their defaults
    // and writes fail.
    void SetRegistryKey(const char* lpszRegistryKey);
    int GetProfileInt(const char* section, const char* entry, int nDefault);
    std::string GetProfileString(const char* section, const char* entry,
                                 const char* lpszDefault = "");
    BOOL WriteProfileInt(const char* section, const char* entry, int nValue);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);

    // The single-document model: the application owns the template.
    void AddDocTemplate(CSingleDocTemplate* pTemplate);
    void ParseCommandLine(CCommandLineInfo& info);  // the process's arguments
    static void ParseCommandLine(CCommandLineInfo& info, int argc, const char* const* argv);
    // Makes or opens the document (creating the main frame) and shows the
    // main window with m_nCmdShow. False when that failed.
    BOOL ProcessShellCommand(CCommandLineInfo& info);

    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = "";
    int m_nCmdShow = SW_SHOWNORMAL;
    const char* m_pszAppName = "";      // points into m_strAppName
    const char* m_pszRegistryKey = nullptr;  // points into m_strRegistryKey
    CWnd* m_pMainWnd = nullptr;          // borrowed; the frame deletes itself

  private:
    friend void AfxWinInit(CWinApp* app, HINSTANCE instance, const char* cmdLine, int cmdShow);
    std::string SectionKeyPath(const char* section) const;

    std::string m_strAppName;
    std::string m_strRegistryKey;
    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
// Sets the instance, command line and show state, and names the application
// after its program file unless it was given a name.
void AfxWinInit(CWinApp* app, HINSTANCE instance, const char* cmdLine, int cmdShow);
// What WinMain does: AfxWinInit, InitInstance, Run. A failed start returns 1.
int AfxWinMain(HINSTANCE instance, const char* cmdLine, int cmdShow);
