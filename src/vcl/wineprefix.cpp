// Reading the registry of a Wine or Proton prefix, finding the prefixes, and
// mapping Windows folders into them.
//
// Wine keeps a prefix's registry in text files at the top of the prefix:
// system.reg holds HKEY_LOCAL_MACHINE, user.reg HKEY_CURRENT_USER. wineserver
// writes them; we only read. A file with the game's key looks like this:
//
//     WINE REGISTRY Version 2
//     ;; All keys relative to \\Machine
//
//     #arch=win64
//
//     [Software\\Wow6432Node\\Infogrames\\Civ3PTW] 1700000000
//     #time=1da0c7d3b0e8a22
//     "Install_Path"="C:\\Program Files (x86)\\Infogrames\\Civ3\\"
//     "Version"=dword:00000001
//
// and ReadString("Install_Path") on that key gives C:\Program Files (x86)\Infogrames\Civ3\ .
//
// Format notes:
// - The first line names the format. "#arch=win64" before the first key marks
//   a 64-bit prefix, where a 32-bit program's HKEY_LOCAL_MACHINE\Software lives
//   under Software\Wow6432Node. Lines starting with ';' are comments; '#' lines
//   inside a key (#time=, #class=, #link) carry metadata we do not need.
// - A key is a header line "[path] modification-time" followed by its values,
//   one per line, up to the next header. The path is relative to the file's
//   root, its components joined by one backslash (written "\\"). A key with
//   subkeys but no values gets no header of its own; it exists through them.
// - A value line is "name"=data, or @=data for the key's default value.
// - Names and strings share one escaping: \\ \" \[ \] stand for the character;
//   \a \b \e \f \n \r \t \v for control characters; \x followed by one to four
//   hex digits and \ followed by one to three octal digits for a UTF-16 code
//   unit (Wine writes \x00e9 when a hex digit follows, \0 before a non-digit).
//   Any other escaped character stands for itself. Unescaped bytes are UTF-8.
// - Data forms: "text" and str:"text" (REG_SZ); str(2):"text" (REG_EXPAND_SZ)
//   and str(7):"text" (REG_MULTI_SZ), the hex number being the type;
//   dword:0000002a; hex:01,02 (REG_BINARY); hex(N):01,02 for any other type
//   N, including strings that are empty or lack their terminating NUL, which
//   Wine writes as hex(1): or hex(2): bytes of UTF-16LE. Hex data is wrapped
//   by ending the line with a backslash; the next line goes on after its
//   indentation. Strings never span lines.
// - Names of keys and values compare without regard to case.
//
// Steam lists its library folders in steamapps/libraryfolders.vdf, a Valve
// KeyValues text of quoted keys and values and braces:
//
//     "libraryfolders"
//     {
//         "0" { "path" "/home/me/.local/share/Steam" "apps" { "3910" "0" } }
//         "1" { "path" "/mnt/games/SteamLibrary" }
//     }
//
// Files from before 2021 list them flat instead: "1" "/mnt/games/SteamLibrary".
#include "vcl/wineprefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vcl::wine {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView skipBlanks(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return text.sliced(i);
}

