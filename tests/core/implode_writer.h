// Writes implode streams (PKWARE DCL, plain literals) for tests: token by
// token, or a whole buffer at once. The code tables below are the format's
// tables as they are published, kept apart from the decoder's nests of
// decisions so that each checks the other.
//
//     ImplodeWriter w(6);            // dictionary bits 0 to 6
//     w.literal('A').copy(3, 0);     // "A", then 3 more: "AAAA"
//     std::vector<uint8_t> stream = w.finish();   // adds the end code
//     w.expected();                  // "AAAA": the bytes the tokens describe
//
// The writer encodes any length from 2 to 518 and any distance the format can
// express, including distances that reach before the first byte or beyond
// the window, so that tests can craft bad streams; expected() refuses to
// describe those.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class ImplodeWriter {
public:
    // Code words for copy lengths, bits in the order taken.
    struct LengthCode {
        std::string_view code;
        int base;
        int extraBits;
    };
    static constexpr LengthCode LengthCodes[] = {
        {"1 1", 3, 0},
        {"1 0 1", 2, 0},
        {"1 0 0", 4, 0},
        {"0 1 1", 5, 0},
        {"0 1 0 1", 6, 0},
        {"0 1 0 0", 7, 0},
        {"0 0 1 1", 8, 0},
        {"0 0 1 0 1", 9, 0},
        {"0 0 1 0 0", 10, 1},
        {"0 0 0 1 1", 12, 2},
        {"0 0 0 1 0", 16, 3},
        {"0 0 0 0 1 1", 24, 4},
        {"0 0 0 0 1 0", 40, 5},
        {"0 0 0 0 0 1", 72, 6},
        {"0 0 0 0 0 0 1", 136, 7},
        {"0 0 0 0 0 0 0", 264, 8},
    };

    // Code words for the high part of a distance, 0 to 63, bits in the order
    // taken.
    static constexpr std::string_view DistanceCodes[64] = {
        "1 1",             "1 0 1 1",         "1 0 1 0",         "1 0 0 1 1",        // 0
        "1 0 0 1 0",       "1 0 0 0 1",       "1 0 0 0 0",       "0 1 1 1 1 1",      // 4
        "0 1 1 1 1 0",     "0 1 1 1 0 1",     "0 1 1 1 0 0",     "0 1 1 0 1 1",      // 8
        "0 1 1 0 1 0",     "0 1 1 0 0 1",     "0 1 1 0 0 0",     "0 1 0 1 1 1",      // 12
        "0 1 0 1 1 0",     "0 1 0 1 0 1",     "0 1 0 1 0 0",     "0 1 0 0 1 1",      // 16
        "0 1 0 0 1 0",     "0 1 0 0 0 1",     "0 1 0 0 0 0 1",   "0 1 0 0 0 0 0",    // 20
        "0 0 1 1 1 1 1",   "0 0 1 1 1 1 0",   "0 0 1 1 1 0 1",   "0 0 1 1 1 0 0",    // 24
        "0 0 1 1 0 1 1",   "0 0 1 1 0 1 0",   "0 0 1 1 0 0 1",   "0 0 1 1 0 0 0",    // 28
        "0 0 1 0 1 1 1",   "0 0 1 0 1 1 0",   "0 0 1 0 1 0 1",   "0 0 1 0 1 0 0",    // 32
        "0 0 1 0 0 1 1",   "0 0 1 0 0 1 0",   "0 0 1 0 0 0 1",   "0 0 1 0 0 0 0",    // 36
        "0 0 0 1 1 1 1",   "0 0 0 1 1 1 0",   "0 0 0 1 1 0 1",   "0 0 0 1 1 0 0",    // 40
        "0 0 0 1 0 1 1",   "0 0 0 1 0 1 0",   "0 0 0 1 0 0 1",   "0 0 0 1 0 0 0",    // 44
        "0 0 0 0 1 1 1 1", "0 0 0 0 1 1 1 0", "0 0 0 0 1 1 0 1", "0 0 0 0 1 1 0 0",  // 48
        "0 0 0 0 1 0 1 1", "0 0 0 0 1 0 1 0", "0 0 0 0 1 0 0 1", "0 0 0 0 1 0 0 0",  // 52
        "0 0 0 0 0 1 1 1", "0 0 0 0 0 1 1 0", "0 0 0 0 0 1 0 1", "0 0 0 0 0 1 0 0",  // 56
        "0 0 0 0 0 0 1 1", "0 0 0 0 0 0 1 0", "0 0 0 0 0 0 0 1", "0 0 0 0 0 0 0 0",  // 60
    };

    static constexpr int MinLength = 2;
    static constexpr int MaxLength = 518;

    // Starts a stream with its two header bytes. Any header can be written,
    // so that tests can write the ones the decoder must refuse.
    explicit ImplodeWriter(int dictionaryBits, int literalMode = 0)
        : m_dictionaryBits(dictionaryBits)
    {
        bits(uint32_t(literalMode), 8);
        bits(uint32_t(dictionaryBits), 8);
    }

    int dictionaryBits() const { return m_dictionaryBits; }
    int windowSize() const { return 64 << std::clamp(m_dictionaryBits, 0, 6); }
    // Bits written so far, the header's sixteen included.
    size_t bitCount() const { return 8 * m_bytes.size() + size_t(m_pendingBits); }

    ImplodeWriter &literal(uint8_t byte)
    {
        bits(0, 1);
        bits(byte, 8);
        if (!m_ended) {
            ++m_outputSize;
            if (m_tracking)
                m_expected.push_back(byte);
        }
        return *this;
    }

    ImplodeWriter &literals(std::span<const uint8_t> bytes)
    {
        for (uint8_t byte : bytes)
            literal(byte);
        return *this;
    }

    ImplodeWriter &literals(std::string_view text)
    {
        for (char c : text)
            literal(uint8_t(c));
        return *this;
    }

    // A copy of length bytes (2 to 518) beginning distance + 1 bytes back.
    // Throws std::invalid_argument for what the format cannot express: a
    // length out of range, or a distance whose high part passes 63 (above 255
    // for length 2, above (64 << e) - 1 otherwise).
    ImplodeWriter &copy(int length, int distance)
    {
        if (length < MinLength || length > MaxLength)
            throw std::invalid_argument("copy length out of range: " + std::to_string(length));
        const int lowBits = length == 2 ? 2 : m_dictionaryBits;
        if (distance < 0 || (distance >> lowBits) > 63)
            throw std::invalid_argument("distance cannot be coded: " + std::to_string(distance));
        bits(1, 1);
        lengthCode(length);
        code(DistanceCodes[distance >> lowBits]);
        bits(uint32_t(distance) & ((1u << lowBits) - 1), lowBits);

        const size_t reach = std::min(m_outputSize, size_t(windowSize()));
        if (m_ended) {
            // Past the end code: bits that a decoder never reads.
        } else if (size_t(distance) >= reach) {
            m_describable = false;
        } else {
            m_outputSize += size_t(length);
            if (m_tracking) {
                const size_t start = m_expected.size();
                m_expected.resize(start + size_t(length));
                uint8_t *bytes = m_expected.data();
                for (size_t i = start; i < start + size_t(length); ++i)
                    bytes[i] = bytes[i - 1 - size_t(distance)];
            }
        }
        return *this;
    }

    // The end code: length 519, the last length code with eight 1 bits.
    ImplodeWriter &end()
    {
        bits(1, 1);
        lengthCode(519);
        m_ended = true;
        return *this;
    }

    // Raw bits in plain order (the first written is the value's lowest bit),
    // for crafting streams no token describes. count is 0 to 32.
    ImplodeWriter &bits(uint32_t value, int count)
    {
        const uint64_t mask = (uint64_t(1) << count) - 1;
        m_pending |= (value & mask) << m_pendingBits;
        m_pendingBits += count;
        while (m_pendingBits >= 8) {
            m_bytes.push_back(uint8_t(m_pending));
            m_pending >>= 8;
            m_pendingBits -= 8;
        }
        return *this;
    }

    // A code word written as in the tables: "0 1 1" writes 0, then 1, then 1.
    ImplodeWriter &code(std::string_view word)
    {
        for (char c : word)
            if (c == '0' || c == '1')
                bits(c == '1', 1);
        return *this;
    }

    // The stream: the end code is added when missing, and the last byte is
    // filled up with 0 bits.
    std::vector<uint8_t> finish()
    {
        if (!m_ended)
            end();
        std::vector<uint8_t> stream = m_bytes;
        if (m_pendingBits > 0)
            stream.push_back(uint8_t(m_pending));
        return stream;
    }

    // Stops keeping the bytes the tokens describe, for streams whose image is
    // too large to hold (expected() then throws). The writer still counts
    // them, so it still knows which copies reach too far.
    ImplodeWriter &withoutExpected()
    {
        m_tracking = false;
        m_expected.clear();
        m_expected.shrink_to_fit();
        return *this;
    }

    // Bytes that the tokens before the end code describe.
    size_t outputSize() const { return m_outputSize; }

    // The bytes that the tokens before the end code describe. Throws std::logic_error when a
    // copy reached before the first byte or beyond the window.
    const std::vector<uint8_t> &expected() const
    {
        if (!m_describable)
            throw std::logic_error("a copy reaches outside the decoded bytes");
        if (!m_tracking)
            throw std::logic_error("the writer no longer keeps the expected bytes");
        return m_expected;
    }

