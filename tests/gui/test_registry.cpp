// The registry accessor and the dialog's folder, as the window's start-up
// lookup uses them: HKEY_LOCAL_MACHINE, the game's key, "Install_Path".
//
// Outside Windows every case builds its own home folder with Wine prefixes
// and Steam trees in it, and a system.reg written the way wineserver writes
// them.
#include "vcl/registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using vcl::ERegistryException;
using vcl::TRegistry;

#ifdef Q_OS_WIN

TEST(Registry, MissingKeyIsNotThereAndFoldersPassUnchanged)
{
    TRegistry registry;
    registry.RootKey = vcl::HKEY_LOCAL_MACHINE;
    EXPECT_FALSE(registry.KeyExists(QStringLiteral("SOFTWARE\\Vantorel\\No such key")));
    EXPECT_FALSE(registry.OpenKey(QStringLiteral("SOFTWARE\\Vantorel\\No such key"), false));
    EXPECT_EQ(registry.ReadString(QStringLiteral("Install_Path")), QString());
    EXPECT_EQ(vcl::hostFolderForDialog(QStringLiteral("C:\\Games\\Civ3\\\\Saves")), QStringLiteral("C:\\Games\\Civ3\\\\Saves"));
}

#else

const QString gameKey = QStringLiteral("SOFTWARE\\Infogrames\\Civ3PTW");

// Windows paths read best as raw UTF-16 literals: uR"(C:\Civ3)".
QString u16(const char16_t *text)
{
    return QString::fromUtf16(text);
}

// What the window's lookup gets: whether the key exists, then the text of
// Install_Path or the message of the exception reading it raised.
struct Lookup {
    bool keyExists = false;
    QString text;
    QString error;
};

Lookup lookUpInstallPath()
{
    Lookup lookup;
    TRegistry registry;
    registry.RootKey = vcl::HKEY_LOCAL_MACHINE;
    lookup.keyExists = registry.KeyExists(gameKey);
    if (!lookup.keyExists)
        return lookup;
    if (!registry.OpenKey(gameKey, false)) {
        lookup.error = QStringLiteral("OpenKey failed");
        return lookup;
    }
    try {
        lookup.text = registry.ReadString(QStringLiteral("Install_Path"));
    } catch (const ERegistryException &e) {
        lookup.error = e.Message;
    }
    registry.CloseKey();
    return lookup;
}


void writeFile(const QString &path, const QByteArray &text)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path())) << path.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(text);
}

void makeFolder(const QString &path)
{
    ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
}

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

enum class Arch { Win32, Win64 };

// A system.reg with `keys` among other keys, as Wine writes one.
QByteArray systemReg(Arch arch, const QByteArray &keys)
{
    return QByteArray("WINE REGISTRY Version 2\n"
                      ";; All keys relative to \\\\Machine\n"
                      "\n")
        + (arch == Arch::Win64 ? "#arch=win64\n" : "#arch=win32\n")
        + "\n"
          "[Software\\\\Classes\\\\.sav] 1700000000\n"
          "#time=1da0c7d3b0e8a22\n"
          "@=\"Civ3.Save\"\n"
          "\n"
        + keys
        + "\n"
          "[System\\\\Setup] 1700000000\n"
          "#time=1da0c7d3b0e8a22\n"
          "\"Install_Path\"=\"C:\\\\Not the game\"\n"
          "\"SystemSetupInProgress\"=dword:00000000\n";
}

// The game's key with these value lines, where a 32-bit game's installer puts
// it in a prefix of that kind.
QByteArray gameKeyWith(Arch arch, const QByteArray &values)
{
    return QByteArray(arch == Arch::Win64 ? "[Software\\\\Wow6432Node\\\\Infogrames\\\\Civ3PTW] 1700000000\n"
                                          : "[Software\\\\Infogrames\\\\Civ3PTW] 1700000000\n")
        + "#time=1da0c7d3b0e8a22\n" + values + "\n";
}

// A prefix at `dir` whose game key holds Install_Path = `path` (escaped as in
// the file).
void makePrefix(const QString &dir, const QByteArray &path, Arch arch = Arch::Win32)
{
    writeFile(dir + "/system.reg", systemReg(arch, gameKeyWith(arch, "\"Install_Path\"=\"" + path + "\"")));
}

