// libFuzzer target: the implode decoder on any file, as a crafted save would
// bring it. Besides the sanitizers' checks on every access, each run is
// compared with a plain decoder written here: one bit at a time, code words
// looked up in the format's tables (from the tests' ImplodeWriter), none of
// the fast paths. The outcome must agree, and on success every byte.
//
// ExplodeFile works on files, as the program uses it, so each input goes
// through a file in /dev/shm (or $TMPDIR) made once per process.
#include "explode.h"
#include "core/implode_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <unistd.h>

namespace {

struct Outcome {
    ExplodeStatus status;
    std::vector<uint8_t> image;
};

class BitStream {
public:
    BitStream(const uint8_t *data, size_t size) : m_data(data), m_bits(8 * size) {}
    // The next bit; past the end of the data it is 0 and the stream is marked.
    int bit()
    {
        if (m_next >= m_bits) {
            m_past = true;
            return 0;
        }
        const int b = (m_data[m_next / 8] >> (m_next % 8)) & 1;
        ++m_next;
        return b;
    }
    int plain(int count)
    {
        int value = 0;
        for (int i = 0; i < count; ++i)
            value |= bit() << i;
        return value;
    }
    bool past() const { return m_past; }

private:
    const uint8_t *m_data;
    size_t m_bits;
    size_t m_next = 0;
    bool m_past = false;
};

// The code words of a table, indexed by their bit count and their bits read
// as a number, first bit highest: the row's index, or -1.
struct CodeIndex {
    int rows[9][256];

    template <typename Code>
    explicit CodeIndex(const Code &codes)
    {
        for (auto &byLength : rows)
            for (int &row : byLength)
                row = -1;
        int index = 0;
        for (const auto &entry : codes) {
            std::string_view word;
            if constexpr (std::is_same_v<std::decay_t<decltype(entry)>, std::string_view>)
                word = entry;
            else
                word = entry.code;
            int bits = 0, count = 0;
            for (char c : word) {
                if (c == ' ')
                    continue;
                bits = bits << 1 | (c == '1');
                ++count;
            }
            rows[count][bits] = index++;
        }
    }

    // Reads bits until they spell one of the code words; returns its row.
    int match(BitStream &in) const
    {
        int bits = 0;
        for (int count = 1; count <= 8; ++count) {
            bits = bits << 1 | in.bit();
            if (rows[count][bits] >= 0)
                return rows[count][bits];
        }
        std::abort();  // the tables are complete: cannot happen
    }
};

// The plain decoder. Its outcomes are those the real one promises: a stream
// that needs a bit past the end of the file is Truncated (judged once the
// token is read), a copy reaching before the first byte or beyond the window
// is BadDistance. Inputs below a megabyte cannot reach ExplodeOutputCap.
Outcome plainExplode(const uint8_t *data, size_t size)
{
    static const CodeIndex lengthCodes(ImplodeWriter::LengthCodes);
    static const CodeIndex distanceCodes(ImplodeWriter::DistanceCodes);

    BitStream in(data, size);
    const int literalMode = in.plain(8);
    const int dictionaryBits = in.plain(8);
    if (in.past())
        return {ExplodeStatus::Truncated, {}};
    if (literalMode != 0 || dictionaryBits > 6)
        return {ExplodeStatus::BadHeader, {}};
    const size_t windowSize = size_t(64) << dictionaryBits;

    std::vector<uint8_t> image;
    for (;;) {
        if (in.bit() == 0) {
            const int byte = in.plain(8);
            if (in.past())
                return {ExplodeStatus::Truncated, {}};
            image.push_back(uint8_t(byte));
            continue;
        }
        const auto &row = ImplodeWriter::LengthCodes[lengthCodes.match(in)];
        const int length = row.base + in.plain(row.extraBits);
        if (length == 519)
            return {in.past() ? ExplodeStatus::Truncated : ExplodeStatus::Ok, std::move(image)};
        const int high = distanceCodes.match(in);
        const int lowBits = length == 2 ? 2 : dictionaryBits;
        const size_t distance = size_t(high) << lowBits | size_t(in.plain(lowBits));
        if (in.past())
            return {ExplodeStatus::Truncated, {}};
        if (distance >= image.size() || distance >= windowSize)
            return {ExplodeStatus::BadDistance, {}};
        for (int i = 0; i < length; ++i)
            image.push_back(image[image.size() - 1 - distance]);
    }
}

std::string inputPath;
std::string outputPath;

void removeFiles()
{
    std::remove(inputPath.c_str());
    std::remove(outputPath.c_str());
}

std::vector<uint8_t> readFile(const std::string &path)
{
    std::vector<uint8_t> bytes;
    if (FILE *file = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + got);
        std::fclose(file);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const char *dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
    std::string name = std::string(dir ? dir : "/tmp") + "/vantorel-fuzz-explode-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        std::perror("mkstemp");
        std::abort();
    }
    close(fd);
    inputPath = name;
    outputPath = name + ".out";
    std::atexit(removeFiles);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FILE *file = std::fopen(inputPath.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();

    const ExplodeStatus status = explodeFileStatus(inputPath.c_str(), outputPath.c_str());
    const Outcome expected = plainExplode(data, size);
    if (status != expected.status) {
        std::fprintf(stderr, "decoder says %s, the plain decoder %s\n", explodeStatusText(status),
                     explodeStatusText(expected.status));
        std::abort();
    }
    if (status == ExplodeStatus::Ok && readFile(outputPath) != expected.image) {
        std::fprintf(stderr, "the images differ\n");
        std::abort();
    }
    return 0;
}
