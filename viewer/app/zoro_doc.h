// CZoroDoc: the viewer's document. It holds nothing; opening one reads
// nothing (the framework only checks that the named file opens).
#pragma once

#include "document.h"

class CZoroDoc : public CDocument {
  public:
    void Serialize(FILE* file) override;
};
