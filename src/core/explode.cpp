// explode.cpp -- decompress a PKWARE Data Compression Library "implode" stream
//
// Civilization III writes most of its saved games through the PKWARE Data
// Compression Library (DCL). The library calls its compressor "implode" and
// its decompressor "explode"; the format is not the "implode" method of old
// ZIP files. PKWARE never published it. Ben Rudiak-Gould described it in
// comp.compression in August 2001, and what follows is that format.
//
// A stream is a header of two bytes and then a string of bits:
//
//   byte 0  literal mode: 0 when literals are stored as plain 8-bit bytes.
//           Mode 1 codes them with a Huffman code instead; saves never use
//           it, and it is refused here.
//   byte 1  dictionary bits, e: 4 to 6 in saves, 0 to 6 in the format. A
//           copy reaches back at most 64 << e bytes (64 to 4096).
//
// Bits are taken from each byte starting at its least significant bit, bytes
// in file order (the header is simply the first sixteen bits). The bits form
// tokens, each opening with one flag bit:
//
//   0  a literal: the next 8 bits, the first taken as the lowest, are the
//      next output byte.
//   1  a copy: a length code gives L, 2 to 518, or 519, the end code. Then a
//      distance code gives the high part H of the distance, 0 to 63, and low
//      bits follow: 2 of them when L is 2, e of them otherwise. The distance
//      D is H shifted left by the number of low bits, plus the low bits. The
//      copy repeats the L bytes that begin D + 1 bytes back, one byte at a
//      time, so a copy may read bytes it has just written itself: D = 0
//      repeats the last byte L times.
//
// Worked example. The seven bytes 00 04 82 3E 04 FC 03 decode to "AAAA":
//
//   byte  bits, in the order taken   meaning
//   00                               literal mode 0
//   04                               e = 4: a window of 1024 bytes
//   82    0                          flag 0: a literal
//         1 0 0 0 0 0 1              its bits 0 to 6 ...
//   3E    0                          ... and bit 7: 01000001 = 41, "A"
//         1                          flag 1: a copy
//         1 1                        length code "1 1": L = 3
//         1 1                        distance code "1 1": H = 0
//         0 0                        e = 4 low bits: 0 0 ...
//   04    0 0                        ... 0 0. D = 0: "A" three more times
//         1                          flag 1: a copy
//         0 0 0 0 0                  length code "0 0 0 0 0 0 0" ...
//   FC    0 0                        ... base 264, then 8 extra bits
//         1 1 1 1 1 1                extra bits ...
//   03    1 1                        ... 255: L = 264 + 255 = 519, the end
//         0 0 0 0 0 0                the rest of the last byte is ignored
//
// The code tables sit with the routines that decode them, DecodeLength and
// DecodeDistanceHigh, written as nests of one-bit decisions that can be read
// against the tables line by line.
//
// Saves come from forums and mail, so every stream is treated as hostile: a
// stream that ends before its end code, a copy that reaches before the first
// byte of the run or beyond the window, an image that would grow past
// ExplodeOutputCap, and a write that falls short each stop the run with a
// result of 0 and a reason (explodeFileStatus). Every byte read lies inside
// the module's fixed buffers, and every loop takes input or ends.
//
// Speed. Saves are 2 to 3 MB once decoded, read whenever the user opens one.
// Two things make the decoder fast without changing its shape. Away from the
// end of an input block, a token's bits are decoded from a 64-bit copy of the
// current and the next word, so each one-bit decision is a test of a fixed
// bit, and the reader moves once per token (PeekedBits). Near a block's end
// and at the end of the input, the same decoding routines take their bits
// one request at a time from ReadBits, which alone deals with block reads
// and the end of the file (StreamBits). And a copy that does not wrap the
// window or fill the output buffer is moved eight bytes at a time (copyRun).

#include "explode.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int BlockWords = 4096;             // 32-bit words per input block
constexpr int BlockSize = 4 * BlockWords;    // bytes per input read: 16384
constexpr int MaxWindowSize = 4096;          // the window of dictionary bits 6
constexpr int MaxDictionaryBits = 6;
constexpr int OutputSize = 4096;             // bytes per output write
constexpr int EndLength = 519;               // the length that ends the stream

