// Walks the MCUs of one scan in order, handling restart intervals and
// damage: after a segment that runs short, the rest of its interval is
// skipped and decoding resumes at the next restart marker; when restart
// markers are missing their intervals are skipped; when the data ends
// every remaining MCU is skipped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/huffman.h"
#include "jpeg/markers.h"

namespace imglib::jpeg {

struct ScanEnd {
    size_t next = 0;         // offset of the marker after the scan's data
    bool endOfData = false;  // the data ran out inside the scan
};

// mcu(mx, my, live): decode one MCU when live, otherwise fill it as
// missing. After a live MCU, br.Overrun() tells whether it ran past the
// data. restart(): reset the predictors at a restart marker. rowDone(my):
// a row of MCUs is complete.
template <class Mcu, class Restart, class RowDone>
ScanEnd WalkScan(BitReader& br, const uint8_t* data, size_t size, int mcusX, int mcusY, int interval, Mcu&& mcu,
                 Restart&& restart, RowDone&& rowDone) {
    enum class Mode { Live, Skipping, Exhausted };
    Mode mode = Mode::Live;
    int sinceRestart = 0, expected = 0, pendingSkips = 0;
    bool endOfData = false;
    for (int my = 0; my < mcusY; ++my) {
        for (int mx = 0; mx < mcusX; ++mx) {
            if (interval && sinceRestart == interval) {
                sinceRestart = 0;
                if (mode == Mode::Exhausted) {
                } else if (pendingSkips > 0) {
                    if (--pendingSkips == 0) mode = Mode::Live;
                } else {
                    size_t m = FindMarker(data, size, br.Position());
                    if (m < size && data[m + 1] >= kRst0 && data[m + 1] <= kRst7) {
                        // RSTn numbers count modulo 8: a number ahead of the
                        // one expected means intervals were lost.
                        int n = data[m + 1] - kRst0;
                        int lost = (n - expected) & 7;
                        if (lost > 3) lost = 0;  // not plausibly a loss: take it as the next
                        expected = (n + 1) & 7;
                        br.Reset(m + 2);
                        restart();
                        pendingSkips = lost;
                        mode = lost ? Mode::Skipping : Mode::Live;
                    } else {
                        mode = Mode::Exhausted;
                        endOfData = m >= size;
                    }
                }
            }
            bool live = mode == Mode::Live;
            mcu(mx, my, live);
            if (live && br.Overrun()) {
                if (interval) {
                    mode = Mode::Skipping;
                } else {
                    mode = Mode::Exhausted;
                    endOfData = FindMarker(data, size, br.Position()) >= size;
                }
            }
            ++sinceRestart;
        }
        rowDone(my);
    }
    ScanEnd end;
    end.next = FindMarker(data, size, br.Position());
    end.endOfData = endOfData || end.next >= size;
    return end;
}

}  // namespace imglib::jpeg
