// Turns decoded component samples into DIB rows, one band (an MCU row of
// the frame) at a time. Each component keeps two bands of samples, so a
// vertically interpolated row can look one sample row up and down; the
// output trails the decoding by one pixel row when that is needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dib.h"
#include "jpeg/markers.h"
#include "jpeg/orientation.h"

namespace imglib::jpeg {

class BandOutput {
public:
    // Creates the DIB (orientation applied) and the sample buffers.
    Status Init(const Frame& frame, ColorModel model, int orientation, Dib* dib);

    // Sample row `row` of component c (counted over the whole component;
    // rows of the current and the previous band are held).
    uint8_t* Plane(int c, int row) {
        Channel& ch = m_channels[c];
        return ch.samples.data() + static_cast<size_t>(row % ch.ringRows) * ch.stride;
    }
    size_t Stride(int c) const { return m_channels[c].stride; }
    // The sample value that shows as neutral grey in component c.
    uint8_t Grey(int c) const { return m_channels[c].grey; }

    // Band `band` of every component is in place: writes the rows that
    // can now be finished.
    void BandDone(int band);

private:
    enum class Kind { Full, H2V1, H1V2, H2V2, Replicate };
    struct Channel {
        Kind kind = Kind::Full;
        int ringRows = 0;
        size_t stride = 0;
        int width = 0, height = 0;  // real samples
        int h = 1, v = 1;
        uint8_t grey = 128;
        std::vector<uint8_t> samples;  // ringRows x stride
        std::vector<uint8_t> row;      // one upsampled row
        std::vector<int> map;          // Replicate: input column of each output column
    };

    const uint8_t* ComponentRow(int c, int y);
    void EmitRow(int y);
    void PlaceRow(int y, const uint8_t* pixels);

    Frame m_frame;
    ColorModel m_model = ColorModel::YCbCr;
    Placement m_place;
    Dib* m_dib = nullptr;
    Channel m_channels[kMaxComponents];
    std::vector<uint8_t> m_pixels;  // a converted row, when it cannot go to the DIB directly
    int m_bytesPerPixel = 3;
    int m_lag = 0;                   // rows held back for the next band's context
    int m_nextRow = 0;
};

}  // namespace imglib::jpeg