// The line of `text` that starts at pos, without its line end; moves pos to
// the start of the next line.
QByteArrayView nextLine(const QByteArray &text, qsizetype &pos)
{
    qsizetype end = text.indexOf('\n', pos);
    if (end < 0)
        end = text.size();
    QByteArrayView line(text.constData() + pos, end - pos);
    pos = end + 1;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// Reads the escaped name or string at the start of `in`, which is just past
// the opening delimiter, up to the unescaped `delimiter`, into `out`. Moves
// `in` past the delimiter. False when the line ends first.
bool readEscaped(QByteArrayView &in, char delimiter, String &out)
{
    out.resize(0); // keeps the buffer: headers are read by the hundred thousand
    qsizetype i = 0;
    while (i < in.size()) {
        const char c = in[i];
        if (c == delimiter) {
            in = in.sliced(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 == in.size())
                break;
            const char e = in[i + 1];
            i += 2;
            switch (e) {
            case 'a': out += QChar(u'\a'); continue;
            case 'b': out += QChar(u'\b'); continue;
            case 'e': out += QChar(char16_t(27)); continue;
            case 'f': out += QChar(u'\f'); continue;
            case 'n': out += QChar(u'\n'); continue;
            case 'r': out += QChar(u'\r'); continue;
            case 't': out += QChar(u'\t'); continue;
            case 'v': out += QChar(u'\v'); continue;
            case 'x': {
                unsigned unit = 0;
                int digits = 0;
                for (; digits < 4 && i < in.size() && hexDigit(in[i]) >= 0; ++digits, ++i)
                    unit = unit * 16 + unsigned(hexDigit(in[i]));
                out += digits ? QChar(char16_t(unit)) : QChar(u'x');
                continue;
            }
            default:
                if (isOctalDigit(e)) {
                    unsigned unit = unsigned(e - '0');
                    for (int digits = 1; digits < 3 && i < in.size() && isOctalDigit(in[i]); ++digits, ++i)
                        unit = unit * 8 + unsigned(in[i] - '0');
                    out += QChar(char16_t(unit));
                    continue;
                }
                // Any other escaped character stands for itself; it starts
                // the run of plain text taken below.
                --i;
            }
        }
        // A run of plain text, at least one byte, up to the next escape or
        // the delimiter.
        qsizetype end = i;
        bool ascii = true;
        do {
            ascii = ascii && uchar(in[end]) < 0x80;
            ++end;
        } while (end < in.size() && in[end] != '\\' && in[end] != delimiter);
        const QByteArrayView run = in.sliced(i, end - i);
        if (ascii)
            out += QLatin1String(run.data(), run.size());
        else
            out += QString::fromUtf8(run);
        i = end;
    }
    return false;
}

std::optional<String> readEscaped(QByteArrayView &in, char delimiter)
{
    String out;
    if (!readEscaped(in, delimiter, out))
        return std::nullopt;
    return out;
}

// True when a header's raw name, just past its '[', can be neither `key` nor
// a key under it. Decides on the plain ASCII and "\\\\" that Wine writes for
// almost every name, and leaves anything else to the full unescaping: most
// headers of a big file differ from the key within a few characters, and
// this spares unescaping them.
bool differsEarly(QByteArrayView raw, const String &key)
{
    qsizetype r = 0;
    for (qsizetype k = 0; k < key.size() && r < raw.size(); ++k) {
        char c = raw[r++];
        if (c == '\\') {
            if (r == raw.size() || raw[r] != '\\')
                return false;
            ++r;
        } else if (c == ']' || uchar(c) >= 0x80) {
            return false;
        }
        if (QChar(QLatin1Char(c)).toCaseFolded() != key[k].toCaseFolded())
            return true;
    }
    return false;
}

// Hex data "41,00,42,00", which may go on over lines ending in a backslash.
// Moves pos past the continuation lines. Gives nothing on malformed data.
std::optional<QByteArray> readHexBytes(QByteArrayView data, const QByteArray &text, qsizetype &pos)
{
    QByteArray bytes;
    for (;;) {
        data = skipBlanks(data);
        if (data.isEmpty())
            return bytes;
        if (data[0] == '\\' && skipBlanks(data.sliced(1)).isEmpty()) {
            if (pos >= text.size())
                return std::nullopt;
            data = nextLine(text, pos);
            continue;
        }
        unsigned byte = 0;
        qsizetype digits = 0;
        for (; digits < data.size() && hexDigit(data[digits]) >= 0; ++digits) {
            byte = byte * 16 + unsigned(hexDigit(data[digits]));
            if (byte > 0xff)
                return std::nullopt;
        }
        if (digits == 0)
            return std::nullopt;
        bytes += char(byte);
        data = skipBlanks(data.sliced(digits));
        if (data.startsWith(','))
            data = data.sliced(1);
    }
}

// Text as a program reading the value gets it: up to the first NUL.
String textUpToNul(const String &text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

String textOfUtf16(const QByteArray &bytes)
{
    String text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8));
    return textUpToNul(text);
}

