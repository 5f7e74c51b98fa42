// Wine and Proton prefixes: where the game's registry lives when this program
// runs outside Windows, how the prefix's registry files are read, and how a
// Windows folder maps to a folder of the host.
//
// TRegistry (registry.h) is the only user; nothing here is part of the
// layer's platform vocabulary.
#pragma once

#include "vcl/sysutils.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <optional>

namespace vcl::wine {

// Steam's app id of Civilization III Complete; Proton keeps the game's prefix
// in <library>/steamapps/compatdata/<id>/pfx.
inline constexpr int civ3SteamAppId = 3910;

// The prefixes to search for the game's registry, first one first, each an
// existing folder named by its canonical path and listed once: $WINEPREFIX,
// ~/.wine, then the game's Proton prefix in every library of every Steam
// installation (native, ~/.steam links, Flatpak, Snap).
QStringList prefixSearchOrder();

// The library folders listed in the text of a Steam libraryfolders.vdf, in
// file order: the "path" entries of today's file and the numbered entries of
// the older flat one. Malformed text gives what was found before the fault.
QStringList steamLibraryFolders(const QByteArray &vdf);

// The key a 32-bit program sees as `key` in a 64-bit prefix: Windows keeps the
// 32-bit software keys of HKEY_LOCAL_MACHINE under Software\Wow6432Node.
// "SOFTWARE\Infogrames\Civ3PTW" gives "Software\Wow6432Node\Infogrames\Civ3PTW".
String wow64Key(const String &key);

// One registry file of a prefix: system.reg (HKEY_LOCAL_MACHINE) or user.reg
// (HKEY_CURRENT_USER). The text is read whole once, when the object is made,
// and then only scanned: a key's section is found by its header line and read
// when a value is asked for, so a file of tens of megabytes never becomes a
// tree in memory.
class RegistryFile {
public:
    explicit RegistryFile(const String &path);

    // False when the file cannot be read or is not a Wine registry file;
    // such a file holds no keys.
    bool readable() const { return m_readable; }

    // True for a prefix made for 64-bit Windows ("#arch=win64").
    bool win64() const { return m_win64; }

    // Where the key's values start in the text; noValues when the key exists
    // only as the parent of other keys (Wine writes no section for it), and
    // nothing when the file does not hold the key. Names compare without
    // regard to case; the answer is remembered per key.
    static constexpr qsizetype noValues = -1;
    std::optional<qsizetype> findKey(const String &key) const;

    struct Value {
        enum Kind {
            Missing,    // no value of that name
            Text,       // a plain or expandable string; text holds it up to the first NUL
            NotText,    // a number, binary data or any other type
            Unreadable, // a line this reader cannot make sense of
        };
        Kind kind = Missing;
        String text;
    };
    // The value of that name in the section found by findKey (which may be
    // noValues). Names compare without regard to case.
    Value readValue(qsizetype section, const String &name) const;

private:
    QByteArray m_text;                                        // the file, as read
    bool m_readable = false;                                  // a Wine registry file was read
    bool m_win64 = false;                                     // "#arch=win64" before the first key
    mutable QHash<String, std::optional<qsizetype>> m_found;  // findKey's answers, by key in lower case
};

// The host folder for a Windows folder inside `prefix`: the drive letter
// through the prefix's dosdevices link ("C:" -> <prefix>/dosdevices/c:), a
// leading backslash on drive C:, then every component matched without
// regard to case. Gives the canonical path, or an empty String when the
// folder does not exist.
String folderInPrefix(const String &prefix, const String &windowsPath);

// True for "X:..." and "\...": a path of Windows rather than of the host.
bool isWindowsPath(const String &path);

// The prefix whose registry this program read last (set by TRegistry when it
// opens a key); a Windows folder read from that registry belongs in it.
String registryPrefix();
void setRegistryPrefix(const String &prefix);

} // namespace vcl::wine
