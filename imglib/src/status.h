// Decoder results. The numeric values are the library's last-error codes.
#pragma once

#include "imglib.h"

namespace imglib {

enum class Status : int {
    Ok = IMGLIB_OK,
    Read = IMGLIB_ERR_READ,
    Memory = IMGLIB_ERR_MEMORY,
    BadPointer = IMGLIB_ERR_BAD_POINTER,
    Unsupported = IMGLIB_ERR_UNSUPPORTED,
};

}  // namespace imglib
