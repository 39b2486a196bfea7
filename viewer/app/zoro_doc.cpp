#include "zoro_doc.h"

void CZoroDoc::Serialize(FILE*) {}