// Each case runs with a home folder of its own and no WINEPREFIX, unless it
// sets one; both are put back afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(m_elsewhere.isValid());
        m_hadHome = qEnvironmentVariableIsSet("HOME");
        m_oldHome = qgetenv("HOME");
        m_hadWinePrefix = qEnvironmentVariableIsSet("WINEPREFIX");
        m_oldWinePrefix = qgetenv("WINEPREFIX");
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qunsetenv("WINEPREFIX");
    }

    void TearDown() override
    {
        if (m_hadHome)
            qputenv("HOME", m_oldHome);
        else
            qunsetenv("HOME");
        if (m_hadWinePrefix)
            qputenv("WINEPREFIX", m_oldWinePrefix);
        else
            qunsetenv("WINEPREFIX");
    }

    QString home() const { return m_home.path(); }
    QString elsewhere() const { return m_elsewhere.path(); } // outside the home folder, like a second disk

private:
    QTemporaryDir m_home;
    QTemporaryDir m_elsewhere;
    bool m_hadHome = false;
    QByteArray m_oldHome;
    bool m_hadWinePrefix = false;
    QByteArray m_oldWinePrefix;
};

// ---- Reading Install_Path ---------------------------------------------------

struct ValueCase {
    const char *what;
    const char *lines; // value lines of the game's key, as in system.reg
    const char16_t *text;
    const char *error = "";
};

const ValueCase valueCases[] = {
    {"a plain string", R"("Install_Path"="C:\\Program Files\\Infogrames\\Civ3")", uR"(C:\Program Files\Infogrames\Civ3)"},
    {"a path ending in a backslash keeps it", R"("Install_Path"="C:\\Civ3\\")", uR"(C:\Civ3\)"},
    {"an expandable string, not expanded", R"("Install_Path"=str(2):"%ProgramFiles%\\Civ3")", uR"(%ProgramFiles%\Civ3)"},
    {"the long form of a plain string", R"("Install_Path"=str:"C:\\Civ3")", uR"(C:\Civ3)"},
    {"an empty string", R"("Install_Path"="")", u""},
    {"a string value without data", R"("Install_Path"=hex(1):)", u""},
    {"no such value; the next key has one", R"("Version"="1.22")", u""},
    {"the default value is another value", R"(@="C:\\Civ3")", u""},
    {"the name in other case", R"("INSTALL_PATH"="C:\\Civ3")", uR"(C:\Civ3)"},
    {"an escaped name", R"("Install\x5fPath"="C:\\Civ3")", uR"(C:\Civ3)"},
    {"of two values with one name, the last", "\"Install_Path\"=\"C:\\\\Old\"\n\"install_path\"=\"C:\\\\New\"", uR"(C:\New)"},
    {"quotes", R"("Install_Path"="C:\\\"Civ\"")", uR"(C:\"Civ")"},
    {"hex escapes of one to four digits", R"("Install_Path"="C:\\Caf\xe9\\Civ\x00e9a")", u"C:\\Caf\u00e9\\Civ\u00e9a"},
    {"octal escapes", R"("Install_Path"="C:\\Civ\63\\\101")", uR"(C:\Civ3\A)"},
    {"control escapes", R"("Install_Path"="a\tb\nc\ad")", u"a\tb\nc\ad"},
    {"the text ends at a NUL", R"("Install_Path"="C:\\Civ3\0junk")", uR"(C:\Civ3)"},
    {"an unknown escape is the character", R"("Install_Path"="C:\\\[Civ\]")", uR"(C:\[Civ])"},
    {"UTF-8 as written", R"("Install_Path"="C:\\Café")", u"C:\\Caf\u00e9"},
    {"a string in UTF-16 over two lines", "\"Install_Path\"=hex(2):43,00,3a,00,5c,00,\\\n  43,00,69,00,76,00,00,00", uR"(C:\Civ)"},
    {"a string in UTF-16 without its NUL", R"("Install_Path"=hex(1):43,00,3a,00)", u"C:"},
    {"a number", R"("Install_Path"=dword:00000001)", u"", "Invalid data type for 'Install_Path'"},
    {"binary data", R"("Install_Path"=hex:43,00)", u"", "Invalid data type for 'Install_Path'"},
    {"a list of strings", R"("Install_Path"=str(7):"C:\\Civ3\0")", u"", "Invalid data type for 'Install_Path'"},
    {"a 64-bit number", R"("Install_Path"=hex(b):01,00,00,00,00,00,00,00)", u"", "Invalid data type for 'Install_Path'"},
    {"an unterminated string", R"("Install_Path"="C:\\Civ3)", u"", "Failed to get data for 'Install_Path'"},
    {"an escaped closing quote", R"("Install_Path"="C:\\Civ3\")", u"", "Failed to get data for 'Install_Path'"},
    {"a bad hex byte", R"("Install_Path"=hex(2):43,0g)", u"", "Failed to get data for 'Install_Path'"},
    {"hex continued into a key header", "\"Install_Path\"=hex(2):43,00,\\\n[Software\\\\Other] 1700000000", u"", "Failed to get data for 'Install_Path'"},
    {"no '='", R"("Install_Path" "C:\\Civ3")", u"", "Failed to get data for 'Install_Path'"},
    {"data in no known form", R"("Install_Path"=C:\\Civ3)", u"", "Failed to get data for 'Install_Path'"},
};