// The decoder's state. It lives for the whole process and is set up again by
// every run; Window and the words of InputBlock keep their contents between
// runs, but no run reads what an earlier one left there.
FILE *InputFile;                      // the compressed file, open while a run lasts
FILE *OutputFile;                     // the decoded image, open while a run lasts
int32_t LiteralMode;                  // header byte 0; only 0, plain literals, is decoded
int32_t DictionaryBits;               // header byte 1, e: 0..6, a copy's low distance bits
int32_t WindowSize;                   // 64 << DictionaryBits: how far back a copy may reach
uint8_t Window[MaxWindowSize];        // ring of the last WindowSize output bytes
int32_t WindowPos;                    // index in Window of the last byte written; -1 before the first
uint32_t InputBlock[BlockWords + 1];  // the current block as little-endian words, then a 0 word
int32_t WordIndex;                    // the word bits are taken from; BlockWords (the 0 word) at the start
int32_t BitsLeft;                     // untaken bits of that word, kept at its low end; 0 past the input
uint8_t OutputBuffer[OutputSize];     // decoded bytes not yet written
int32_t OutputFill;                   // number of bytes in OutputBuffer
int32_t blockBytes;                   // bytes of InputBlock that the last read took from the file
int64_t writtenBytes;                 // bytes of this run already handed to OutputFile
ExplodeStatus runStatus;              // Ok, or the first failure of this run

// Records why the run stops. The first reason wins: later ones are only
// consequences of it.
void fail(ExplodeStatus why)
{
    if (runStatus == ExplodeStatus::Ok)
        runStatus = why;
}

// Reads the next 16384 bytes of input into InputBlock as 4096 words. A short
// read is the end of the input (or a read error, recorded as ReadFailed):
// the bytes it did not fill are zeroed, and blockBytes tells nextWord how
// far the file's bytes go.
//
// Format notes:
// - Word i holds input bytes 4i to 4i + 3 with the first byte lowest, so
//   taking a word's bits from the bottom up takes the bytes in file order,
//   each from its least significant bit. The words are built from the bytes,
//   so this holds on big-endian hosts too.
void readBlock()
{
    auto *bytes = reinterpret_cast<unsigned char *>(InputBlock);
    const size_t got = std::fread(bytes, 1, BlockSize, InputFile);
    if (got < size_t(BlockSize)) {
        if (std::ferror(InputFile))
            fail(ExplodeStatus::ReadFailed);
        std::memset(bytes + got, 0, BlockSize - got);
    }
    // Zeroed bytes make zero words in either byte order; only the words that
    // hold the file's bytes need building.
    const int words = int((got + 3) / 4);
    for (int i = 0; i < words; ++i) {
        const unsigned char *b = bytes + 4 * i;
        InputBlock[i] = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                        uint32_t(b[3]) << 24;
    }
    blockBytes = int32_t(got);
}

// Moves the reader to the next word, reading the next block after a block's
// last word. BitsLeft becomes the number of the file's bits in that word:
// 32, or 8, 16 or 24 in the last word of a file whose length is no multiple
// of 4, or 0 past the end of the file. So the reader can never hand out a
// bit the file does not hold.
void nextWord()
{
    if (++WordIndex >= BlockWords) {
        readBlock();
        WordIndex = 0;
    }
    const int32_t bytes = blockBytes - 4 * WordIndex;
    BitsLeft = bytes >= 4 ? 32 : bytes > 0 ? 8 * bytes : 0;
}

// ReadBits for a request that uses up the current word: the rest of the word
// is the low part of the result, and the bits still wanted come from the
// next word, shifted above it. A word used up exactly moves the reader on at
// once. Returns 0 and records Truncated when the file ends first.
[[gnu::noinline]] uint32_t readBitsAcross(int count)
{
    if (count == 0)
        return 0;
    uint32_t bits = 0;
    int taken = 0;
    // Two rounds at most, three when the last word of the file is a part word.
    for (;;) {
        bits |= InputBlock[WordIndex] << taken;
        taken += BitsLeft;
        nextWord();
        const int wanted = count - taken;
        if (wanted == 0)
            return bits;
        if (BitsLeft == 0) {
            fail(ExplodeStatus::Truncated);
            return 0;
        }
        if (BitsLeft > wanted) {
            uint32_t &word = InputBlock[WordIndex];
            bits |= (word & ((uint32_t(1) << wanted) - 1)) << taken;
            word >>= wanted;
            BitsLeft -= wanted;
            return bits;
        }
    }
}

