// CDocument: the document of the single-document model. Opening a file
// opens it for reading and hands it to Serialize, which by default reads
// nothing.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

class CDocument {
  public:
    CDocument() = default;
    virtual ~CDocument() = default;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    // A new, empty document: the title becomes "Untitled".
    virtual BOOL OnNewDocument();
    // False when the file does not open for reading.
    virtual BOOL OnOpenDocument(const char* pathName);
    // Reads the open file (storing is never asked for: nothing is saved).
    virtual void Serialize(FILE* file);

    const std::string& GetTitle() const { return m_strTitle; }
    const std::string& GetPathName() const { return m_strPathName; }

  private:
    std::string m_strTitle;
    std::string m_strPathName;
};
