#include "imglib.h"

// Not written yet: reduction fails, and callers keep the true-colour image.
PDIB ReduceDIB(PDIB, int, int) { return nullptr; }