// Registry value types that hold text.
constexpr unsigned regSz = 1;
constexpr unsigned regExpandSz = 2;

// The value whose data starts at `data` (just past the '='); pos is at the
// next line, where hex data may go on.
RegistryFile::Value readData(QByteArrayView data, const QByteArray &text, qsizetype &pos)
{
    using Value = RegistryFile::Value;
    unsigned type = regSz;
    bool hex = false;
    if (data.startsWith('"')) {
        data = data.sliced(1);
    } else if (data.startsWith("str:\"")) {
        data = data.sliced(5);
    } else if (data.startsWith("str(") || data.startsWith("hex(")) {
        hex = data.startsWith('h');
        const qsizetype close = data.indexOf(')');
        bool ok = false;
        if (close > 4)
            type = data.sliced(4, close - 4).toUInt(&ok, 16);
        if (!ok || !data.sliced(close + 1).startsWith(':'))
            return {Value::Unreadable, {}};
        data = data.sliced(close + 2);
        if (!hex) {
            if (!data.startsWith('"'))
                return {Value::Unreadable, {}};
            data = data.sliced(1);
        }
    } else if (data.startsWith("hex:") || data.startsWith("dword:")) {
        return {Value::NotText, {}};
    } else {
        return {Value::Unreadable, {}};
    }

    if (type != regSz && type != regExpandSz)
        return {Value::NotText, {}};
    if (hex) {
        const auto bytes = readHexBytes(data, text, pos);
        if (!bytes)
            return {Value::Unreadable, {}};
        return {Value::Text, textOfUtf16(*bytes)};
    }
    const auto string = readEscaped(data, '"');
    if (!string)
        return {Value::Unreadable, {}};
    return {Value::Text, textUpToNul(*string)};
}

// The key's components joined by single backslashes, without empty ones.
String normalKey(const String &key)
{
    return key.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

// Adds the folder's canonical path to `list` unless it does not exist or is
// there already. True when it was added.
bool addFolder(QStringList &list, const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || !info.isDir() || list.contains(canonical))
        return false;
    list << canonical;
    return true;
}

// Where Steam may be installed, relative to the home folder: native, the
// ~/.steam links older installs and the runtime use, Flatpak and Snap.
const char *const steamRoots[] = {
    "/.local/share/Steam",
    "/.steam/steam",
    "/.steam/root",
    "/.var/app/com.valvesoftware.Steam/.local/share/Steam",
    "/.var/app/com.valvesoftware.Steam/data/Steam",
    "/snap/steam/common/.local/share/Steam",
};

// Every Steam library folder of this user: each installation's own folder,
// then the libraries its libraryfolders.vdf lists.
QStringList steamLibraries(const QString &home)
{
    QStringList libraries;
    QStringList roots;
    for (const char *root : steamRoots) {
        if (!addFolder(roots, home + QLatin1String(root)))
            continue;
        addFolder(libraries, roots.last());
        QFile vdf(roots.last() + QStringLiteral("/steamapps/libraryfolders.vdf"));
        if (vdf.open(QIODevice::ReadOnly)) {
            for (const QString &library : steamLibraryFolders(vdf.readAll()))
                addFolder(libraries, library);
        }
    }
    return libraries;
}

// One token of KeyValues text.
struct VdfToken {
    enum Kind { End, Open, Close, Text } kind = End;
    QString text;
};

