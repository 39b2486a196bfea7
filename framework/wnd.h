// CWnd: a C++ object bound to one window. The object pointer travels in
// CreateWindowEx's creation parameter and is stored at WM_NCCREATE; from then
// on every message reaches the object's HandleMessage, a switch that calls
// OnXxx handlers and hands the rest to its base class and finally to the
// window class's default procedure. At WM_NCDESTROY the object lets go of
// the window and PostNcDestroy runs (frames and views delete themselves there).
#pragma once

#include <windows.h>

class CWnd {
  public:
    CWnd() = default;
    virtual ~CWnd();  // destroys a window that still exists
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The object bound to a window made by this framework, else null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Creates the window of a class whose procedure is this framework's
    // (RegisterWindowClass or Superclass). PreCreateWindow may adjust the
    // parameters first. False when the window was not created.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName,
                  DWORD style, int x, int y, int cx, int cy, HWND parent,
                  HMENU menuOrId);
    BOOL DestroyWindow();

    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    // Called by the message loop for messages of this window and its
    // children before they are dispatched; true when the message was used.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Registers (once) a window class whose procedure is this framework's;
    // returns its name, or null when the registration failed.
    static const char* RegisterWindowClass(const char* name, UINT style, HICON icon,
                                           HICON smallIcon, HCURSOR cursor,
                                           HBRUSH background);
    // Registers (once) a copy of a system or common-control class whose
    // procedure is this framework's and whose default processing is the
    // original class's; returns the copy's name, or null.
    static const char* Superclass(const char* baseClass);

  protected:
    // The message table. The base processes every message by default.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The window class's own processing of a message.
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // After the window is gone; the object is no longer bound.
    virtual void PostNcDestroy() {}

  private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam,
                                          LPARAM lParam);
    void Bind(HWND hwnd);
    void Unbind();

    WNDPROC m_pfnSuper = DefWindowProcA;
};

// The module whose resources the framework loads (the program itself).
HINSTANCE AfxGetInstanceHandle();