private:
    void lengthCode(int length)
    {
        for (const LengthCode &row : LengthCodes) {
            if (length >= row.base && length < row.base + (1 << row.extraBits)) {
                code(row.code);
                bits(uint32_t(length - row.base), row.extraBits);
                return;
            }
        }
        throw std::invalid_argument("no code for length " + std::to_string(length));
    }

    int m_dictionaryBits;
    std::vector<uint8_t> m_bytes;  // whole bytes written
    uint64_t m_pending = 0;        // bits not yet making a whole byte, lowest first
    int m_pendingBits = 0;
    std::vector<uint8_t> m_expected;
    size_t m_outputSize = 0;
    bool m_tracking = true;
    bool m_describable = true;
    bool m_ended = false;
};

// A whole buffer as a stream of literals only: the simplest valid
// "compressed save" of an image, about 9/8 of its size.
inline std::vector<uint8_t> implodeLiterals(std::span<const uint8_t> image, int dictionaryBits = 6)
{
    ImplodeWriter writer(dictionaryBits);
    writer.literals(image);
    return writer.finish();
}

// A whole buffer compressed with simple copies: at each position the latest
// earlier occurrence of the next three bytes inside the window, extended as
// far as it matches (up to 518 bytes), else a literal. Far from what the
// game's compressor achieves, but a real mix of literals, short and long,
// overlapping and far copies, fast enough for images of a few megabytes.
inline std::vector<uint8_t> implodeImage(std::span<const uint8_t> image, int dictionaryBits = 6)
{
    ImplodeWriter writer(dictionaryBits);
    const size_t window = size_t(writer.windowSize());
    constexpr size_t HashSize = size_t(1) << 16;
    std::vector<size_t> latest(HashSize, SIZE_MAX);
    const auto hashAt = [&](size_t at) {
        const uint32_t v = uint32_t(image[at]) | uint32_t(image[at + 1]) << 8 |
                           uint32_t(image[at + 2]) << 16;
        return (v * 2654435761u) >> 16;
    };

    size_t at = 0;
    while (at < image.size()) {
        size_t length = 0;
        size_t from = SIZE_MAX;
        if (at + 3 <= image.size()) {
            from = latest[hashAt(at)];
            if (from != SIZE_MAX && at - from <= window) {
                const size_t limit = std::min(image.size() - at, size_t(ImplodeWriter::MaxLength));
                while (length < limit && image[from + length] == image[at + length])
                    ++length;
            }
        }
        if (length >= 3) {
            writer.copy(int(length), int(at - from - 1));
        } else {
            writer.literal(image[at]);
            length = 1;
        }
        for (size_t i = at; i < at + length && i + 3 <= image.size(); ++i)
            latest[hashAt(i)] = i;
        at += length;
    }
    return writer.finish();
}