VdfToken nextVdfToken(const QByteArray &vdf, qsizetype &i)
{
    for (;;) {
        while (i < vdf.size() && (isBlank(vdf[i]) || vdf[i] == '\n'))
            ++i;
        if (i + 1 < vdf.size() && vdf[i] == '/' && vdf[i + 1] == '/') {
            while (i < vdf.size() && vdf[i] != '\n')
                ++i;
            continue;
        }
        break;
    }
    if (i >= vdf.size())
        return {};
    if (vdf[i] == '{' || vdf[i] == '}')
        return {vdf[i++] == '{' ? VdfToken::Open : VdfToken::Close, {}};
    QByteArray text;
    if (vdf[i] == '"') {
        for (++i; i < vdf.size() && vdf[i] != '"'; ++i) {
            if (vdf[i] != '\\' || i + 1 == vdf.size()) {
                text += vdf[i];
                continue;
            }
            switch (const char e = vdf[++i]) {
            case 'n': text += '\n'; break;
            case 't': text += '\t'; break;
            case '\\':
            case '"': text += e; break;
            default: text += '\\'; text += e; // not an escape: keep the backslash
            }
        }
        if (i >= vdf.size())
            return {}; // the text ends inside a quoted string
        ++i;
    } else {
        while (i < vdf.size() && !isBlank(vdf[i]) && vdf[i] != '\n' && vdf[i] != '{' && vdf[i] != '}' && vdf[i] != '"')
            text += vdf[i++];
    }
    return {VdfToken::Text, QString::fromUtf8(text)};
}

bool isNumber(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

} // namespace

QStringList steamLibraryFolders(const QByteArray &vdf)
{
    QStringList folders;
    int depth = 0;
    std::optional<QString> key; // a key read at this depth, waiting for its value
    qsizetype i = 0;
    for (;;) {
        VdfToken token = nextVdfToken(vdf, i);
        switch (token.kind) {
        case VdfToken::End:
            return folders;
        case VdfToken::Open:
            ++depth;
            key.reset();
            break;
        case VdfToken::Close:
            if (--depth < 0)
                return folders;
            key.reset();
            break;
        case VdfToken::Text:
            if (!key) {
                key = token.text;
                break;
            }
            // "libraryfolders" { "1" { "path" "..." } }, or the older
            // "LibraryFolders" { "1" "..." }.
            if ((depth == 2 && key->compare(QLatin1String("path"), Qt::CaseInsensitive) == 0)
                || (depth == 1 && isNumber(*key)))
                folders << token.text;
            key.reset();
            break;
        }
    }
}

QStringList prefixSearchOrder()
{
    QStringList prefixes;
    addFolder(prefixes, qEnvironmentVariable("WINEPREFIX"));
    const QString home = QDir::homePath();
    addFolder(prefixes, home + QStringLiteral("/.wine"));
    for (const QString &library : steamLibraries(home))
        addFolder(prefixes, library + QStringLiteral("/steamapps/compatdata/%1/pfx").arg(civ3SteamAppId));
    return prefixes;
}

String wow64Key(const String &key)
{
    QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
    const bool software = parts.size() >= 2 && parts[0].compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0;
    if (!software || parts[1].compare(QLatin1String("Wow6432Node"), Qt::CaseInsensitive) == 0)
        return parts.join(u'\\');
    parts[0] = QStringLiteral("Software");
    parts.insert(1, QStringLiteral("Wow6432Node"));
    return parts.join(u'\\');
}

RegistryFile::RegistryFile(const String &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_text = file.readAll();
    qsizetype pos = 0;
    if (file.error() != QFileDevice::NoError || !nextLine(m_text, pos).startsWith("WINE REGISTRY Version 2")) {
        m_text.clear();
        return;
    }
    m_readable = true;
    while (pos < m_text.size()) {
        const QByteArrayView line = skipBlanks(nextLine(m_text, pos));
        if (line.startsWith('['))
            break;
        if (line.startsWith("#arch=win64"))
            m_win64 = true;
    }
}

