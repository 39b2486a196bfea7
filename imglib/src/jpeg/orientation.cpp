#include "jpeg/orientation.h"

#include "byte_reader.h"

namespace imglib::jpeg {

int ParseExifOrientation(const uint8_t* tiff, size_t len) {
    ByteReader r(Bytes{tiff, len});
    uint8_t a = r.U8(), b = r.U8();
    if (a == 'I' && b == 'I') r.SetBigEndian(false);
    else if (a == 'M' && b == 'M') r.SetBigEndian(true);
    else return 0;
    if (r.U16() != 42) return 0;
    uint32_t ifd = r.U32();
    if (r.Failed() || !r.Seek(ifd)) return 0;
    unsigned entries = r.U16();
    for (unsigned i = 0; i < entries && !r.Failed(); ++i) {
        uint16_t tag = r.U16();
        uint16_t type = r.U16();
        uint32_t count = r.U32();
        if (tag != 0x0112) {
            r.Skip(4);
            continue;
        }
        // SHORT, one value, left-justified in the value field.
        if (type != 3 || count != 1) return 0;
        uint16_t v = r.U16();
        if (r.Failed() || v < 1 || v > 8) return 0;
        return v;
    }
    return 0;
}

}  // namespace imglib::jpeg