TEST_F(RegistryTest, ReadsInstallPathInEveryFormWineWrites)
{
    for (const ValueCase &c : valueCases) {
        SCOPED_TRACE(c.what);
        writeFile(home() + "/.wine/system.reg", systemReg(Arch::Win32, gameKeyWith(Arch::Win32, c.lines)));
        const Lookup lookup = lookUpInstallPath();
        EXPECT_TRUE(lookup.keyExists);
        EXPECT_EQ(lookup.text, u16(c.text));
        EXPECT_EQ(lookup.error, QString::fromUtf8(c.error));
    }
}

// ---- Finding the game's key -------------------------------------------------

struct KeyCase {
    const char *what;
    Arch arch;
    const char *keys; // key sections of system.reg
    bool exists;
    const char16_t *text = u"";
};

const KeyCase keyCases[] = {
    {"the key in a 32-bit prefix", Arch::Win32,
     "[Software\\\\Infogrames\\\\Civ3PTW] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", true, uR"(C:\Civ3)"},
    {"the key in a 64-bit prefix, in the 32-bit view", Arch::Win64,
     "[Software\\\\Wow6432Node\\\\Infogrames\\\\Civ3PTW] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", true, uR"(C:\Civ3)"},
    {"a 64-bit prefix: the 32-bit view, not the 64-bit one", Arch::Win64,
     "[Software\\\\Infogrames\\\\Civ3PTW] 1700000000\n\"Install_Path\"=\"C:\\\\Wrong\"\n"
     "[Software\\\\Wow6432Node\\\\Infogrames\\\\Civ3PTW] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", true, uR"(C:\Civ3)"},
    {"a 64-bit prefix with the key only in the 64-bit view", Arch::Win64,
     "[Software\\\\Infogrames\\\\Civ3PTW] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", false},
    {"a 32-bit prefix has no 32-bit view of its own", Arch::Win32,
     "[Software\\\\Wow6432Node\\\\Infogrames\\\\Civ3PTW] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", false},
    {"the key in other case", Arch::Win32,
     "[SOFTWARE\\\\infogrames\\\\CIV3ptw] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", true, uR"(C:\Civ3)"},
    {"an escaped key name", Arch::Win32,
     "[Software\\\\Info\\x67rames\\\\Civ3PTW] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", true, uR"(C:\Civ3)"},
    {"keys whose names only start alike", Arch::Win32,
     "[Software\\\\Infogrames\\\\Civ3] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n"
     "[Software\\\\Infogrames\\\\Civ3PTW2] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", false},
    {"a key with no values of its own, only a subkey", Arch::Win32,
     "[Software\\\\Infogrames\\\\Civ3PTW\\\\Settings] 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", true, u""},
    {"a value whose name looks like the key", Arch::Win32,
     "[Software\\\\Infogrames] 1700000000\n\"[Software\\\\Infogrames\\\\Civ3PTW]\"=\"C:\\\\Civ3\"\n", false},
    {"a header indented by hand", Arch::Win32,
     "  [Software\\\\Infogrames\\\\Civ3PTW] 1700000000\n  \"Install_Path\"=\"C:\\\\Civ3\"\n", true, uR"(C:\Civ3)"},
    {"a header without its closing bracket", Arch::Win32,
     "[Software\\\\Infogrames\\\\Civ3PTW 1700000000\n\"Install_Path\"=\"C:\\\\Civ3\"\n", false},
};

