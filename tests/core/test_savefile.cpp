// Opening saves from disk: the four real saves against their walked
// histories, damaged and odd files, and the files a load leaves behind (none
// but the user's own, untouched).
#include "implode_writer.h"
#include "savefile.h"
#include "scorehistory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;

std::string savePath(const std::string &name)
{
    return std::string(VANTOREL_TEST_DATA) + "/saves/" + name;
}

Bytes readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> listing(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Where the tests' own folders go: the temporary folder as it was before any
// test pointed TMPDIR elsewhere.
const fs::path TestFolders = fs::temp_directory_path();

// A fresh folder of the test's own, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string name = (TestFolders / "vantorel-test-XXXXXX").string();
        if (mkdtemp(name.data()))
            m_path = name;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_path, ec);
    }
    const fs::path &path() const { return m_path; }

private:
    fs::path m_path;
};

// Points TMPDIR somewhere else for as long as it lives.
class TmpdirOverride {
public:
    explicit TmpdirOverride(const fs::path &folder)
    {
        if (const char *old = std::getenv("TMPDIR"))
            m_old = old;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TmpdirOverride()
    {
        if (m_old.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", m_old.c_str(), 1);
    }

private:
    std::string m_old;
};

// What the table held before a load: an earlier curve.
chart::ScoreTable earlierTable()
{
    chart::ScoreTable slots;
    slots.fill(77);
    return slots;
}

// Points TMPDIR at a fresh folder for the test. Every save in these tests is
// loaded under it, and it must be empty again at the end: no temporary file
// outlives a load, whatever the load's outcome.
class PrivateTmpdir : public testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_EQ(listing(m_tmp.path()), std::vector<std::string>{}) << "left in the temporary folder";
    }

    ScratchFolder m_tmp;
    TmpdirOverride m_tmpdir{m_tmp.path()};
};

// Loads as the window does, onto an earlier curve.
chart::ScoreTable loadAsTheWindowDoes(const SaveImage &image)
{
    chart::ScoreTable slots = earlierTable();
    if (image.looksLikeSave())
        readScoreHistory(image.bytes.data(), image.bytes.size(), slots);
    return slots;
}

// A small image with a score-history section of three entries, each listing
// civilization 1 alone with 40, 41 and 42 points.
Bytes smallImage(char first)
{
    Bytes image = {uint8_t(first), 'I', 'V', '3', 'H', 'I', 'S', 'T', 3, 0, 0, 0, 2, 0, 0, 0};
    for (uint8_t turn = 0; turn < 3; ++turn) {
        const uint8_t entry[] = {turn, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,  // turn, year, one civilization
                                 1, 0, 0, 0, 9, 0, 0, 0, uint8_t(40 + turn), 0, 0, 0, 5, 0, 0, 0};
        image.insert(image.end(), std::begin(entry), std::end(entry));
    }
    return image;
}

// Civilization 1's score by turn, from a walked history.
std::map<int, int32_t> playerScores(const std::string &csvPath)
{
    std::ifstream in(csvPath);
    std::string line;
    std::getline(in, line);  // turn,date,civ_id,power,score,culture
    std::map<int, int32_t> scores;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        std::string turn, date, civ, power, score;
        std::getline(row, turn, ',');
        std::getline(row, date, ',');
        std::getline(row, civ, ',');
        std::getline(row, power, ',');
        std::getline(row, score, ',');
        if (civ == "1")
            scores[std::stoi(turn)] = std::stoi(score);
    }
    return scores;
}

// ---------------------------------------------------------------------------
// The real saves.

struct RealSave {
    std::string name;
    std::string history;
    SaveForm form;
    size_t imageSize;
    int entries;  // N in the section
};

const RealSave RealSaves[] = {
    {"COTM162_C3C122_01.SAV", "COTM162_C3C122_01.hist.csv", SaveForm::Compressed, 2664877, 239},
    {"COTM163_C3C122_01.SAV", "COTM163_C3C122_01.hist.csv", SaveForm::Compressed, 2951003, 245},
    {"unc-test.sav", "unc-test.hist.csv", SaveForm::Plain, 914641, 259},
    {"space-race-victory.SAV", "space-race-victory.hist.csv", SaveForm::Plain, 2418911, 434},
};

class RealSaveTest : public PrivateTmpdir, public testing::WithParamInterface<RealSave> {};

