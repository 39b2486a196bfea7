// Test-only: writes small TIFF files and the compressions they use, so the
// decoder's tests can state exact pixels. Independent of the decoder's code.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace imglib::test {

enum : uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

// LZW as TIFF writes it: msbFirst with the code width growing one code
// early (TIFF 6.0), or least significant bit first without (the old form).
inline std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& data, bool msbFirst = true) {
    std::vector<uint8_t> out;
    uint64_t bits = 0;
    int count = 0, width = 9;
    const int early = msbFirst ? 1 : 0;
    auto put = [&](int code) {
        if (msbFirst) {
            bits = bits << width | static_cast<uint64_t>(code);
            count += width;
            while (count >= 8) out.push_back(static_cast<uint8_t>(bits >> (count -= 8)));
        } else {
            bits |= static_cast<uint64_t>(code) << count;
            count += width;
            for (; count >= 8; count -= 8, bits >>= 8) out.push_back(static_cast<uint8_t>(bits));
        }
    };
    std::map<std::pair<int, int>, int> table;
    int next = 258;
    put(256);
    int prefix = -1;
    for (uint8_t byte : data) {
        if (prefix < 0) {
            prefix = byte;
            continue;
        }
        auto it = table.find({prefix, byte});
        if (it != table.end()) {
            prefix = it->second;
            continue;
        }
        put(prefix);
        table[{prefix, byte}] = next++;
        // The decoder learns each code one step later than we do.
        if (next - 1 + early >= (1 << width) && width < 12) ++width;
        if (next >= 4094) {
            put(256);
            table.clear();
            next = 258;
            width = 9;
        }
        prefix = byte;
    }
    if (prefix >= 0) put(prefix);
    // The end code may already need the next width, as the decoder expects.
    if (prefix >= 0 && next + early >= (1 << width) && width < 12) ++width;
    put(257);
    if (count > 0) {
        if (msbFirst) out.push_back(static_cast<uint8_t>(bits << (8 - count)));
        else out.push_back(static_cast<uint8_t>(bits));
    }
    return out;
}

inline std::vector<uint8_t> PackBitsEncode(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < data.size()) {
        size_t run = 1;
        while (i + run < data.size() && run < 128 && data[i + run] == data[i]) ++run;
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(257 - run));
            out.push_back(data[i]);
            i += run;
            continue;
        }
        size_t start = i, len = 0;
        while (i < data.size() && len < 128 && !(i + 1 < data.size() && data[i + 1] == data[i])) ++i, ++len;
        if (len == 0) ++i, len = 1;
        out.push_back(static_cast<uint8_t>(len - 1));
        out.insert(out.end(), data.begin() + start, data.begin() + start + len);
    }
    return out;
}

