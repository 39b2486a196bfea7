#include "wnd.h"

#include <list>
#include <string>

#include "dialog.h"

namespace {

// Classes registered as copies of another class keep that class's procedure
// for default processing. Entries live as long as the process.
struct SuperclassEntry {
    std::string base;
    std::string name;
    ATOM atom;
    WNDPROC baseProc;
};

std::list<SuperclassEntry>& Superclasses() {
    static std::list<SuperclassEntry> entries;
    return entries;
}

WNDPROC SuperProcOf(HWND hwnd) {
    ATOM atom = static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM));
    for (const SuperclassEntry& e : Superclasses())
        if (e.atom == atom) return e.baseProc;
    return DefWindowProcA;
}

}  // namespace

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleA(nullptr); }

CWnd::~CWnd() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return nullptr;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == StaticWndProc)
        return reinterpret_cast<CWnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return CDialog::FromDialogHandle(hwnd);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&) { return TRUE; }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName,
                    DWORD style, int x, int y, int cx, int cy, HWND parent,
                    HMENU menuOrId) {
    CREATESTRUCTA cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = cx;
    cs.cy = cy;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = this;
    if (!PreCreateWindow(cs)) return FALSE;
    HWND hwnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName,
                                static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                cs.hwndParent, cs.hMenu, cs.hInstance, this);
    // The object was bound at WM_NCCREATE; a creation that failed later has
    // already unbound it again.
    return hwnd != nullptr && m_hWnd == hwnd;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

const char* CWnd::RegisterWindowClass(const char* name, UINT style, HICON icon,
                                      HICON smallIcon, HCURSOR cursor,
                                      HBRUSH background) {
    static std::list<std::string> names;  // class names live as long as the process
    for (const std::string& known : names)
        if (known == name) return known.c_str();
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc)) return nullptr;
    names.push_back(name);
    return names.back().c_str();
}

const char* CWnd::Superclass(const char* baseClass) {
    for (const SuperclassEntry& e : Superclasses())
        if (e.base == baseClass) return e.name.c_str();
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, baseClass, &wc) && !GetClassInfoExA(nullptr, baseClass, &wc))
        return nullptr;
    SuperclassEntry entry{baseClass, std::string("Fw:") + baseClass, 0, wc.lpfnWndProc};
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = instance;
    wc.style &= ~CS_GLOBALCLASS;
    wc.lpszClassName = entry.name.c_str();
    entry.atom = RegisterClassExA(&wc);
    if (!entry.atom) return nullptr;
    Superclasses().push_back(std::move(entry));
    return Superclasses().back().name.c_str();
}

LRESULT CWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(msg, wParam, lParam);
}

LRESULT CWnd::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(m_pfnSuper, m_hWnd, msg, wParam, lParam);
}

void CWnd::Bind(HWND hwnd) {
    m_hWnd = hwnd;
    m_pfnSuper = SuperProcOf(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWnd::Unbind() {
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* self = reinterpret_cast<CWnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self) self->Bind(hwnd);
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after WM_NCDESTROY
    // get the class's own processing.
    if (!self) return CallWindowProcA(SuperProcOf(hwnd), hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's frames; a handler that
        // ran out of memory leaves the message to the default processing.
        result = CallWindowProcA(self->m_pfnSuper, hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        self->Unbind();
        self->PostNcDestroy();
    }
    return result;
}