// Returns the next count bits (0 to 24) in plain order: the first bit taken
// is the least significant. A count of 0 returns 0 and takes nothing. When
// the input ends first it returns 0 and records Truncated.
inline uint32_t ReadBits(int count)
{
    if (BitsLeft > count) {
        uint32_t &word = InputBlock[WordIndex];
        const uint32_t bits = word & ((uint32_t(1) << count) - 1);
        word >>= count;
        BitsLeft -= count;
        return bits;
    }
    return readBitsAcross(count);
}

// Takes count bits (at most 30) that a PeekedBits has already decoded. The
// fast path only runs while the next word is a whole word of the file, so
// this never reaches the end of a block or of the input.
inline void skipBits(int count)
{
    if (BitsLeft > count) {
        InputBlock[WordIndex] >>= count;
        BitsLeft -= count;
        return;
    }
    count -= BitsLeft;
    ++WordIndex;
    InputBlock[WordIndex] >>= count;
    BitsLeft = 32 - count;
}

// The bits of one token, taken through ReadBits one request at a time. Used
// where a token may cross into the next block or past the end of the input.
struct StreamBits {
    int bit() { return int(ReadBits(1)); }
    int take(int count) { return int(ReadBits(count)); }
};

// The bits of one token, taken from a copy of the current and the next word:
// at least 33 bits, more than the longest token (30 bits). The decoding
// routines make their one-bit decisions on the copy; skipBits then takes the
// bits they used in one step. Only for where the next word is a whole word
// of the file.
class PeekedBits {
public:
    PeekedBits()
        : m_bits(InputBlock[WordIndex] | uint64_t(InputBlock[WordIndex + 1]) << BitsLeft)
    {
    }
    int bit()
    {
        const int b = int(m_bits & 1);
        m_bits >>= 1;
        ++m_taken;
        return b;
    }
    int take(int count)
    {
        const int bits = int(m_bits & ((uint32_t(1) << count) - 1));
        m_bits >>= count;
        m_taken += count;
        return bits;
    }
    int taken() const { return m_taken; }

private:
    uint64_t m_bits;  // the untaken bits, the next at the bottom
    int m_taken = 0;  // bits used so far
};

// Returns the next count bits (2, 3 or 4) in reversed order: the first bit
// taken is the most significant.
//
// Format notes:
// - Only the tails of the distance code are read this way; every other
//   field of the stream comes least significant bit first. Read reversed, a
//   tail is the end of its code word as the code table lists it.
template <typename Bits>
inline int ReadBitsReversed(Bits &in, int count)
{
    const int bits = in.take(count);
    int reversed = 0;
    for (int i = 0; i < count; ++i)
        reversed |= ((bits >> i) & 1) << (count - 1 - i);
    return reversed;
}