std::optional<qsizetype> RegistryFile::findKey(const String &key) const
{
    const String wanted = normalKey(key);
    const String remembered = wanted.toLower();
    if (const auto it = m_found.constFind(remembered); it != m_found.cend())
        return *it;

    std::optional<qsizetype> found;
    if (m_readable && wanted.isEmpty())
        found = noValues; // the root
    String name;
    qsizetype pos = 0;
    while (m_readable && !wanted.isEmpty()) {
        // Headers are the lines that start with '['. Jumping from one '[' to
        // the next is much faster than walking every line of a big file.
        const qsizetype bracket = m_text.indexOf('[', pos);
        if (bracket < 0)
            break;
        qsizetype lineStart = bracket;
        while (lineStart > 0 && isBlank(m_text[lineStart - 1]))
            --lineStart;
        pos = bracket + 1;
        if (lineStart > 0 && m_text[lineStart - 1] != '\n')
            continue;
        QByteArrayView line = nextLine(m_text, pos);
        if (differsEarly(line, wanted) || !readEscaped(line, ']', name) || name.size() < wanted.size())
            continue;
        if (name.size() == wanted.size()) {
            if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
                found = pos;
                break;
            }
        } else if (name[wanted.size()] == u'\\' && name.startsWith(wanted, Qt::CaseInsensitive)) {
            // A subkey: the key exists even if it has no section of its own.
            found = noValues;
        }
    }
    m_found.insert(remembered, found);
    return found;
}

RegistryFile::Value RegistryFile::readValue(qsizetype section, const String &name) const
{
    Value value;
    qsizetype pos = section == noValues ? m_text.size() : section;
    while (pos < m_text.size()) {
        QByteArrayView line = skipBlanks(nextLine(m_text, pos));
        if (line.startsWith('['))
            break;
        std::optional<String> valueName;
        if (line.startsWith('@')) {
            valueName = String();
            line = line.sliced(1);
        } else if (line.startsWith('"')) {
            line = line.sliced(1);
            valueName = readEscaped(line, '"');
        }
        if (!valueName || valueName->compare(name, Qt::CaseInsensitive) != 0)
            continue;
        line = skipBlanks(line);
        // Wine keeps the last of two values with one name; so do we.
        if (line.startsWith('='))
            value = readData(skipBlanks(line.sliced(1)), m_text, pos);
        else
            value = {Value::Unreadable, {}};
    }
    return value;
}

bool isWindowsPath(const String &path)
{
    if (path.startsWith(u'\\'))
        return true;
    return path.size() >= 2 && path[1] == u':' && path[0].unicode() < 128 && path[0].isLetter();
}

String folderInPrefix(const String &prefix, const String &windowsPath)
{
    if (!isWindowsPath(windowsPath))
        return {};
    // "\Saves" is on the current drive, which for a program started by Wine
    // or Proton is C:.
    const bool hasDrive = windowsPath[1] == u':';
    const QChar drive = hasDrive ? windowsPath[0].toLower() : QChar(u'c');
    const QString base = prefix + QStringLiteral("/dosdevices/") + drive + u':';
    if (!QFileInfo(base).isDir())
        return {};

    QStringList found; // the components as they are named on disk
    QString path = windowsPath.mid(hasDrive ? 2 : 0);
    path.replace(u'/', u'\\'); // Windows takes either separator
    for (const QString &part : path.split(u'\\', Qt::SkipEmptyParts)) {
        if (part == u'.')
            continue;
        if (part == QLatin1String("..")) {
            if (!found.isEmpty())
                found.removeLast();
            continue;
        }
        const QString dir = found.isEmpty() ? base : base + u'/' + found.join(u'/');
        if (QFileInfo(dir + u'/' + part).isDir()) {
            found << part;
            continue;
        }
        const QStringList entries = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        const auto match = std::find_if(entries.cbegin(), entries.cend(), [&](const QString &entry) {
            return entry.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (match == entries.cend())
            return {};
        found << *match;
    }
    return QFileInfo(found.isEmpty() ? base : base + u'/' + found.join(u'/')).canonicalFilePath();
}

namespace {
String &registryPrefixStore()
{
    static String prefix;
    return prefix;
}
} // namespace

String registryPrefix()
{
    return registryPrefixStore();
}

void setRegistryPrefix(const String &prefix)
{
    registryPrefixStore() = prefix;
}

} // namespace vcl::wine