TEST_F(RegistryTest, FindsTheGameKeyWhereA32BitProgramSeesIt)
{
    for (const KeyCase &c : keyCases) {
        SCOPED_TRACE(c.what);
        writeFile(home() + "/.wine/system.reg", systemReg(c.arch, c.keys));
        const Lookup lookup = lookUpInstallPath();
        EXPECT_EQ(lookup.keyExists, c.exists);
        EXPECT_EQ(lookup.text, u16(c.text));
        EXPECT_EQ(lookup.error, QString());
    }
}

TEST_F(RegistryTest, AFileThatIsNotAWineRegistryHoldsNoKeys)
{
    QByteArray text = systemReg(Arch::Win32, gameKeyWith(Arch::Win32, R"("Install_Path"="C:\\Civ3")"));
    text.remove(0, text.indexOf('\n') + 1); // without "WINE REGISTRY Version 2"
    writeFile(home() + "/.wine/system.reg", text);
    EXPECT_FALSE(lookUpInstallPath().keyExists);
}

// ---- Where the prefixes are -------------------------------------------------

TEST_F(RegistryTest, NoPrefixAnywhereMeansNoKey)
{
    TRegistry registry;
    registry.RootKey = vcl::HKEY_LOCAL_MACHINE;
    EXPECT_FALSE(registry.KeyExists(gameKey));
    EXPECT_FALSE(registry.OpenKey(gameKey, false));
    EXPECT_EQ(registry.ReadString(QStringLiteral("Install_Path")), QString());
}

TEST_F(RegistryTest, WinePrefixComesFirst)
{
    makePrefix(elsewhere() + "/custom", R"(C:\\From WINEPREFIX)");
    makePrefix(home() + "/.wine", R"(C:\\From .wine)");
    makePrefix(home() + "/.local/share/Steam/steamapps/compatdata/3910/pfx", R"(C:\\From Proton)", Arch::Win64);
    qputenv("WINEPREFIX", QFile::encodeName(elsewhere() + "/custom"));
    EXPECT_EQ(lookUpInstallPath().text, u16(uR"(C:\From WINEPREFIX)"));

    qunsetenv("WINEPREFIX");
    EXPECT_EQ(lookUpInstallPath().text, u16(uR"(C:\From .wine)"));
}

TEST_F(RegistryTest, TheFirstPrefixHoldingTheKeyWins)
{
    // WINEPREFIX has a registry without the game, ~/.wine none that can be
    // read, and the game runs under Proton.
    writeFile(elsewhere() + "/custom/system.reg", systemReg(Arch::Win64, ""));
    qputenv("WINEPREFIX", QFile::encodeName(elsewhere() + "/custom"));
    makeFolder(home() + "/.wine/system.reg");
    makePrefix(home() + "/.local/share/Steam/steamapps/compatdata/3910/pfx", R"(C:\\From Proton)", Arch::Win64);
    EXPECT_EQ(lookUpInstallPath().text, u16(uR"(C:\From Proton)"));
}

TEST_F(RegistryTest, FindsProtonPrefixInEveryKindOfSteamInstall)
{
    const char *const roots[] = {
        "/.local/share/Steam",
        "/.steam/steam",
        "/.steam/root",
        "/.var/app/com.valvesoftware.Steam/.local/share/Steam",
        "/.var/app/com.valvesoftware.Steam/data/Steam",
        "/snap/steam/common/.local/share/Steam",
    };
    for (const char *root : roots) {
        SCOPED_TRACE(root);
        const QString prefix = home() + root + "/steamapps/compatdata/3910/pfx";
        makePrefix(prefix, R"(C:\\Civ3)", Arch::Win64);
        EXPECT_EQ(lookUpInstallPath().text, u16(uR"(C:\Civ3)"));
        ASSERT_TRUE(QDir(home() + root).removeRecursively());
    }
}

