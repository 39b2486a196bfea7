#include "viewer_app.h"

#include "command_line_info.h"
#include "doc_template.h"
#include "file_view.h"
#include "main_frame.h"
#include "resource.h"
#include "settings_table.h"
#include "zoro_doc.h"

// The one application object; named after the program file.
CViewerApp theApp;

BOOL CViewerApp::InitInstance() {
    SetRegistryKey(settings::kCompany);
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, &DynamicCreate<CDocument, CZoroDoc>,
                                          &DynamicCreate<CFrameWnd, CMainFrame>,
                                          &DynamicCreate<CView, CFileView>));
    // Without arguments a new document; a first non-option argument (in
    // editor mode, the slide show file) must open for reading.
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    return ProcessShellCommand(cmdInfo);
}