// Returns one copy length, 2 to 518, or 519 for the end code. Every string of
// bits is some code word, so there is no bad input here; input that ends too
// soon is caught by the reader.
//
// Format notes:
// - Code words are listed with their bits in the order taken. Shorter words
//   go to the lengths that compressors use most.
// - Extra bits are in plain order and add to the base: the last code word with
//   all eight extra bits set is 264 + 255 = 519, the end code.
//
//     code word       base  extra bits  lengths
//     1 1                3  0           3
//     1 0 1              2  0           2
//     1 0 0              4  0           4
//     0 1 1              5  0           5
//     0 1 0 1            6  0           6
//     0 1 0 0            7  0           7
//     0 0 1 1            8  0           8
//     0 0 1 0 1          9  0           9
//     0 0 1 0 0         10  1           10 to 11
//     0 0 0 1 1         12  2           12 to 15
//     0 0 0 1 0         16  3           16 to 23
//     0 0 0 0 1 1       24  4           24 to 39
//     0 0 0 0 1 0       40  5           40 to 71
//     0 0 0 0 0 1       72  6           72 to 135
//     0 0 0 0 0 0 1    136  7           136 to 263
//     0 0 0 0 0 0 0    264  8           264 to 519
template <typename Bits>
inline int DecodeLength(Bits &in)
{
    if (in.bit()) {
        if (in.bit())
            return 3;                                         // 1 1
        return in.bit() ? 2                                   // 1 0 1
                        : 4;                                  // 1 0 0
    }
    if (in.bit()) {
        if (in.bit())
            return 5;                                         // 0 1 1
        return in.bit() ? 6                                   // 0 1 0 1
                        : 7;                                  // 0 1 0 0
    }
    if (in.bit()) {
        if (in.bit())
            return 8;                                         // 0 0 1 1
        return in.bit() ? 9                                   // 0 0 1 0 1
                        : 10 + in.take(1);                    // 0 0 1 0 0
    }
    if (in.bit())
        return in.bit() ? 12 + in.take(2)                     // 0 0 0 1 1
                        : 16 + in.take(3);                    // 0 0 0 1 0
    if (in.bit())
        return in.bit() ? 24 + in.take(4)                     // 0 0 0 0 1 1
                        : 40 + in.take(5);                    // 0 0 0 0 1 0
    if (in.bit())
        return 72 + in.take(6);                               // 0 0 0 0 0 1
    return in.bit() ? 136 + in.take(7)                        // 0 0 0 0 0 0 1
                    : 264 + in.take(8);                       // 0 0 0 0 0 0 0
}

// Returns the high part of a copy's distance, 0 to 63. As with lengths,
// every string of bits decodes to some value.
//
// Format notes:
// - The routine decides on the first two to four bits and then takes a
//   tail. Each tail, read reversed, counts down from the top of a run of
//   values, so the complete code words of 0 to 63 run in order:
//
//     bits taken first  tail                                 value
//     1 1               none                                 0
//     1 0 1             1 bit x, plain                       2 - x    (1, 2)
//     1 0 0             2 bits r, reversed                   6 - r    (3 to 6)
//     0 1               4 bits r, reversed, r not 0          22 - r   (7 to 21)
//     0 1               4 bits r = 0, then 1 bit x, plain    23 - x   (22, 23)
//     0 0 1             4 bits r, reversed                   39 - r   (24 to 39)
//     0 0 0 1           3 bits r, reversed                   47 - r   (40 to 47)
//     0 0 0 0           4 bits r, reversed                   63 - r   (48 to 63)
//
//   For example 7 is 0 1 1 1 1 1 (r = 15), 22 is 0 1 0 0 0 0 1 and 63 is
//   0 0 0 0 0 0 0 0.
template <typename Bits>
inline int DecodeDistanceHigh(Bits &in)
{
    if (in.bit()) {
        if (in.bit())
            return 0;                                         // 1 1
        if (in.bit())
            return 2 - in.take(1);                            // 1 0 1 x
        return 6 - ReadBitsReversed(in, 2);                   // 1 0 0 r r
    }
    if (in.bit()) {
        const int r = ReadBitsReversed(in, 4);                // 0 1 r r r r
        return r != 0 ? 22 - r
                      : 23 - in.take(1);                      // 0 1 0 0 0 0 x
    }
    if (in.bit())
        return 39 - ReadBitsReversed(in, 4);                  // 0 0 1 r r r r
    if (in.bit())
        return 47 - ReadBitsReversed(in, 3);                  // 0 0 0 1 r r r
    return 63 - ReadBitsReversed(in, 4);                      // 0 0 0 0 r r r r
}

struct Token {
    int length;  // 0: a literal; 2 to 518: a copy; EndLength: the end code
    int value;   // the literal's byte, or the copy's distance D
};

// Decodes the next token. The high part of a distance comes before its low
// bits, and a copy of 2 bytes takes 2 low bits whatever e is.
template <typename Bits>
inline Token decodeToken(Bits &in)
{
    if (!in.bit())
        return {0, in.take(8)};
    const int length = DecodeLength(in);
    if (length == EndLength)
        return {length, 0};
    const int high = DecodeDistanceHigh(in);
    const int lowBits = length == 2 ? 2 : DictionaryBits;
    return {length, high << lowBits | in.take(lowBits)};
}