TEST_F(RegistryTest, FindsProtonPrefixInALibraryListedBySteam)
{
    struct Listing {
        const char *what;
        const char *vdf; // $LIBRARY stands for the second library, $STEAM for Steam's own
    };
    const Listing listings[] = {
        {"today's libraryfolders.vdf",
         "\"libraryfolders\"\n{\n"
         "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"$STEAM\"\n\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"1\"\n\t\t}\n\t}\n"
         "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"$LIBRARY\"\n\t\t\"label\"\t\t\"Games\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"3910\"\t\t\"658751488\"\n\t\t}\n\t}\n"
         "}\n"},
        {"the flat list of older Steam",
         "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n\t\"ContentStatsID\"\t\t\"-1\"\n\t\"1\"\t\t\"$LIBRARY\"\n}\n"},
    };
    const QString steam = home() + "/.local/share/Steam";
    const QString library = elsewhere() + "/SteamLibrary";
    writeFile(home() + "/.wine/system.reg", systemReg(Arch::Win32, "")); // a Wine prefix without the game
    makePrefix(library + "/steamapps/compatdata/3910/pfx", R"(C:\\Civ3 under Proton)", Arch::Win64);
    for (const Listing &listing : listings) {
        SCOPED_TRACE(listing.what);
        writeFile(steam + "/steamapps/libraryfolders.vdf", QString::fromUtf8(listing.vdf).replace("$LIBRARY", library).replace("$STEAM", steam).toUtf8());
        EXPECT_EQ(lookUpInstallPath().text, u16(uR"(C:\Civ3 under Proton)"));
    }
}

// ---- The accessor -----------------------------------------------------------

TEST_F(RegistryTest, RootKeyChoosesTheRegistryFile)
{
    const QByteArray key = "[Software\\\\Vantorel] 1700000000\n\"Where\"=\"%1\"\n";
    writeFile(home() + "/.wine/system.reg", systemReg(Arch::Win32, QByteArray(key).replace("%1", "machine")));
    QByteArray user = systemReg(Arch::Win32, QByteArray(key).replace("%1", "user"));
    user.replace("\\\\Machine", "\\\\User\\\\S-1-5-21-0-0-0-1000");
    writeFile(home() + "/.wine/user.reg", user);

    TRegistry registry;
    EXPECT_EQ(registry.RootKey, vcl::HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("Software\\Vantorel"), false));
    EXPECT_EQ(registry.ReadString(QStringLiteral("Where")), QStringLiteral("user"));
    registry.RootKey = vcl::HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Software\\Vantorel"), false));
    EXPECT_EQ(registry.ReadString(QStringLiteral("Where")), QStringLiteral("machine"));
}

TEST_F(RegistryTest, AFailedOpenKeepsTheKeyAndCloseKeyEndsIt)
{
    makePrefix(home() + "/.wine", R"(C:\\Civ3)");
    TRegistry registry;
    registry.RootKey = vcl::HKEY_LOCAL_MACHINE;
    EXPECT_EQ(registry.ReadString(QStringLiteral("Install_Path")), QString()); // no key open yet
    ASSERT_TRUE(registry.OpenKey(gameKey, false));
    EXPECT_FALSE(registry.OpenKey(QStringLiteral("SOFTWARE\\Infogrames\\Civ4"), true)); // never created
    EXPECT_FALSE(registry.KeyExists(QStringLiteral("SOFTWARE\\Infogrames\\Civ4")));
    EXPECT_EQ(registry.ReadString(QStringLiteral("Install_Path")), u16(uR"(C:\Civ3)"));
    registry.CloseKey();
    EXPECT_EQ(registry.ReadString(QStringLiteral("Install_Path")), QString());
    registry.CloseKey();
}

// ---- The dialog's folder ----------------------------------------------------

