// CDialog: a dialog box from a template, run modally. The object pointer
// travels in DialogBoxParam's parameter and is stored at WM_INITDIALOG.
#pragma once

#include "wnd.h"

class CDialog : public CWnd {
  public:
    // Without a parent the application's main window owns the dialog.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog; IDOK or IDCANCEL (whatever EndDialog was given), or
    // -1 when the dialog could not be created.
    virtual INT_PTR DoModal();

    static CDialog* FromDialogHandle(HWND hwnd);

  protected:
    // The message table of a dialog: a handler returns TRUE when it
    // processed the message (the dialog manager's convention).
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // TRUE: the system gives the focus to the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;  // borrowed

  private:
    static INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT msg, WPARAM wParam,
                                          LPARAM lParam);
};
