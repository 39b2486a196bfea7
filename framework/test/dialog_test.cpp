// Modal dialogs from templates and the application's message box.
#include <gtest/gtest.h>

#include "test_support.h"

namespace fwtest {
namespace {

class TestDialog : public CDialog {
  public:
    explicit TestDialog(UINT firstCommand) : CDialog(IDD_TEST), m_first(firstCommand) {}
    bool initialised = false;
    int okCalls = 0;
    bool refuseFirstOk = false;

  protected:
    BOOL OnInitDialog() override {
        initialised = true;
        PostMessageA(m_hWnd, WM_COMMAND, m_first, 0);
        return TRUE;
    }
    void OnOK() override {
        if (refuseFirstOk && okCalls++ == 0) {
            PostMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);  // stays open for now
            return;
        }
        CDialog::OnOK();
    }

  private:
    UINT m_first;
};

TEST(DialogTest, DoModalReturnsTheButtonThatEndedIt) {
    TestDialog ok(IDOK);
    EXPECT_EQ(ok.DoModal(), IDOK);
    EXPECT_TRUE(ok.initialised);
    EXPECT_EQ(ok.m_hWnd, nullptr);

    TestDialog cancel(IDCANCEL);
    EXPECT_EQ(cancel.DoModal(), IDCANCEL);

    TestDialog refusing(IDOK);
    refusing.refuseFirstOk = true;
    EXPECT_EQ(refusing.DoModal(), IDCANCEL);
}

TEST(DialogTest, MissingTemplateFails) {
    CDialog missing(9999);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(MessageBoxTest, CaptionIsTheApplicationsName) {
    CWinApp app("Captioned");
    DialogAnswerer answerer(IDNO);
    EXPECT_EQ(AfxMessageBox("Keep the warning?", MB_YESNO | MB_ICONEXCLAMATION), IDNO);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, "Captioned");
    EXPECT_EQ(answerer.seen[0].text, "Keep the warning?");
}

}  // namespace
}  // namespace fwtest
