// The implode decoder on streams written by ImplodeWriter from the format's
// own code tables, on hand-made byte vectors, on hostile input and on two
// real saves.
#include "explode.h"
#include "implode_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

// SHA-256 (FIPS 180-4), enough to recognise a whole decoded save.
std::string sha256Hex(const Bytes &data)
{
    static constexpr uint32_t K[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
        0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
        0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
        0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
        0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
        0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
        0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
        0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
        0xc67178f2};
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };

    Bytes message = data;
    message.push_back(0x80);
    while (message.size() % 64 != 56)
        message.push_back(0);
    const uint64_t bitLength = uint64_t(data.size()) * 8;
    for (int i = 7; i >= 0; --i)
        message.push_back(uint8_t(bitLength >> (8 * i)));

    for (size_t block = 0; block < message.size(); block += 64) {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = uint32_t(message[block + 4 * i]) << 24 | uint32_t(message[block + 4 * i + 1]) << 16 |
                   uint32_t(message[block + 4 * i + 2]) << 8 | uint32_t(message[block + 4 * i + 3]);
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
        for (int i = 0; i < 64; ++i) {
            const uint32_t t1 = k + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + K[i] + w[i];
            const uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            k = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += k;
    }
    std::string hex;
    for (uint32_t word : h) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", word);
        hex += part;
    }
    return hex;
}