// Writes the OutputFill bytes of OutputBuffer (possibly none) to OutputFile.
// Returns false, and records why, when the image would pass ExplodeOutputCap
// or the write falls short.
[[gnu::noinline]] bool flush()
{
    if (writtenBytes + OutputFill > ExplodeOutputCap) {
        fail(ExplodeStatus::TooLarge);
        return false;
    }
    if (std::fwrite(OutputBuffer, 1, size_t(OutputFill), OutputFile) != size_t(OutputFill)) {
        fail(ExplodeStatus::WriteFailed);
        return false;
    }
    writtenBytes += OutputFill;
    OutputFill = 0;
    return true;
}

// Appends one byte to the window and the output, writing the output buffer
// out when it is full. Returns false when that write fails.
inline bool putByte(uint8_t byte)
{
    if (++WindowPos == WindowSize)
        WindowPos = 0;
    Window[WindowPos] = byte;
    OutputBuffer[OutputFill] = byte;
    return ++OutputFill < OutputSize || flush();
}

// Moves length bytes from `from` to `to`, both inside Window, and the same
// bytes to `out`, with the result of a byte-by-byte copy. The caller has made
// sure that no range passes the end of its array.
//
// Where the source lies behind the destination, a byte-by-byte copy reads
// again the bytes it wrote early on, so a source less than 8 bytes behind
// repeats a short pattern and is copied byte by byte. Otherwise bytes move in
// groups of 8, and the last group ends exactly at the copy's end, rewriting a
// few bytes with the values they already hold. Where the source lies ahead
// (the copy reaches back across the ring's end), every byte it reads must
// still hold its old value, so the last group is read before any is written;
// where it lies behind, it is read again after the others.
inline void copyRun(const uint8_t *from, uint8_t *to, uint8_t *out, int length, int distance)
{
    if (from < to && distance < 7) {
        if (distance == 0) {
            std::memset(to, *from, size_t(length));
            std::memset(out, *from, size_t(length));
        } else {
            for (int i = 0; i < length; ++i)
                out[i] = to[i] = from[i];
        }
        return;
    }
    if (length >= 8) {
        const int last = length - 8;
        uint64_t v, tail;
        std::memcpy(&tail, from + last, 8);
        for (int at = 0; at < last; at += 8) {
            std::memcpy(&v, from + at, 8);
            std::memcpy(to + at, &v, 8);
            std::memcpy(out + at, &v, 8);
        }
        if (from < to)
            std::memcpy(&tail, from + last, 8);  // the loop may have written it
        std::memcpy(to + last, &tail, 8);
        std::memcpy(out + last, &tail, 8);
    } else if (length >= 4) {
        // Both groups are read before either is written.
        uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + length - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + length - 4, &tail, 4);
        std::memcpy(out, &head, 4);
        std::memcpy(out + length - 4, &tail, 4);
    } else if (length >= 2) {
        uint16_t head, tail;
        std::memcpy(&head, from, 2);
        std::memcpy(&tail, from + length - 2, 2);
        std::memcpy(to, &head, 2);
        std::memcpy(to + length - 2, &tail, 2);
        std::memcpy(out, &head, 2);
        std::memcpy(out + length - 2, &tail, 2);
    } else {
        out[0] = to[0] = from[0];
    }
}

// Appends the length bytes that begin distance + 1 bytes back. Returns false,
// and records why, when the distance reaches before the first byte of this
// run or beyond the window, or when a write fails.
//
// Format notes:
// - With e = 0 or 1 a copy of 2 bytes can name a distance up to 255, past a
//   window of 64 or 128 bytes; the format gives such a distance no meaning.
// - The source index wraps at WindowSize: the bytes before Window[0] are
//   those at the end of the ring.
bool copyBytes(int length, int distance)
{
    if (distance >= WindowSize || distance >= writtenBytes + OutputFill) {
        fail(ExplodeStatus::BadDistance);
        return false;
    }
    int from = WindowPos >= distance ? WindowPos - distance : WindowSize - (distance - WindowPos);
    int to = WindowPos + 1 == WindowSize ? 0 : WindowPos + 1;
    // In runs that end where the source or the destination wraps, or where
    // the output buffer fills up; most copies are a single run. When distance
    // is WindowSize - 1 the source is the very cell written next, and keeps
    // its byte.
    for (;;) {
        const int run = std::min({length, WindowSize - from, WindowSize - to, OutputSize - OutputFill});
        copyRun(Window + from, Window + to, OutputBuffer + OutputFill, run, distance);
        length -= run;
        from += run;
        to += run;
        WindowPos = to - 1;
        OutputFill += run;
        if (OutputFill == OutputSize && !flush())
            return false;
        if (length == 0)
            return true;
        if (from == WindowSize)
            from = 0;
        if (to == WindowSize)
            to = 0;
    }
}