// A prefix with the game's key whose C: has the game's folders in other case
// than the registry names them, as when a game is copied in by hand, and
// whose D: is a folder elsewhere.
class DialogFolderTest : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        m_prefix = home() + "/.wine";
        makePrefix(m_prefix, R"(C:\\Program Files\\Infogrames\\Civ3\\)");
        makeFolder(m_prefix + "/drive_c/program files/infogrames/CIV3/saves");
        writeFile(m_prefix + "/drive_c/program files/infogrames/CIV3/saves/game.SAV", "C");
        makeFolder(m_prefix + "/dosdevices");
        ASSERT_TRUE(QFile::link(m_prefix + "/drive_c", m_prefix + "/dosdevices/c:"));
        makeFolder(elsewhere() + "/cdrom/Saves");
        ASSERT_TRUE(QFile::link(elsewhere() + "/cdrom", m_prefix + "/dosdevices/d:"));
        const Lookup lookup = lookUpInstallPath();
        ASSERT_TRUE(lookup.keyExists);
        m_installPath = lookup.text;
    }

    QString m_prefix;
    QString m_installPath;
};

TEST_F(DialogFolderTest, MapsWindowsFoldersIntoThePrefix)
{
    const QString saves = canonical(m_prefix + "/drive_c/program files/infogrames/CIV3/saves");
    struct Case {
        const char16_t *initialDir;
        QString folder;
    };
    const Case cases[] = {
        {uR"(C:\Program Files\Infogrames\Civ3\Saves)", saves},
        {uR"(c:/program files/INFOGRAMES/civ3/SAVES/)", saves},
        {uR"(C:\Program Files\Infogrames\Civ3\Saves\..\.\Saves)", saves},
        {uR"(\Program Files\Infogrames\Civ3\Saves)", saves},
        {uR"(D:\Saves)", canonical(elsewhere() + "/cdrom/Saves")},
        {uR"(C:\Program Files\Infogrames\Civ3\Scenarios)", QString()},
        {uR"(C:\Program Files\Infogrames\Civ3\Saves\game.SAV)", QString()},
        {uR"(E:\Saves)", QString()},
        {uR"(\Saves)", QString()},
    };
    for (const Case &c : cases) {
        const QString initialDir = u16(c.initialDir);
        SCOPED_TRACE(initialDir.toStdString());
        EXPECT_EQ(vcl::hostFolderForDialog(initialDir), c.folder);
    }
}

TEST_F(DialogFolderTest, TheWindowsFolderFromTheRegistryFindsTheSaves)
{
    // The window joins the texts as they are: "...\Civ3\" + "\Saves".
    EXPECT_EQ(m_installPath, u16(uR"(C:\Program Files\Infogrames\Civ3\)"));
    EXPECT_EQ(vcl::hostFolderForDialog(m_installPath + u16(uR"(\Saves)")),
              canonical(m_prefix + "/drive_c/program files/infogrames/CIV3/saves"));
}

TEST_F(DialogFolderTest, HostFoldersAreTakenAsTheyAre)
{
    const QString folder = elsewhere() + "/cdrom/Saves";
    EXPECT_EQ(vcl::hostFolderForDialog(folder), folder);
    EXPECT_EQ(vcl::hostFolderForDialog(elsewhere() + "/no such folder"), QString());
    EXPECT_EQ(vcl::hostFolderForDialog(QString()), QString());
}

TEST_F(DialogFolderTest, MapsIntoThePrefixTheKeyWasFoundIn)
{
    // A WINEPREFIX without the game but with the same folders: the key, and
    // so the folder, is ~/.wine's.
    const QString other = elsewhere() + "/other";
    writeFile(other + "/system.reg", systemReg(Arch::Win32, ""));
    makeFolder(other + "/drive_c/Program Files/Infogrames/Civ3/Saves");
    makeFolder(other + "/dosdevices");
    ASSERT_TRUE(QFile::link(other + "/drive_c", other + "/dosdevices/c:"));
    qputenv("WINEPREFIX", QFile::encodeName(other));
    ASSERT_TRUE(lookUpInstallPath().keyExists);
    EXPECT_EQ(vcl::hostFolderForDialog(u16(uR"(C:\Program Files\Infogrames\Civ3\Saves)")),
              canonical(m_prefix + "/drive_c/program files/infogrames/CIV3/saves"));
}

#endif

} // namespace
