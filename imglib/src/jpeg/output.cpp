#include "jpeg/output.h"

#include <cstring>

#include "jpeg/color.h"
#include "jpeg/upsample.h"

namespace imglib::jpeg {

Status BandOutput::Init(const Frame& frame, ColorModel model, int orientation, Dib* dib) {
    m_frame = frame;
    m_model = model;
    m_place.orientation = orientation;
    m_place.width = frame.width;
    m_place.height = frame.height;
    m_bytesPerPixel = model == ColorModel::Gray ? 1 : 3;
    int w = SwapsAxes(orientation) ? frame.height : frame.width;
    int h = SwapsAxes(orientation) ? frame.width : frame.height;
    Status s = m_bytesPerPixel == 1 ? dib->Create(w, h, 8, 256) : dib->Create(w, h, 24);
    if (s != Status::Ok) return s;
    if (m_bytesPerPixel == 1)
        for (int i = 0; i < 256; ++i) dib->SetPaletteEntry(i, uint8_t(i), uint8_t(i), uint8_t(i));
    m_dib = dib;
    m_nextRow = 0;
    m_lag = 0;

    for (int c = 0; c < frame.count; ++c) {
        const Component& comp = frame.comp[c];
        Channel& ch = m_channels[c];
        ch.width = comp.width;
        ch.height = comp.height;
        ch.h = comp.h;
        ch.v = comp.v;
        ch.ringRows = 2 * 8 * comp.v;
        ch.stride = (static_cast<size_t>(comp.paddedW) * 8 + 31) & ~size_t(15);
        ch.samples.assign(ch.stride * ch.ringRows, 0);
        int hf = frame.hmax % comp.h == 0 ? frame.hmax / comp.h : 0;
        int vf = frame.vmax % comp.v == 0 ? frame.vmax / comp.v : 0;
        if (hf == 1 && vf == 1) ch.kind = Kind::Full;
        else if (hf == 2 && vf == 1) ch.kind = Kind::H2V1;
        else if (hf == 1 && vf == 2) ch.kind = Kind::H1V2;
        else if (hf == 2 && vf == 2) ch.kind = Kind::H2V2;
        else ch.kind = Kind::Replicate;
        // A two-sample-wide H2V2 component is replicated, without context.
        if (ch.kind == Kind::H1V2 || (ch.kind == Kind::H2V2 && comp.width > 2)) m_lag = 1;
        if (ch.kind != Kind::Full) ch.row.assign(static_cast<size_t>(frame.width) + 2 * 8 * 4 + 32, 0);
        if (ch.kind == Kind::Replicate) {
            ch.map.resize(frame.width);
            for (int x = 0; x < frame.width; ++x)
                ch.map[x] = static_cast<int>(static_cast<int64_t>(x) * comp.h / frame.hmax);
        }
        // Sample values that make grey in the DIB: no ink for K, and for
        // YCCK a Y that inverts to half ink.
        ch.grey = 128;
        if ((model == ColorModel::Cmyk || model == ColorModel::Ycck) && c == 3) ch.grey = 255;
        if (model == ColorModel::Ycck && c == 0) ch.grey = 127;
    }
    if (orientation != 1 || frame.count == 1) m_pixels.assign(static_cast<size_t>(frame.width) * 3 + 16, 0);
    return Status::Ok;
}

const uint8_t* BandOutput::ComponentRow(int c, int y) {
    Channel& ch = m_channels[c];
    auto clampRow = [&](int r) { return r < 0 ? 0 : r >= ch.height ? ch.height - 1 : r; };
    switch (ch.kind) {
        case Kind::Full:
            return Plane(c, y);
        case Kind::H2V1:
            UpsampleH2V1(Plane(c, y), ch.width, ch.row.data());
            break;
        case Kind::H1V2:
        case Kind::H2V2: {
            int nearRow = y >> 1;
            bool lower = y & 1;
            int farRow = clampRow(lower ? nearRow + 1 : nearRow - 1);
            if (ch.kind == Kind::H1V2)
                UpsampleH1V2(Plane(c, nearRow), Plane(c, farRow), ch.width, lower, ch.row.data());
            else
                UpsampleH2V2(Plane(c, nearRow), Plane(c, farRow), ch.width, ch.row.data());
            break;
        }
        case Kind::Replicate: {
            int r = static_cast<int>(static_cast<int64_t>(y) * ch.v / m_frame.vmax);
            UpsampleReplicate(Plane(c, r), ch.map.data(), m_frame.width, ch.row.data());
            break;
        }
    }
    return ch.row.data();
}

void BandOutput::EmitRow(int y) {
    int n = m_frame.width;
    bool direct = m_place.orientation == 1 && m_bytesPerPixel == 3;
    uint8_t* dst = direct ? m_dib->Row(y) : m_pixels.data();
    const uint8_t* p[kMaxComponents];
    for (int c = 0; c < m_frame.count; ++c) p[c] = ComponentRow(c, y);
    switch (m_model) {
        case ColorModel::Gray:
            if (m_place.orientation == 1) {
                std::memcpy(m_dib->Row(y), p[0], n);
                return;
            }
            std::memcpy(dst, p[0], n);
            break;
        case ColorModel::YCbCr: YccToBgr(p[0], p[1], p[2], n, dst); break;
        case ColorModel::Rgb: RgbToBgr(p[0], p[1], p[2], n, dst); break;
        case ColorModel::Cmyk: CmykToBgr(p[0], p[1], p[2], p[3], n, dst); break;
        case ColorModel::Ycck: YcckToBgr(p[0], p[1], p[2], p[3], n, dst); break;
    }
    if (!direct) PlaceRow(y, dst);
}

void BandOutput::PlaceRow(int y, const uint8_t* pixels) {
    const int bpp = m_bytesPerPixel;
    for (int x = 0; x < m_frame.width; ++x) {
        int dx, dy;
        m_place.Map(x, y, &dx, &dy);
        std::memcpy(m_dib->Row(dy) + static_cast<size_t>(dx) * bpp, pixels + static_cast<size_t>(x) * bpp, bpp);
    }
}

void BandOutput::BandDone(int band) {
    int bandRows = 8 * m_frame.vmax;
    int end = band >= m_frame.mcusY - 1 ? m_frame.height : (band + 1) * bandRows - m_lag;
    if (end > m_frame.height) end = m_frame.height;
    for (; m_nextRow < end; ++m_nextRow) EmitRow(m_nextRow);
}

}  // namespace imglib::jpeg