inline std::vector<uint8_t> DeflateEncode(const std::vector<uint8_t>& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    compress(out.data(), &size, data.data(), static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

// Applies horizontal differencing to rows of `rowPixels` pixels.
inline std::vector<uint8_t> Differenced(std::vector<uint8_t> data, size_t rowPixels, int samples, int bits,
                                        bool bigEndian) {
    size_t rowBytes = rowPixels * samples * bits / 8;
    for (size_t r = 0; r + rowBytes <= data.size(); r += rowBytes) {
        uint8_t* row = data.data() + r;
        if (bits == 8) {
            for (size_t i = rowBytes; i-- > static_cast<size_t>(samples);) row[i] = uint8_t(row[i] - row[i - samples]);
        } else {
            auto get = [&](size_t i) {
                return bigEndian ? (row[2 * i] << 8 | row[2 * i + 1]) : (row[2 * i + 1] << 8 | row[2 * i]);
            };
            for (size_t i = rowBytes / 2; i-- > static_cast<size_t>(samples);) {
                unsigned v = (get(i) - get(i - samples)) & 0xFFFF;
                row[2 * i + (bigEndian ? 0 : 1)] = uint8_t(v >> 8);
                row[2 * i + (bigEndian ? 1 : 0)] = uint8_t(v);
            }
        }
    }
    return data;
}

// A classic TIFF with one directory: the chunks are written first, then the
// directory, then the values that do not fit in their entries.
class TiffWriter {
public:
    explicit TiffWriter(bool bigEndian = false) : m_big(bigEndian) {}

    void Tag(uint16_t tag, uint16_t type, std::vector<uint32_t> values) { m_tags[tag] = {type, std::move(values)}; }
    void Short(uint16_t tag, uint32_t v) { Tag(tag, kShort, {v}); }
    void Long(uint16_t tag, uint32_t v) { Tag(tag, kLong, {v}); }
    // The compressed bytes of the next strip or tile.
    void Chunk(std::vector<uint8_t> bytes) { m_chunks.push_back(std::move(bytes)); }
    // Offsets and counts go under these tags (273/279 strips, 324/325 tiles).
    void ChunkTags(uint16_t offsets, uint16_t counts, uint16_t type = kLong) {
        m_offsetTag = offsets;
        m_countTag = counts;
        m_chunkType = type;
    }
    // Where the next-directory pointer points (0: none).
    void NextIfd(uint32_t offset) { m_nextIfd = offset; }

    // Returns the file; *ifdOffset (if given) receives where the directory starts.
    std::vector<uint8_t> Build(uint32_t* ifdOffset = nullptr) {
        m_out.clear();
        if (m_big) m_out = {'M', 'M', 0, 42};
        else m_out = {'I', 'I', 42, 0};
        Put32(0);
        std::vector<uint32_t> offsets, counts;
        for (const auto& c : m_chunks) {
            offsets.push_back(static_cast<uint32_t>(m_out.size()));
            counts.push_back(static_cast<uint32_t>(c.size()));
            m_out.insert(m_out.end(), c.begin(), c.end());
            if (m_out.size() & 1) m_out.push_back(0);
        }
        // Tags set by hand (to damage a file) win over the real layout.
        if (!m_chunks.empty()) {
            m_tags.insert({m_offsetTag, {m_chunkType, offsets}});
            m_tags.insert({m_countTag, {m_chunkType, counts}});
        }
        uint32_t ifd = static_cast<uint32_t>(m_out.size());
        if (ifdOffset) *ifdOffset = ifd;
        Set32(4, ifd);
        Put16(static_cast<uint16_t>(m_tags.size()));
        size_t data = ifd + 2 + 12 * m_tags.size() + 4;
        std::vector<uint8_t> extra;
        for (const auto& [tag, field] : m_tags) {
            Put16(tag);
            Put16(field.first);
            Put32(static_cast<uint32_t>(field.second.size()));
            std::vector<uint8_t> bytes = Encode(field.first, field.second);
            if (bytes.size() <= 4) {
                bytes.resize(4, 0);
                m_out.insert(m_out.end(), bytes.begin(), bytes.end());
            } else {
                Put32(static_cast<uint32_t>(data + extra.size()));
                extra.insert(extra.end(), bytes.begin(), bytes.end());
            }
        }
        Put32(m_nextIfd);
        m_out.insert(m_out.end(), extra.begin(), extra.end());
        return m_out;
    }

private:
    std::vector<uint8_t> Encode(uint16_t type, const std::vector<uint32_t>& values) const {
        std::vector<uint8_t> b;
        for (uint32_t v : values) {
            int n = type == kShort ? 2 : type == kLong ? 4 : type == kRational ? 8 : 1;
            if (type == kRational) {
                Append(b, v, 4);
                Append(b, 1, 4);
            } else {
                Append(b, v, n);
            }
        }
        return b;
    }
    void Append(std::vector<uint8_t>& b, uint32_t v, int n) const {
        for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * (m_big ? n - 1 - i : i))));
    }
    void Put16(uint32_t v) { Append(m_out, v, 2); }
    void Put32(uint32_t v) { Append(m_out, v, 4); }
    void Set32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) m_out[at + i] = static_cast<uint8_t>(v >> (8 * (m_big ? 3 - i : i)));
    }

    bool m_big;
    std::map<uint16_t, std::pair<uint16_t, std::vector<uint32_t>>> m_tags;
    std::vector<std::vector<uint8_t>> m_chunks;
    uint16_t m_offsetTag = 273, m_countTag = 279, m_chunkType = kLong;
    uint32_t m_nextIfd = 0;
    std::vector<uint8_t> m_out;
};

}  // namespace imglib::test
