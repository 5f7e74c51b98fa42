// The score-history reader on small images built byte by byte, one row per
// case a user or a damaged save could bring. The real saves are read in
// test_savefile.cpp.
#include "scorehistory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int32_t Untouched = 0x5A5A5A5A;

struct Civ {
    int32_t id;
    int32_t score;
};
using Entry = std::vector<Civ>;

// Civilizations 1 to count in turn t, each with its own score so that a
// reader taking the wrong civilization, turn or array is caught.
Entry civs(int count, int t)
{
    Entry entry;
    for (int id = 1; id <= count; ++id)
        entry.push_back({id, id * 1000 + t});
    return entry;
}

// A save image, written as the game writes it: little-endian 32-bit numbers.
class Image {
public:
    Image &raw(std::string_view text)
    {
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        return *this;
    }
    Image &bytes(std::initializer_list<uint8_t> list)
    {
        m_bytes.insert(m_bytes.end(), list);
        return *this;
    }
    Image &int32(int64_t value)
    {
        const auto v = static_cast<uint32_t>(value);
        return bytes({uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    // The tag, the entry count and the bit set of civilizations.
    Image &hist(int64_t count) { return raw("HIST").int32(count).int32(0x1FE); }
    // One entry; count overrides the number of civilizations it claims.
    Image &entry(const Entry &list, std::optional<int32_t> count = std::nullopt)
    {
        int32(m_turn).int32(-4000 + 50 * m_turn).int32(count.value_or(int32_t(list.size())));
        for (const Civ &civ : list)
            int32(civ.id);
        for (const Civ &civ : list)
            int32(civ.id * 7 + 1);  // power
        for (const Civ &civ : list)
            int32(civ.score);
        for (const Civ &civ : list)
            int32(civ.id * 11 + 3);  // culture
        ++m_turn;
        return *this;
    }
    // Turns first to last - 1, each listing count civilizations.
    Image &turns(int count, int first, int last)
    {
        for (int t = first; t < last; ++t)
            entry(civs(count, t));
        return *this;
    }
    Image &cut(size_t drop)
    {
        m_bytes.resize(m_bytes.size() - drop);
        return *this;
    }
    std::vector<uint8_t> done() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    int32_t m_turn = 0;
};

struct Case {
    std::string name;
    std::vector<uint8_t> image;
    bool found;                  // a tag is taken
    std::vector<int32_t> slots;  // slots 1, 2, ...; 0 after them
};

// Civilization 1's scores for turns first to last - 1 (see civs()).
std::vector<int32_t> playerScores(int first, int last)
{
    std::vector<int32_t> scores;
    for (int t = first; t < last; ++t)
        scores.push_back(1000 + t);
    return scores;
}

std::vector<Case> cases()
{
    const std::string lead = "CIV3\x01\x02GAME";  // some bytes before the section, tag unaligned
    return {
        // Entry counts.
        {"CountZero", Image().raw(lead).hist(0).turns(8, 0, 5).done(), true, {}},
        {"CountOne", Image().raw(lead).hist(1).turns(8, 0, 1).done(), true, {}},
        {"CountTwoTakesEntryZero", Image().raw(lead).hist(2).turns(8, 0, 2).done(), true,
         playerScores(0, 1)},
        {"Count100TakesEntries0To98", Image().raw(lead).hist(100).turns(8, 0, 100).done(), true,
         playerScores(0, 99)},
        {"Count541FillsEverySlot", Image().raw(lead).hist(541).turns(4, 0, 541).done(), true,
         playerScores(0, 540)},
        {"Count600StopsAt540", Image().raw(lead).hist(600).turns(8, 0, 600).done(), true,
         playerScores(0, 540)},
        {"NegativeCountReadsAsZero", Image().raw(lead).hist(-5).turns(8, 0, 5).done(), true, {}},
        {"CountFFFFFFFF", Image().raw(lead).hist(0xFFFFFFFF).turns(8, 0, 5).done(), true, {}},
        {"Count80000000", Image().raw(lead).hist(0x80000000).turns(8, 0, 5).done(), true, {}},
        {"CountBeyondTheEntriesEndsAtImageEnd",
         Image().raw(lead).hist(0x7FFFFFFF).turns(8, 0, 30).done(), true, playerScores(0, 30)},

        // Eliminations and where civilization 1 stands.
        {"EliminationShortensLaterEntries",
         Image().raw(lead).hist(40).turns(9, 0, 15).turns(7, 15, 30).turns(2, 30, 40).done(),
         true, playerScores(0, 39)},
        {"PlayerFoundByIdNotPosition",
         Image().raw(lead).hist(4)
             .entry({{3, 30}, {1, 10}, {2, 20}})
             .entry({{2, 21}, {3, 31}, {1, 11}})
             .entry({{1, 12}, {3, 32}})
             .entry({{1, 13}})
             .done(),
         true, {10, 11, 12}},
        {"PlayerMissingEndsTheHistory",
         Image().raw(lead).hist(10).turns(3, 0, 5).entry({{2, 2005}, {3, 3005}}).turns(3, 6, 10)
             .done(),
         true, playerScores(0, 5)},
        {"EmptyEntryEndsTheHistory",
         Image().raw(lead).hist(10).turns(3, 0, 3).entry({}).turns(3, 4, 10).done(), true,
         playerScores(0, 3)},
        {"MissingPlayerInTheNewestEntryIsNotRead",
         Image().raw(lead).hist(4).turns(3, 0, 3).entry({{2, 1}}).done(), true,
         playerScores(0, 3)},

        // Malformed entries.
        {"CountMinusOneEndsTheHistory",
         Image().raw(lead).hist(10).turns(3, 0, 3).entry(civs(3, 3), -1).turns(3, 4, 10).done(),
         true, playerScores(0, 3)},
        {"Count33EndsTheHistory",
         Image().raw(lead).hist(10).turns(3, 0, 3).entry(civs(33, 3)).turns(3, 4, 10).done(),
         true, playerScores(0, 3)},
        {"Count32IsRead", Image().raw(lead).hist(3).turns(32, 0, 3).done(), true,
         playerScores(0, 2)},
        {"CountRunningPastTheImageEndsTheHistory",
         Image().raw(lead).hist(3).turns(2, 0, 1).entry(civs(2, 1), 20).done(), true,
         playerScores(0, 1)},
        {"EntryCutOffByImageEnd",
         Image().raw(lead).hist(10).turns(5, 0, 6).cut(1).done(), true, playerScores(0, 5)},
        {"EntryHeadCutOff", Image().raw(lead).hist(10).turns(5, 0, 6).int32(6).int32(0).done(),
         true, playerScores(0, 6)},
        {"ImageEndsRightAfterAnEntry", Image().raw(lead).hist(10).turns(5, 0, 4).done(), true,
         playerScores(0, 4)},

        // The tag.
        {"NoTag", Image().raw(lead).raw("HIS").int32(5).done(), false, {}},
        {"TagIsTheLastFourBytes", Image().raw(lead).raw("HIST").done(), false, {}},
        {"TagWithOneByteAfterIsTaken", Image().raw(lead).raw("HIST").bytes({9}).done(), true, {}},
        {"TagWithCountCutOff", Image().raw("HIST").bytes({9, 0, 0}).done(), true, {}},
        {"SectionEndsBeforeItsFirstEntry", Image().raw("HIST").int32(5).bytes({1, 2}).done(),
         true, {}},
        {"TagAloneAtTheStart", Image().hist(3).done(), true, {}},
        {"EmptyImage", {}, false, {}},
        {"OneByte", Image().raw("H").done(), false, {}},
        {"FourBytes", Image().raw("HIST").done(), false, {}},
        {"PartTagsBeforeTheTag", Image().raw("CHHIHISHHIS").hist(3).turns(2, 0, 3).done(), true,
         playerScores(0, 2)},
        {"TwoTagsFirstWins",
         Image().raw(lead).hist(3).entry({{1, 7}}).entry({{1, 8}}).entry({{1, 9}})
             .hist(3).turns(4, 0, 3).done(),
         true, {7, 8}},
        {"FirstTagInsideOtherDataWins",
         Image().raw(lead).raw("HISTORY OF THE WORLD").hist(3).turns(4, 0, 3).done(), true, {}},

        // Score values taken as signed 32-bit numbers.
        {"ScoresFFFFFFFFAnd80000000",
         Image().raw(lead).hist(4)
             .entry({{1, -1}})
             .entry({{1, INT32_MIN}})
             .entry({{1, INT32_MAX}})
             .entry({{1, 5}})
             .done(),
         true, {-1, INT32_MIN, INT32_MAX}},
        {"ZeroScoreDoesNotEndTheHistory",
         Image().raw(lead).hist(5).entry({{1, 0}}).entry({{1, 0}}).entry({{1, 4}})
             .entry({{1, 0}}).entry({{1, 0}}).done(),
         true, {0, 0, 4, 0}},
    };
}

class ReadScoreHistory : public testing::TestWithParam<Case> {};

TEST_P(ReadScoreHistory, FillsTheTable)
{
    const Case &c = GetParam();
    // An exactly sized copy, so that a read past the image trips the sanitizers.
    auto image = std::make_unique<uint8_t[]>(c.image.size());
    if (!c.image.empty())
        std::memcpy(image.get(), c.image.data(), c.image.size());

    chart::ScoreTable slots;
    slots.fill(Untouched);
    EXPECT_EQ(readScoreHistory(image.get(), c.image.size(), slots), c.found);

    EXPECT_EQ(slots[0], Untouched);
    for (int i = 1; i <= chart::Entries; ++i) {
        int32_t want = 0;
        if (!c.found)
            want = Untouched;
        else if (size_t(i) <= c.slots.size())
            want = c.slots[size_t(i) - 1];
        ASSERT_EQ(slots[size_t(i)], want) << "slot " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Images, ReadScoreHistory, testing::ValuesIn(cases()),
                         [](const auto &info) { return info.param.name; });

// A second read replaces every slot: a long game loaded after a short one
// leaves nothing of it behind, and the reverse.
TEST(ReadScoreHistoryAgain, ReplacesAnEarlierTable)
{
    const std::vector<uint8_t> longGame = Image().hist(300).turns(6, 0, 300).done();
    const std::vector<uint8_t> shortGame = Image().hist(11).turns(6, 0, 11).done();

    chart::ScoreTable slots{};
    ASSERT_TRUE(readScoreHistory(longGame.data(), longGame.size(), slots));
    ASSERT_EQ(slots[299], 1298);
    ASSERT_TRUE(readScoreHistory(shortGame.data(), shortGame.size(), slots));
    EXPECT_EQ(slots[10], 1009);
    EXPECT_EQ(slots[11], 0);
    EXPECT_EQ(slots[299], 0);
}

} // namespace
