#include "doc_template.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "document.h"
#include "frame_wnd.h"
#include "message_box.h"
#include "view.h"

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CDocument* (*pDocClass)(),
                                       CFrameWnd* (*pFrameClass)(), CView* (*pViewClass)())
    : m_nIDResource(nIDResource),
      m_pDocClass(pDocClass),
      m_pFrameClass(pFrameClass),
      m_pViewClass(pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() = default;

CFrameWnd* CSingleDocTemplate::OpenDocumentFile(const char* pathName) {
    m_pOnlyDoc.reset(m_pDocClass());
    // Until LoadFrame succeeds the frame is ours to delete; afterwards it
    // deletes itself when its window goes.
    std::unique_ptr<CFrameWnd> frame(m_pFrameClass());
    CCreateContext context;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pCurrentDoc = m_pOnlyDoc.get();
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr,
                          &context))
        return nullptr;
    CFrameWnd* pFrame = frame.release();

    BOOL opened = pathName ? m_pOnlyDoc->OnOpenDocument(pathName) : m_pOnlyDoc->OnNewDocument();
    if (!opened) {
        // The frame goes before the report: a command it posted to itself
        // during creation must not run inside the message box's loop.
        pFrame->DestroyWindow();
        char format[128] = "%s";
        LoadStringA(AfxGetInstanceHandle(), AFX_IDP_FAILED_TO_OPEN_DOC, format, sizeof format);
        std::string text(260 + sizeof format, '\0');
        int n = std::snprintf(&text[0], text.size(), format, pathName ? pathName : "");
        text.resize(n < 0 ? 0 : std::min(static_cast<size_t>(n), text.size() - 1));
        AfxMessageBox(text.c_str(), MB_OK | MB_ICONSTOP);
        return nullptr;
    }
    pFrame->InitialUpdateFrame(m_pOnlyDoc.get());
    return pFrame;
}
