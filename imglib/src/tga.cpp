#include "decoders.h"

namespace imglib {

// Not written yet: the file is reported as an unsupported type.
Status DecodeTga(Bytes, Dib*) { return Status::Unsupported; }

}  // namespace imglib
