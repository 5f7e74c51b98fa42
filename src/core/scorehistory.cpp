// Reads the player's score, turn by turn, out of the score-history section of
// a Civilization III save image.
//
// Format notes (every number a little-endian signed 32-bit integer, offsets
// from T, the first byte of the tag):
//
//   T+0    "HIST"
//   T+4    N, the number of entries: one per turn, from turn 0
//   T+8    a bit set of the civilizations in the game (not read here)
//   T+12   entry 0, then entries 1 to N-1 with no gaps
//
// An entry is the turn number, the year and c, the number of civilizations it
// lists, then four arrays of c integers: civilization ids, power, score and
// culture. So an entry is 12 + 16c bytes long, and c falls whenever a
// civilization is eliminated: entries after that are shorter than entry 0,
// which is why every entry is walked by its own count rather than by a stride
// taken from the first one. Civilization 1 is the human player of a
// single-player game; its score is looked up by id because nothing promises
// that it is listed first.
//
// Example: in COTM162 N is 239, entry 0 lists 9 civilizations and is 156
// bytes long; civilization 1's scores begin 0, 0, 0, 23, 35, 42, while
// civilization 2, listed second, has 0, 70, 70, 70, 70, 85.
#include "scorehistory.h"

#include <cstring>

namespace {

constexpr uint8_t Tag[4] = {'H', 'I', 'S', 'T'};
constexpr size_t FirstEntry = 12;    // entry 0 begins 12 bytes after the tag
constexpr size_t EntryHead = 12;     // turn, year and count
constexpr int32_t MostCivs = 32;     // a game holds at most 32 players, barbarians included
constexpr int32_t PlayerCiv = 1;

// The signed 32-bit little-endian number at image[at]; the caller has checked
// that all four bytes lie inside the image. Built byte by byte so that the
// result is the same on a big-endian host.
int32_t readInt32(const uint8_t *image, size_t at)
{
    const uint32_t value = uint32_t(image[at]) | uint32_t(image[at + 1]) << 8
        | uint32_t(image[at + 2]) << 16 | uint32_t(image[at + 3]) << 24;
    return static_cast<int32_t>(value);  // two's complement, as C++20 defines it
}

// Position of the first tag, tested at 0 to length - 5 as the loader always
// has: a tag in the image's last four bytes is not taken. length when none.
// The tag lies near the end of a save of megabytes, so the scan goes from one
// "H" to the next with memchr rather than byte by byte; the first match wins
// all the same.
size_t findTag(const uint8_t *image, size_t length)
{
    if (length < 5)
        return length;
    const size_t last = length - 5;
    for (size_t p = 0; p <= last; ++p) {
        const void *h = std::memchr(image + p, Tag[0], last - p + 1);
        if (!h)
            break;
        p = size_t(static_cast<const uint8_t *>(h) - image);
        if (std::memcmp(image + p + 1, Tag + 1, 3) == 0)
            return p;
    }
    return length;
}

// Takes civilization 1's score from the entry at image[at] and the entry's
// length in bytes. False, with score untouched, when the entry is malformed (a
// count outside 0 to 32, or bytes past the image) or does not list
// civilization 1.
bool readPlayerScore(const uint8_t *image, size_t length, size_t at, size_t &entryLength,
                     int32_t &score)
{
    if (at > length || length - at < EntryHead)
        return false;
    const int32_t count = readInt32(image, at + 8);
    if (count < 0 || count > MostCivs)
        return false;
    const size_t civs = size_t(count);
    entryLength = EntryHead + 16 * civs;
    if (length - at < entryLength)
        return false;
    const size_t ids = at + EntryHead;
    for (size_t k = 0; k < civs; ++k) {
        if (readInt32(image, ids + 4 * k) == PlayerCiv) {
            score = readInt32(image, ids + 8 * civs + 4 * k);
            return true;
        }
    }
    return false;
}

} // namespace

bool readScoreHistory(const uint8_t *image, size_t length, chart::ScoreTable &slots)
{
    const size_t tag = findTag(image, length);
    if (tag == length)
        return false;

    // A count cut off by the end of the image reads as no entries.
    int32_t entries = 0;
    if (length - tag >= 8)
        entries = readInt32(image, tag + 4);

    // Slot i takes entry i - 1 only while i < N, so the newest entry is left
    // out: the chart has always drawn N - 1 entries of a section.
    // The history ends at the first entry that cannot be read or does not
    // list the player; the slots after it hold 0.
    size_t at = tag + FirstEntry;
    int i = 1;
    for (; i < entries && i <= chart::Entries; ++i) {
        size_t entryLength = 0;
        if (!readPlayerScore(image, length, at, entryLength, slots[size_t(i)]))
            break;
        at += entryLength;
    }
    for (; i <= chart::Entries; ++i)
        slots[size_t(i)] = 0;
    return true;
}