TEST_P(RealSaveTest, TableHoldsThePlayersScoreTurnByTurn)
{
    const RealSave &save = GetParam();
    const SaveImage image = openSaveImage(savePath(save.name));
    ASSERT_EQ(image.form, save.form) << image.error;
    EXPECT_TRUE(image.complete);
    EXPECT_EQ(image.error, "");
    EXPECT_EQ(image.bytes.size(), save.imageSize);
    ASSERT_TRUE(image.looksLikeSave());

    const std::map<int, int32_t> scores = playerScores(savePath(save.history));
    ASSERT_EQ(int(scores.size()), save.entries);
    const chart::ScoreTable slots = loadAsTheWindowDoes(image);
    EXPECT_EQ(slots[0], 77);
    for (int i = 1; i <= chart::Entries; ++i) {
        const int32_t want = i < save.entries ? scores.at(i - 1) : 0;
        ASSERT_EQ(slots[size_t(i)], want) << "slot " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Saves, RealSaveTest, testing::ValuesIn(RealSaves),
                         [](const auto &info) {
                             std::string name = info.param.name.substr(0, info.param.name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The player founded the capital late; civilization 2, an AI listed second,
// scored 0, 70, 70, 70, 70, 85 from turn 1. A civilization eliminated at turn
// 98 shortens every later entry; the slots after it are still the player's,
// not the ids, cultures or next-entry bytes a fixed stride would land on
// (752, 886, 912, 1471 for slots 99 to 102).
using RealSaveFigures = PrivateTmpdir;

TEST_F(RealSaveFigures, Cotm162ChartsThePlayerThroughAnElimination)
{
    const chart::ScoreTable slots = loadAsTheWindowDoes(openSaveImage(savePath(RealSaves[0].name)));
    EXPECT_EQ(std::vector<int32_t>(slots.begin() + 1, slots.begin() + 9),
              (std::vector<int32_t>{0, 0, 0, 23, 35, 42, 46, 50}));
    EXPECT_EQ(std::vector<int32_t>(slots.begin() + 99, slots.begin() + 103),
              (std::vector<int32_t>{455, 465, 474, 484}));
}

// ---------------------------------------------------------------------------
// Files that are not saves, or cannot be read.

TEST(OpenSaveImage, RefusesWhatItCannotRead)
{
    ScratchFolder scratch;
    const fs::path empty = scratch.path() / "empty.SAV";
    writeFile(empty, {});
    const fs::path huge = scratch.path() / "huge.SAV";
    writeFile(huge, {'C'});
    fs::resize_file(huge, uintmax_t(SaveImageCap) + 1);  // sparse: costs no disk
    const fs::path pipe = scratch.path() / "pipe.SAV";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);

    const struct {
        fs::path path;
        std::string error;
    } cases[] = {
        {scratch.path() / "missing.SAV", "No such file or directory"},
        {scratch.path(), "is a directory"},
        {empty, "empty file"},
        {huge, "too large"},
        {pipe, "not a regular file"},  // and does not wait for a writer
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const SaveImage image = openSaveImage(c.path.string());
        EXPECT_EQ(image.form, SaveForm::Unreadable);
        EXPECT_EQ(image.error, c.error);
        EXPECT_TRUE(image.bytes.empty());
        EXPECT_FALSE(image.looksLikeSave());
        EXPECT_EQ(loadAsTheWindowDoes(image), earlierTable());
    }
}

TEST(OpenSaveImage, RefusesAFileWithoutReadPermission)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    ScratchFolder scratch;
    const fs::path locked = scratch.path() / "locked.SAV";
    writeFile(locked, {'C', 'I', 'V', '3'});
    fs::permissions(locked, fs::perms::none);
    const SaveImage image = openSaveImage(locked.string());
    EXPECT_EQ(image.form, SaveForm::Unreadable);
    EXPECT_EQ(image.error, "Permission denied");
}

TEST(OpenSaveImage, PlainSaveIsTheFileItself)
{
    ScratchFolder scratch;
    const struct {
        Bytes bytes;
    } cases[] = {{{'C'}}, {{'C', 'I', 'V', '3', 0, 0xFF, 'H', 'I', 'S', 'T'}}};
    for (const auto &c : cases) {
        const fs::path path = scratch.path() / "plain.SAV";
        writeFile(path, c.bytes);
        const SaveImage image = openSaveImage(path.string());
        EXPECT_EQ(image.form, SaveForm::Plain);
        EXPECT_TRUE(image.complete);
        EXPECT_EQ(image.bytes, c.bytes);
    }
}

// ---------------------------------------------------------------------------
// Compressed saves, whole and damaged, and the temporary file.

class CompressedLoad : public PrivateTmpdir {
protected:
    SaveImage load(const fs::path &path) { return openSaveImage(path.string()); }
    SaveImage load(const Bytes &file)
    {
        const fs::path path = m_files.path() / "game.SAV";
        writeFile(path, file);
        return load(path);
    }

    ScratchFolder m_files;
};

TEST_F(CompressedLoad, WholeSaveGivesTheWholeImage)
{
    const SaveImage image = load(fs::path(savePath("COTM163_C3C122_01.SAV")));
    EXPECT_EQ(image.form, SaveForm::Compressed);
    EXPECT_TRUE(image.complete);
    EXPECT_EQ(image.bytes.size(), 2951003u);
}

// A save cut short keeps what the decoder wrote before the cut: the same
// bytes as the start of the whole image.
TEST_F(CompressedLoad, TruncatedSaveGivesThePartDecoded)
{
    const Bytes file = readFile(savePath("COTM162_C3C122_01.SAV"));
    const SaveImage whole = load(Bytes(file));
    ASSERT_TRUE(whole.complete);

    const SaveImage part = load(Bytes(file.begin(), file.begin() + 100000));
    EXPECT_EQ(part.form, SaveForm::Compressed);
    EXPECT_FALSE(part.complete);
    EXPECT_NE(part.error, "");
    ASSERT_GT(part.bytes.size(), 0u);
    ASSERT_LT(part.bytes.size(), whole.bytes.size());
    EXPECT_TRUE(std::equal(part.bytes.begin(), part.bytes.end(), whole.bytes.begin()));
    // The history lies near the end, beyond what was decoded.
    EXPECT_EQ(loadAsTheWindowDoes(part), earlierTable());
}

TEST_F(CompressedLoad, RejectedStreamGivesNothing)
{
    const Bytes cases[] = {
        {0x01, 0x06, 0x12, 0x34},  // coded literals
        {0x00, 0x07, 0x12, 0x34},  // dictionary too large
        {0x00},                    // header cut short
    };
    for (const Bytes &file : cases) {
        const SaveImage image = load(file);
        EXPECT_EQ(image.form, SaveForm::Compressed);
        EXPECT_FALSE(image.complete);
        EXPECT_NE(image.error, "");
        EXPECT_TRUE(image.bytes.empty());
    }
}

// Only a decoded image that begins with "C" is searched: the same section
// behind another first byte leaves the table as it was.
TEST_F(CompressedLoad, ImageNotBeginningWithCLeavesTheTableAlone)
{
    const SaveImage save = load(implodeImage(smallImage('C')));
    ASSERT_TRUE(save.complete) << save.error;
    EXPECT_EQ(save.bytes, smallImage('C'));
    chart::ScoreTable want{};
    want[1] = 40;
    want[2] = 41;
    want[0] = 77;
    EXPECT_EQ(loadAsTheWindowDoes(save), want);

    const SaveImage other = load(implodeImage(smallImage('D')));
    EXPECT_EQ(other.form, SaveForm::Compressed);
    ASSERT_TRUE(other.complete) << other.error;
    EXPECT_EQ(other.bytes, smallImage('D'));
    EXPECT_FALSE(other.looksLikeSave());
    EXPECT_EQ(loadAsTheWindowDoes(other), earlierTable());
}

TEST_F(CompressedLoad, PlainLoadsAndRefusalsNeedNoTemporaryFile)
{
    EXPECT_EQ(load(fs::path(savePath("unc-test.sav"))).form, SaveForm::Plain);
    EXPECT_EQ(load(m_files.path() / "missing.SAV").form, SaveForm::Unreadable);
    EXPECT_EQ(load(m_files.path()).form, SaveForm::Unreadable);
}

// The temporary file goes where TMPDIR says, and nowhere else: with TMPDIR
// pointing at a folder that does not exist, a compressed save cannot be
// decoded, while a plain one still loads.
using TemporaryFile = PrivateTmpdir;

TEST_F(TemporaryFile, FollowsTmpdir)
{
    TmpdirOverride tmpdir(m_tmp.path() / "gone");
    const SaveImage compressed = openSaveImage(savePath("COTM163_C3C122_01.SAV"));
    EXPECT_EQ(compressed.form, SaveForm::Compressed);
    EXPECT_FALSE(compressed.complete);
    EXPECT_NE(compressed.error.find("temporary"), std::string::npos) << compressed.error;
    EXPECT_TRUE(compressed.bytes.empty());
    EXPECT_EQ(openSaveImage(savePath("unc-test.sav")).form, SaveForm::Plain);
}

// A "temp.dat" of the user's, in the folder the program runs in and next to
// the save, is left byte for byte as it was, and no other file appears there.
TEST_F(TemporaryFile, LeavesTheUsersTempDatAlone)
{
    ScratchFolder work;
    const Bytes notes = {'m', 'y', ' ', 'n', 'o', 't', 'e', 's', '\n', 0, 0xFF};
    writeFile(work.path() / "temp.dat", notes);
    const Bytes save = readFile(savePath("COTM163_C3C122_01.SAV"));
    writeFile(work.path() / "game.SAV", save);
    writeFile(work.path() / "cut.SAV", Bytes(save.begin(), save.begin() + 5000));

    const fs::path before = fs::current_path();
    fs::current_path(work.path());
    const SaveImage whole = openSaveImage("game.SAV");
    const SaveImage cut = openSaveImage("cut.SAV");
    fs::current_path(before);

    EXPECT_TRUE(whole.complete);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(readFile(work.path() / "temp.dat"), notes);
    EXPECT_EQ(readFile(work.path() / "game.SAV"), save);
    EXPECT_EQ(listing(work.path()), (std::vector<std::string>{"cut.SAV", "game.SAV", "temp.dat"}));
}

} // namespace
