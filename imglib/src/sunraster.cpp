#include "decoders.h"

namespace imglib {

// Not written yet: the file is reported as an unsupported type.
Status DecodeSunRaster(Bytes, Dib*) { return Status::Unsupported; }

}  // namespace imglib
