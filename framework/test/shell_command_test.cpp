// The command line and the shell command: no argument makes a new document,
// the first non-option argument is opened for reading, and a document that
// does not open ends the start with a report.
#include <gtest/gtest.h>

#include <cstdio>

#include "test_support.h"

namespace fwtest {
namespace {

CCommandLineInfo Parse(std::vector<const char*> args) {
    CCommandLineInfo info;
    CWinApp::ParseCommandLine(info, static_cast<int>(args.size()), args.data());
    return info;
}

TEST(CommandLineTest, FirstNonOptionArgumentNamesTheDocument) {
    CCommandLineInfo none = Parse({"lumora.exe"});
    EXPECT_EQ(none.m_nShellCommand, CCommandLineInfo::FileNew);
    CCommandLineInfo options = Parse({"lumora.exe", "/e", "-x"});
    EXPECT_EQ(options.m_nShellCommand, CCommandLineInfo::FileNew);
    CCommandLineInfo editor = Parse({"lumora.exe", "/e", "c:\\shows\\a.lst", "7"});
    EXPECT_EQ(editor.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(editor.m_strFileName, "c:\\shows\\a.lst");
}

class BareTitleFrame : public TestFrame {
  public:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override {
        cs.style &= ~FWS_ADDTOTITLE;
        return TestFrame::PreCreateWindow(cs);
    }
};

class PostingFrame : public TestFrame {
  public:
    PostingFrame() { postCommandAtCreate = true; }
};

class ShellCommandTest : public ::testing::Test {
  protected:
    template <class Frame>
    void UseFrame() {
        app.AddDocTemplate(new CSingleDocTemplate(IDR_TEST, &DynamicCreate<CDocument, CDocument>,
                                                  &DynamicCreate<CFrameWnd, Frame>,
                                                  &DynamicCreate<CView, TestView>));
    }
    std::string MainTitle() {
        char title[128] = "";
        GetWindowTextA(app.m_pMainWnd->m_hWnd, title, sizeof title);
        return title;
    }
    void TearDown() override {
        if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
        PumpPending(app);
    }

    CWinApp app{"ShellApp"};
};

TEST_F(ShellCommandTest, NoArgumentMakesANewDocumentInAShownFrame) {
    UseFrame<TestFrame>();
    app.m_nCmdShow = SW_SHOWNORMAL;
    CCommandLineInfo info = Parse({"x.exe"});
    ASSERT_TRUE(app.ProcessShellCommand(info));
    ASSERT_NE(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(app.m_pMainWnd->m_hWnd));
    EXPECT_EQ(MainTitle(), "Untitled - Tester");  // FWS_ADDTOTITLE left on
    auto* frame = dynamic_cast<TestFrame*>(app.m_pMainWnd);
    auto* view = dynamic_cast<TestView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->initialUpdates, 1);
    EXPECT_NE(view->GetDocument(), nullptr);
}

TEST_F(ShellCommandTest, HiddenShowStateLeavesTheFrameHidden) {
    UseFrame<BareTitleFrame>();
    app.m_nCmdShow = SW_HIDE;
    CCommandLineInfo info = Parse({"x.exe"});
    ASSERT_TRUE(app.ProcessShellCommand(info));
    EXPECT_FALSE(IsWindowVisible(app.m_pMainWnd->m_hWnd));
    EXPECT_EQ(MainTitle(), "Tester");  // the frame cleared FWS_ADDTOTITLE
}

TEST_F(ShellCommandTest, NamedDocumentIsOpenedForReading) {
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "doc", 0, path);
    UseFrame<TestFrame>();
    CCommandLineInfo info = Parse({"x.exe", "/e", path, "7"});
    ASSERT_TRUE(app.ProcessShellCommand(info));
    auto* frame = dynamic_cast<TestFrame*>(app.m_pMainWnd);
    CDocument* doc = frame->GetActiveView()->GetDocument();
    EXPECT_EQ(doc->GetPathName(), path);
    EXPECT_EQ(MainTitle(), doc->GetTitle() + " - Tester");
    DeleteFileA(path);
}

TEST_F(ShellCommandTest, DocumentThatDoesNotOpenEndsTheStartWithAReport) {
    UseFrame<PostingFrame>();
    TestFrame::s_commandsSeen = 0;
    const char* missing = "c:\\no such folder\\show.lst";
    CCommandLineInfo info = Parse({"x.exe", "/e", missing, "7"});
    DialogAnswerer answerer(IDOK);
    EXPECT_FALSE(app.ProcessShellCommand(info));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, "ShellApp");
    EXPECT_NE(answerer.seen[0].text.find(missing), std::string::npos);
    // The frame was gone before the report, so what it posted itself while
    // being created never ran.
    PumpPending(app);
    EXPECT_EQ(TestFrame::s_commandsSeen, 0);
}

class FailingStartApp : public CWinApp {
  public:
    FailingStartApp() : CWinApp("FailingApp") {}
    BOOL InitInstance() override {
        AddDocTemplate(new CSingleDocTemplate(IDR_TEST, &DynamicCreate<CDocument, CDocument>,
                                              &DynamicCreate<CFrameWnd, TestFrame>,
                                              &DynamicCreate<CView, TestView>));
        CCommandLineInfo info = Parse({"x.exe", "c:\\missing.doc"});
        return ProcessShellCommand(info);
    }
};

TEST(WinMainTest, FailedStartEndsTheProgram) {
    FailingStartApp app;
    DialogAnswerer answerer(IDOK);
    EXPECT_EQ(AfxWinMain(GetModuleHandleA(nullptr), "c:\\missing.doc", SW_SHOW), 1);
    EXPECT_EQ(answerer.seen.size(), 1u);
}

TEST(WinMainTest, ApplicationIsNamedAfterItsProgramFile) {
    CWinApp app;
    AfxWinInit(&app, GetModuleHandleA(nullptr), "", SW_SHOW);
    EXPECT_STREQ(app.m_pszAppName, "framework_wine_test");
}

}  // namespace
}  // namespace fwtest