// Decodes tokens until the end code or a failure. Returns true at the end
// code.
bool decodeTokens()
{
    for (;;) {
        Token token;
        if ((WordIndex + 2) * 4 <= blockBytes) {
            // The next word is a whole word of the file: the token fits in
            // the peek.
            PeekedBits in;
            token = decodeToken(in);
            skipBits(in.taken());
        } else {
            StreamBits in;
            token = decodeToken(in);
            if (runStatus != ExplodeStatus::Ok)
                return false;
        }
        if (token.length == 0) {
            if (!putByte(uint8_t(token.value)))
                return false;
        } else if (token.length == EndLength) {
            return true;
        } else if (!copyBytes(token.length, token.value)) {
            return false;
        }
    }
}

// One run: opens both files, sets the state up, tests the header, decodes,
// writes the rest of the output and closes both files. Returns Ok, or why
// the run stopped.
//
// Format notes:
// - The header is read through the reader like any other bits, so it is the
//   first sixteen bits of the stream.
// - A dictionary-bits byte of 7 to 255 is refused before any shift by it.
ExplodeStatus decodeFile(const char *inputPath, const char *outputPath)
{
    InputFile = std::fopen(inputPath, "rb");
    if (!InputFile)
        return ExplodeStatus::CannotOpenInput;
    OutputFile = std::fopen(outputPath, "wb");
    if (!OutputFile) {
        std::fclose(InputFile);
        InputFile = nullptr;
        return ExplodeStatus::CannotOpenOutput;
    }

    runStatus = ExplodeStatus::Ok;
    WordIndex = BlockWords;
    BitsLeft = 0;
    InputBlock[BlockWords] = 0;
    blockBytes = 0;
    OutputFill = 0;
    writtenBytes = 0;
    WindowPos = -1;

    LiteralMode = int32_t(ReadBits(8));
    DictionaryBits = int32_t(ReadBits(8));
    if (runStatus == ExplodeStatus::Ok &&
        (LiteralMode != 0 || DictionaryBits > MaxDictionaryBits))
        fail(ExplodeStatus::BadHeader);
    if (runStatus == ExplodeStatus::Ok) {
        WindowSize = 64 << DictionaryBits;
        if (decodeTokens())
            flush();
    }

    std::fclose(InputFile);
    if (std::fclose(OutputFile) != 0)
        fail(ExplodeStatus::WriteFailed);
    InputFile = nullptr;
    OutputFile = nullptr;
    return runStatus;
}

} // namespace

int ExplodeFile(const char *InputPath, const char *OutputPath)
{
    return decodeFile(InputPath, OutputPath) == ExplodeStatus::Ok ? 1 : 0;
}

ExplodeStatus explodeFileStatus(const char *inputPath, const char *outputPath)
{
    return decodeFile(inputPath, outputPath);
}

const char *explodeStatusText(ExplodeStatus status)
{
    switch (status) {
    case ExplodeStatus::Ok:
        return "decompressed";
    case ExplodeStatus::CannotOpenInput:
        return "cannot be read";
    case ExplodeStatus::CannotOpenOutput:
        return "the output file cannot be created";
    case ExplodeStatus::ReadFailed:
        return "cannot be read: a read error";
    case ExplodeStatus::BadHeader:
        return "not a compressed save";
    case ExplodeStatus::Truncated:
        return "truncated stream: the file ends before the end code";
    case ExplodeStatus::BadDistance:
        return "damaged stream: a copy reaches outside the decoded bytes";
    case ExplodeStatus::TooLarge:
        return "damaged stream: the image would be larger than 256 MiB";
    case ExplodeStatus::WriteFailed:
        return "the output could not be written in full";
    }
    return "unknown failure";
}
