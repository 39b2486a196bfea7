// CSingleDocTemplate: one document at a time, shown in one frame with one
// view, all three made by factory functions, with the frame's resources
// under one id.
#pragma once

#include <windows.h>

#include <memory>

class CDocument;
class CFrameWnd;
class CView;

// The factory of a "dynamically creatable" class: DynamicCreate<CView, CFileView>.
template <class Base, class Derived>
Base* DynamicCreate() {
    return new Derived;
}

class CSingleDocTemplate {
  public:
    CSingleDocTemplate(UINT nIDResource, CDocument* (*pDocClass)(),
                       CFrameWnd* (*pFrameClass)(), CView* (*pViewClass)());
    ~CSingleDocTemplate();

    // Makes the document and its frame (which creates the view), then opens
    // pathName, or makes a new document when it is null. When the file does
    // not open the frame is destroyed and the failure reported. The frame
    // is not shown; null on failure.
    CFrameWnd* OpenDocumentFile(const char* pathName);

    CDocument* GetDocument() const { return m_pOnlyDoc.get(); }

  private:
    UINT m_nIDResource;
    CDocument* (*m_pDocClass)();
    CFrameWnd* (*m_pFrameClass)();
    CView* (*m_pViewClass)();
    std::unique_ptr<CDocument> m_pOnlyDoc;
};
