// The window's start-up lookup of the game's save folder, through a Wine
// prefix's registry in a temporary home.
#include "formchart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Road {
    const char *name;
    const char *values;  // value lines of the game's key; nullptr: no key at all
    const char *initialDir;
    const char *message;  // the one box shown, or nullptr for none
};

class SaveFolder : public ::testing::TestWithParam<Road> {
protected:
    void SetUp() override
    {
        m_oldHome = qgetenv("HOME");
        m_oldPrefix = qgetenv("WINEPREFIX");
        qputenv("HOME", m_home.path().toLocal8Bit());
        qunsetenv("WINEPREFIX");
    }
    void TearDown() override
    {
        delete FormMain;
        FormMain = nullptr;
        vcl::SetMessageBoxHook(nullptr);
        qputenv("HOME", m_oldHome);
        if (!m_oldPrefix.isEmpty())
            qputenv("WINEPREFIX", m_oldPrefix);
    }

    void writeRegistry(const char *values)
    {
        QByteArray text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
                          "[Software\\\\Microsoft\\\\Windows] 1700000000\n\"Other\"=\"x\"\n\n";
        if (values)
            text += QByteArray("[Software\\\\Infogrames\\\\Civ3PTW] 1700000000\n#time=1d9\n") + values + "\n\n";
        QDir(m_home.path()).mkpath(".wine");
        QFile file(m_home.filePath(".wine/system.reg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir m_home;
    QByteArray m_oldHome, m_oldPrefix;
};

} // namespace

TEST_P(SaveFolder, SetsTheDialogsFolderOrSaysWhy)
{
    const Road &road = GetParam();
    writeRegistry(road.values);
    std::vector<QString> boxes;
    bool shownBeforeWindow = true;
    vcl::SetMessageBoxHook([&](vcl::TMessageKind, const QString &, const QString &text) {
        boxes.push_back(text);
        shownBeforeWindow = shownBeforeWindow && !(FormMain && FormMain->Visible());
    });
    vcl::Application->Initialize();
    vcl::Application->CreateForm(FormMain);
    ASSERT_NE(FormMain, nullptr);

    EXPECT_EQ(FormMain->OpenDialog->InitialDir, QString::fromUtf8(road.initialDir));
    if (road.message) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], QString::fromUtf8(road.message));
        EXPECT_TRUE(shownBeforeWindow);
    } else {
        EXPECT_TRUE(boxes.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, SaveFolder,
    ::testing::Values(
        Road{"NoKey", nullptr, "", nullptr},
        Road{"Path", R"("Install_Path"="C:\\Games\\Civ3")", R"(C:\Games\Civ3\Saves)", nullptr},
        Road{"TrailingBackslash", R"("Install_Path"="C:\\Games\\Civ3\\")", R"(C:\Games\Civ3\\Saves)", nullptr},
        Road{"Expandable", R"("Install_Path"=str(2):"%ProgramFiles%\\Civ3")", R"(%ProgramFiles%\Civ3\Saves)", nullptr},
        Road{"Empty", R"("Install_Path"="")", R"(\Saves)", nullptr},
        Road{"Missing", R"("Version"="1.22")", R"(\Saves)", nullptr},
        Road{"Number", R"("Install_Path"=dword:00000001)", "", "Invalid data type for 'Install_Path'"},
        Road{"Unreadable", R"("Install_Path"="C:\\Civ3)", "", "Failed to get data for 'Install_Path'"}),
    [](const auto &info) { return std::string(info.param.name); });