Bytes hexBytes(std::string_view text)
{
    Bytes bytes;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(uint8_t(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

Bytes readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    Bytes bytes(size_t(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    return bytes;
}

void writeFile(const fs::path &path, const Bytes &bytes)
{
    fs::remove(path);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

struct Decoded {
    ExplodeStatus status;
    Bytes output;
};

// Each test gets its own folder for the stream and the decoded image.
class Explode : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("vantorel-explode-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path inputPath() const { return m_dir / "in.imp"; }
    fs::path outputPath() const { return m_dir / "out.dat"; }

    // Writes stream to a file and decodes it twice, through ExplodeFile and
    // explodeFileStatus: their results must agree, and so must the bytes of
    // the two runs.
    Decoded decode(const Bytes &stream)
    {
        writeFile(inputPath(), stream);
        return decodeFile(inputPath());
    }

    Decoded decodeFile(const fs::path &input)
    {
        // Each run writes a new file: emptying one that holds data makes
        // some file systems write it out at once, which is slow.
        fs::remove(outputPath());
        const int result = ExplodeFile(input.c_str(), outputPath().c_str());
        const Bytes first = readFile(outputPath());
        fs::remove(outputPath());
        const ExplodeStatus status = explodeFileStatus(input.c_str(), outputPath().c_str());
        EXPECT_EQ(result, status == ExplodeStatus::Ok ? 1 : 0) << "ExplodeFile and its status disagree";
        Bytes output = readFile(outputPath());
        if (status == ExplodeStatus::Ok) {
            EXPECT_EQ(output, first) << "a second run gave other bytes";
        }
        return {status, std::move(output)};
    }

    fs::path m_dir;
};

const char *name(ExplodeStatus status)
{
    switch (status) {
    case ExplodeStatus::Ok: return "Ok";
    case ExplodeStatus::CannotOpenInput: return "CannotOpenInput";
    case ExplodeStatus::CannotOpenOutput: return "CannotOpenOutput";
    case ExplodeStatus::ReadFailed: return "ReadFailed";
    case ExplodeStatus::BadHeader: return "BadHeader";
    case ExplodeStatus::Truncated: return "Truncated";
    case ExplodeStatus::BadDistance: return "BadDistance";
    case ExplodeStatus::TooLarge: return "TooLarge";
    case ExplodeStatus::WriteFailed: return "WriteFailed";
    }
    return "?";
}

} // namespace

void PrintTo(ExplodeStatus status, std::ostream *out)
{
    *out << name(status);
}

// --- Byte vectors -----------------------------------------------------------

struct Vector {
    const char *what;
    const char *stream;
    ExplodeStatus status;
    const char *output;  // as hex
};

TEST_F(Explode, ByteVectorsDecodeAsTheFormatSays)
{
    const Vector vectors[] = {
        {"header and end code: an empty image", "00 06 01 FF", ExplodeStatus::Ok, ""},
        {"one literal", "00 06 86 02 FE 01", ExplodeStatus::Ok, "43"},
        {"D = 0 repeats the last byte", "00 04 82 3E 04 FC 03", ExplodeStatus::Ok, "41 41 41 41"},
        {"length 2 takes 2 low bits whatever e is", "00 04 82 08 ED 05 FC 03", ExplodeStatus::Ok,
         "41 42 41 42"},
        {"e = 0: a 64-byte window, D = H", "00 00 82 08 BD 03 FE 01", ExplodeStatus::Ok,
         "41 42 41 42 41"},
        {"bytes after the end code are ignored", "00 04 82 3E 04 FC 03 FF FF 00 17 42",
         ExplodeStatus::Ok, "41 41 41 41"},
        {"coded literals are refused", "01 06 01 FF", ExplodeStatus::BadHeader, ""},
        {"dictionary bits 7 are refused", "00 07 01 FF", ExplodeStatus::BadHeader, ""},
        {"dictionary bits 255 are refused", "00 FF 01 FF", ExplodeStatus::BadHeader, ""},
        {"an empty file", "", ExplodeStatus::Truncated, ""},
        {"half a header", "00", ExplodeStatus::Truncated, ""},
        {"a header alone", "00 06", ExplodeStatus::Truncated, ""},
    };
    for (const Vector &v : vectors) {
        SCOPED_TRACE(v.what);
        const Decoded decoded = decode(hexBytes(v.stream));
        EXPECT_EQ(decoded.status, v.status);
        EXPECT_EQ(decoded.output, hexBytes(v.output));
        EXPECT_TRUE(fs::exists(outputPath())) << "the output file is always created";
    }
}

// The writer's tables against the same vectors, so that a stream built from
// them means what the format says.
TEST(ImplodeWriterTest, WritesTheFormatsByteVectors)
{
    EXPECT_EQ(ImplodeWriter(6).finish(), hexBytes("00 06 01 FF"));
    EXPECT_EQ(ImplodeWriter(6).literal(0x43).finish(), hexBytes("00 06 86 02 FE 01"));
    EXPECT_EQ(ImplodeWriter(4).literal('A').copy(3, 0).finish(), hexBytes("00 04 82 3E 04 FC 03"));
    EXPECT_EQ(ImplodeWriter(4).literals("AB").copy(2, 1).finish(),
              hexBytes("00 04 82 08 ED 05 FC 03"));
    EXPECT_EQ(ImplodeWriter(0).literals("AB").copy(3, 1).finish(), hexBytes("00 00 82 08 BD 03 FE 01"));

    ImplodeWriter w(4);
    w.literals("AB").copy(2, 1).copy(5, 0);
    EXPECT_EQ(w.expected(), Bytes({'A', 'B', 'A', 'B', 'B', 'B', 'B', 'B', 'B'}));
}

// --- Output around the 4096-byte writes --------------------------------------

TEST_F(Explode, OutputsAroundTheWriteSizeComeOutWhole)
{
    std::mt19937 random(4096);
    for (int size : {4095, 4096, 4097, 8191, 8192, 8193}) {
        Bytes image(size_t(size), 0);
        for (uint8_t &b : image)
            b = uint8_t(random());
        SCOPED_TRACE(size);

        Decoded literals = decode(implodeLiterals(image));
        EXPECT_EQ(literals.status, ExplodeStatus::Ok);
        EXPECT_EQ(literals.output, image);
        EXPECT_EQ(fs::file_size(outputPath()), size_t(size));

        // The same sizes reached by a copy that runs over the write.
        ImplodeWriter w(6);
        w.literals(std::span(image).first(size_t(size) - 300)).copy(300, 1000);
        const Decoded copied = decode(w.finish());
        EXPECT_EQ(copied.status, ExplodeStatus::Ok);
        EXPECT_EQ(copied.output, w.expected());
    }
}

// --- Fields across word and block boundaries ---------------------------------

namespace {

// Writes literals (9 bits) and 2-byte copies (8 bits) until the stream is
// exactly `target` bits long. Needs at least one byte of output before and
// 63 bits of room.
void padTo(ImplodeWriter &w, size_t target)
{
    const size_t room = target - w.bitCount();
    ASSERT_GE(target, w.bitCount() + 63);
    const size_t literals = room % 8;
    for (size_t i = 0; i < literals; ++i)
        w.literal(uint8_t(0x30 + i));
    for (size_t i = 0; i < (room - 9 * literals) / 8; ++i)
        w.copy(2, int(i % 4));
    ASSERT_EQ(w.bitCount(), target);
}

struct Field {
    const char *what;
    std::function<void(ImplodeWriter &)> write;
};

} // namespace

TEST_F(Explode, FieldsStraddlingWordAndBlockBoundariesDecodeAsAnywhereElse)
{
    const std::vector<Field> fields = {
        {"literal", [](ImplodeWriter &w) { w.literal(0xA5); }},
        {"length code 1 0 1 and 2 low bits", [](ImplodeWriter &w) { w.copy(2, 3); }},
        {"length with 1 extra bit", [](ImplodeWriter &w) { w.copy(11, 0); }},
        {"length with 8 extra bits", [](ImplodeWriter &w) { w.copy(300, 1); }},
        {"length 518", [](ImplodeWriter &w) { w.copy(518, 77 % w.windowSize()); }},
        {"8-bit distance code and all low bits",
         [](ImplodeWriter &w) { w.copy(9, w.windowSize() - 1); }},
        {"distance 23 << e (tail 0 0 0 0 then x)",
         [](ImplodeWriter &w) { w.copy(40, 23 << w.dictionaryBits()); }},
        {"end code", [](ImplodeWriter &w) { w.end(); }},
    };
    // A history of 4100 varied bytes first, so that every distance has
    // something to reach; it takes 36 916 bits.
    std::mt19937 random(7);
    Bytes history(4100);
    for (uint8_t &b : history)
        b = uint8_t(random());

    // Tokens are at most 30 bits long, so starting at each bit of the word
    // before a boundary puts every part of every field across it.
    for (int e : {0, 6}) {
        for (size_t boundary : {size_t(40960), size_t(131072)}) {  // a word; the first block's end
            ImplodeWriter prefix(e);
            prefix.literals(history);
            padTo(prefix, boundary - 32 - 64);
            for (size_t start = boundary - 32; start <= boundary + 1; ++start) {
                for (const Field &field : fields) {
                    SCOPED_TRACE(testing::Message() << field.what << ", e " << e << ", starting at bit "
                                                    << start << " of a boundary at " << boundary);
                    ImplodeWriter w = prefix;
                    padTo(w, start);
                    field.write(w);
                    w.literal('z').copy(5, 1);
                    const Decoded decoded = decode(w.finish());
                    ASSERT_EQ(decoded.status, ExplodeStatus::Ok);
                    ASSERT_EQ(decoded.output, w.expected());
                }
            }
        }
    }
}

// --- Copies -----------------------------------------------------------------

TEST_F(Explode, CopiesReachExactlyAsFarAsTheyShould)
{
    for (int e = 0; e <= 6; ++e) {
        SCOPED_TRACE(testing::Message() << "dictionary bits " << e);
        std::mt19937 random(e);
        ImplodeWriter w(e);
        const int windowSize = w.windowSize();
        for (int i = 0; i < windowSize + 5; ++i)
            w.literal(uint8_t(random()));
        w.copy(518, windowSize - 1)  // the source is the very cell written next
            .copy(517, 0)            // one byte, 517 times
            .copy(3, windowSize - 1)
            .copy(2, std::min(255, windowSize - 1))
            .copy(518, 1)            // a two-byte pattern
            .copy(100, 5)            // overlapping, 6 bytes apart
            .copy(30, 6)             // overlapping, 7 bytes apart
            .copy(30, 7)             // overlapping, 8 bytes apart
            .copy(9, 7)
            .copy(64, 100 % windowSize)
            .literal('x')
            .copy(7, 3);
        for (int length = 2; length <= 20; ++length)
            w.copy(length, (length * 37) % windowSize);
        const Decoded decoded = decode(w.finish());
        EXPECT_EQ(decoded.status, ExplodeStatus::Ok);
        EXPECT_EQ(decoded.output, w.expected());
    }
}

// --- Random streams ---------------------------------------------------------

namespace {

struct Shape {
    const char *what;
    double literalShare;
    int minLength, maxLength;
    int maxDistance;  // -1: anywhere in the window
    int tokens;
};

} // namespace

TEST_F(Explode, RandomStreamsOfManyShapesDecodeToTheirTokens)
{
    const Shape shapes[] = {
        {"literals only", 1.0, 2, 2, 0, 3000},
        {"mostly literals", 0.9, 2, 10, -1, 3000},
        {"a save's mix", 0.5, 2, 40, -1, 4000},
        {"short copies close by", 0.2, 2, 9, 8, 4000},
        {"overlapping runs", 0.1, 20, 518, 7, 2000},
        {"long far copies", 0.1, 200, 518, -1, 1500},
        {"copies only", 0.0, 2, 518, -1, 3000},
        {"2-byte copies only", 0.0, 2, 2, 255, 5000},
        {"long copies at the window's edge", 0.05, 500, 518, -2, 800},
    };
    int seed = 0;
    for (const Shape &shape : shapes) {
        for (int e = 0; e <= 6; ++e) {
            for (int round = 0; round < 3; ++round) {
                SCOPED_TRACE(testing::Message() << shape.what << ", dictionary bits " << e << ", seed " << seed);
                std::mt19937 random(uint32_t(seed++));
                ImplodeWriter w(e);
                w.literal(uint8_t(random()));
                const int tokens = int(random() % uint32_t(shape.tokens)) + 1;
                for (int t = 0; t < tokens; ++t) {
                    if (std::uniform_real_distribution<>(0, 1)(random) < shape.literalShare) {
                        w.literal(uint8_t(random()));
                        continue;
                    }
                    const int length = std::uniform_int_distribution<>(shape.minLength, shape.maxLength)(random);
                    int reach = std::min<int>(int(w.outputSize()), w.windowSize());
                    if (length == 2)
                        reach = std::min(reach, 256);
                    int distance;
                    if (shape.maxDistance == -2)
                        distance = reach - 1 - int(random() % 4 % uint32_t(reach));
                    else if (shape.maxDistance == -1)
                        distance = int(random() % uint32_t(reach));
                    else
                        distance = int(random() % uint32_t(std::min(reach, shape.maxDistance + 1)));
                    w.copy(length, distance);
                }
                const Decoded decoded = decode(w.finish());
                ASSERT_EQ(decoded.status, ExplodeStatus::Ok);
                ASSERT_EQ(decoded.output, w.expected());
            }
        }
    }
}

// --- Hostile input ----------------------------------------------------------

TEST_F(Explode, InputCutAnywhereBeforeItsEndCodeStopsTheRun)
{
    ImplodeWriter w(4);
    w.literals("Civ3").copy(2, 1).copy(10, 0).copy(300, 3).copy(24, 5).literal(0xFF);
    const Bytes stream = w.finish();
    ASSERT_EQ(decode(stream).status, ExplodeStatus::Ok);
    for (size_t cut = 0; cut < stream.size(); ++cut) {
        SCOPED_TRACE(testing::Message() << "cut to " << cut << " of " << stream.size() << " bytes");
        EXPECT_EQ(decode(Bytes(stream.begin(), stream.begin() + long(cut))).status, ExplodeStatus::Truncated);
    }
}

TEST_F(Explode, InputCutAroundABlockEndStopsTheRun)
{
    // A stream that runs a few words into its second block.
    ImplodeWriter w(6);
    std::mt19937 random(16384);
    while (w.bitCount() < 8 * 16400)
        w.literal(uint8_t(random()));
    const Bytes stream = w.finish();
    ASSERT_EQ(decode(stream).status, ExplodeStatus::Ok);
    for (size_t cut : {size_t(16380), size_t(16383), size_t(16384), size_t(16385), size_t(16388),
                       stream.size() - 4, stream.size() - 1}) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(decode(Bytes(stream.begin(), stream.begin() + long(cut))).status, ExplodeStatus::Truncated);
    }
}

TEST_F(Explode, StreamsEndingExactlyAtABlockOrWordEndAreWhole)
{
    // The end code's last bit is the file's last bit: the reader moves on past
    // the end of the file, but takes nothing there.
    for (size_t bytes : {size_t(16384), size_t(16388), size_t(32768), size_t(20)}) {
        SCOPED_TRACE(bytes);
        ImplodeWriter w(6);
        w.literal('C');
        padTo(w, 8 * bytes - 16);
        w.end();
        ASSERT_EQ(w.bitCount(), 8 * bytes);
        const Decoded decoded = decode(w.finish());
        EXPECT_EQ(decoded.status, ExplodeStatus::Ok);
        EXPECT_EQ(decoded.output, w.expected());
    }
}

namespace {

struct FarCopy {
    const char *what;
    int dictionaryBits;
    int before;  // literals before the copy
    int length;
    int distance;
    ExplodeStatus status;
};

} // namespace

TEST_F(Explode, CopiesReachingOutsideTheDecodedBytesAreRefused)
{
    const FarCopy cases[] = {
        {"a copy before any byte", 6, 0, 3, 0, ExplodeStatus::BadDistance},
        {"one byte past the first", 6, 10, 3, 10, ExplodeStatus::BadDistance},
        {"back to the first byte", 6, 10, 3, 9, ExplodeStatus::Ok},
        {"2-byte copy past a 64-byte window", 0, 300, 2, 64, ExplodeStatus::BadDistance},
        {"2-byte copy at the top of its range, window 64", 0, 300, 2, 255, ExplodeStatus::BadDistance},
        {"2-byte copy at a 64-byte window's edge", 0, 300, 2, 63, ExplodeStatus::Ok},
        {"2-byte copy past a 128-byte window", 1, 300, 2, 128, ExplodeStatus::BadDistance},
        {"2-byte copy at a 128-byte window's edge", 1, 300, 2, 127, ExplodeStatus::Ok},
        {"the window's far edge, 4096 bytes", 6, 5000, 518, 4095, ExplodeStatus::Ok},
        {"before the first byte, in a full window's range", 6, 4000, 10, 4000, ExplodeStatus::BadDistance},
    };
    for (const FarCopy &c : cases) {
        SCOPED_TRACE(c.what);
        ImplodeWriter w(c.dictionaryBits);
        for (int i = 0; i < c.before; ++i)
            w.literal(uint8_t(i * 7));
        w.copy(c.length, c.distance).literal('!');
        const Decoded decoded = decode(w.finish());
        EXPECT_EQ(decoded.status, c.status);
        if (c.status == ExplodeStatus::Ok) {
            EXPECT_EQ(decoded.output, w.expected());
        }
    }
}

TEST_F(Explode, AnEarlierRunsWindowIsNeverRead)
{
    // A first run fills the window; a second run that reaches back into it
    // must not see those bytes, and a third run gives the first run's bytes.
    ImplodeWriter full(6);
    std::mt19937 random(3);
    for (int i = 0; i < 5000; ++i)
        full.literal(uint8_t(random()));
    full.copy(100, 4095);
    const Decoded first = decode(full.finish());
    ASSERT_EQ(first.status, ExplodeStatus::Ok);

    ImplodeWriter reaching(6);
    reaching.literal('C').copy(50, 1000);
    EXPECT_EQ(decode(reaching.finish()).status, ExplodeStatus::BadDistance);

    const Decoded again = decode(full.finish());
    EXPECT_EQ(again.status, ExplodeStatus::Ok);
    EXPECT_EQ(again.output, first.output);
    EXPECT_EQ(again.output, full.expected());
}

TEST_F(Explode, FilesThatCannotBeOpenedReadOrWrittenFail)
{
    const Bytes stream = ImplodeWriter(6).literal('C').finish();
    writeFile(inputPath(), stream);

    EXPECT_EQ(explodeFileStatus((m_dir / "missing.SAV").c_str(), outputPath().c_str()),
              ExplodeStatus::CannotOpenInput);
    EXPECT_FALSE(fs::exists(outputPath())) << "no output is created for an input that cannot be opened";

    EXPECT_EQ(explodeFileStatus(inputPath().c_str(), (m_dir / "no-such-folder" / "out").c_str()),
              ExplodeStatus::CannotOpenOutput);

#ifdef __linux__
    // A folder opens for reading on Linux, but cannot be read.
    EXPECT_EQ(explodeFileStatus(m_dir.c_str(), outputPath().c_str()), ExplodeStatus::ReadFailed);

    // The disk-full device: a short write is a failure, never a success, for
    // an image that fits in one write as for a longer one.
    EXPECT_EQ(ExplodeFile(inputPath().c_str(), "/dev/full"), 0);
    EXPECT_EQ(explodeFileStatus(inputPath().c_str(), "/dev/full"), ExplodeStatus::WriteFailed);
    ImplodeWriter longer(6);
    longer.literal('C').copy(518, 0);
    for (int i = 0; i < 100; ++i)
        longer.copy(518, 0);
    writeFile(inputPath(), longer.finish());
    EXPECT_EQ(explodeFileStatus(inputPath().c_str(), "/dev/full"), ExplodeStatus::WriteFailed);
#endif
}

#ifdef __linux__
TEST_F(Explode, AnImageLargerThanTheCapIsRefused)
{
    // 518-byte copies of one byte expand about 170 times: 1.6 MB of stream
    // reaches the cap. The image goes to /dev/null; only the outcome counts.
    const auto stream = [](long long size) {
        ImplodeWriter w(6);
        w.withoutExpected().literal('C');
        long long left = size - 1;
        for (; left >= 518 + 2; left -= 518)
            w.copy(518, 0);
        if (left >= 2)
            w.copy(int(left), 0);
        else if (left == 1)
            w.literal('C');
        return w.finish();
    };
    writeFile(inputPath(), stream(ExplodeOutputCap));
    EXPECT_EQ(explodeFileStatus(inputPath().c_str(), "/dev/null"), ExplodeStatus::Ok);
    writeFile(inputPath(), stream(ExplodeOutputCap + 1));
    EXPECT_EQ(explodeFileStatus(inputPath().c_str(), "/dev/null"), ExplodeStatus::TooLarge);
}
#endif

// --- Real saves -------------------------------------------------------------

struct RealSave {
    const char *file;
    size_t imageSize;
    const char *sha256;
};

TEST_F(Explode, RealSavesDecodeToTheirKnownImages)
{
    const RealSave saves[] = {
        {"COTM162_C3C122_01.SAV", 2664877, "5b9a262c3904ef61d4d132ccae2bdb43e69ff046465db8b6f20bfbf92b9fb8cf"},
        {"COTM163_C3C122_01.SAV", 2951003, "602fb1d5c13ef4ef6fbeaa439d4323c0a35582f8f3fb9150f479defac9343827"},
    };
    for (const RealSave &save : saves) {
        SCOPED_TRACE(save.file);
        const fs::path path = fs::path(VANTOREL_TEST_DATA) / "saves" / save.file;
        const Decoded decoded = decodeFile(path);
        ASSERT_EQ(decoded.status, ExplodeStatus::Ok);
        EXPECT_EQ(decoded.output.size(), save.imageSize);
        EXPECT_EQ(decoded.output.at(0), 'C');
        EXPECT_EQ(sha256Hex(decoded.output), save.sha256);

        // Cut short anywhere, the same save is refused.
        const Bytes stream = readFile(path);
        for (size_t cut : {size_t(2), size_t(16384), size_t(100000), stream.size() / 2, stream.size() - 1}) {
            SCOPED_TRACE(cut);
            EXPECT_EQ(decode(Bytes(stream.begin(), stream.begin() + long(cut))).status,
                      ExplodeStatus::Truncated);
        }
    }
}

// The helper that other tests use to make compressed saves from plain ones.
TEST_F(Explode, APlainSaveCompressedByTheWriterDecodesToItself)
{
    const Bytes image = readFile(fs::path(VANTOREL_TEST_DATA) / "saves" / "unc-test.sav");
    ASSERT_EQ(image.size(), 914641u);
    for (int e : {4, 6}) {
        SCOPED_TRACE(e);
        const Bytes stream = implodeImage(image, e);
        EXPECT_LT(stream.size(), image.size() / 2) << "the writer should find the save's repeats";
        const Decoded decoded = decode(stream);
        EXPECT_EQ(decoded.status, ExplodeStatus::Ok);
        EXPECT_TRUE(decoded.output == image);
    }
}

TEST(Sha256, KnownDigests)
{
    EXPECT_EQ(sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex(Bytes{'a', 'b', 'c'}),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}
