#include <windows.h>

#include "document.h"
#include "handles.h"

BOOL CDocument::OnNewDocument() {
    m_strPathName.clear();
    m_strTitle = "Untitled";
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char* pathName) {
    fw::UniqueFile file(pathName ? std::fopen(pathName, "rb") : nullptr);
    if (!file) return FALSE;
    Serialize(file.get());
    m_strPathName = pathName;
    const char* name = pathName;
    for (const char* p = pathName; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    m_strTitle = name;
    return TRUE;
}

void CDocument::Serialize(FILE*) {}
