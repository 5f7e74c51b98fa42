// TRegistry: read-only access to the Windows registry, or outside Windows to
// the registry of a Wine or Proton prefix.
//
// The accessor only reads. On Windows it opens keys with KEY_READ, never full
// access: a user without administrator rights may read HKEY_LOCAL_MACHINE but
// not change it, and asking for more than reading would make the game's key
// look missing to every such user.
#include "vcl/registry.h"

// The root key names are macros in <windows.h>; keep ours under other names
// for the code below.
namespace {
constexpr vcl::TRootKey localMachine = vcl::HKEY_LOCAL_MACHINE;
} // namespace

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <vector>
#else
#include "vcl/wineprefix.h"

#include <QFileInfo>

#include <map>
#endif

namespace vcl {

namespace {

[[noreturn]] void throwInvalidType(const String &name)
{
    throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
}

[[noreturn]] void throwFailedData(const String &name)
{
    throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(name));
}

} // namespace

#ifdef Q_OS_WIN

// ---- Windows: the registry itself --------------------------------------------

namespace {

// Reading only, and in the 32-bit view: the game is a 32-bit program, and a
// 64-bit build of ours would otherwise look in the 64-bit view, where the
// game's key is not.
constexpr REGSAM readAccess = KEY_READ | KEY_WOW64_32KEY;

HKEY rootHandle(TRootKey root)
{
    return root == localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

LPCWSTR wide(const String &text)
{
    return reinterpret_cast<LPCWSTR>(text.utf16());
}

// The key as RegOpenKeyExW takes it: relative to the root.
String relativeKey(const String &key)
{
    qsizetype start = 0;
    while (start < key.size() && key[start] == u'\\')
        ++start;
    return key.mid(start);
}

} // namespace

struct TRegistry::Private {
    HKEY key = nullptr; // the current key, null when none is open
};

TRegistry::TRegistry() : m_d(std::make_unique<Private>()) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

bool TRegistry::KeyExists(const String &Key)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(rootHandle(RootKey), wide(relativeKey(Key)), 0, readAccess, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool TRegistry::OpenKey(const String &Key, bool /*CanCreate*/)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(rootHandle(RootKey), wide(relativeKey(Key)), 0, readAccess, &key) != ERROR_SUCCESS)
        return false;
    CloseKey();
    m_d->key = key;
    return true;
}

String TRegistry::ReadString(const String &Name)
{
    if (!m_d->key)
        return {};
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = RegQueryValueExW(m_d->key, wide(Name), nullptr, &type, nullptr, &size);
    if (result == ERROR_FILE_NOT_FOUND)
        return {};
    if (result != ERROR_SUCCESS)
        throwFailedData(Name);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throwInvalidType(Name);

    // The value may change between the two queries; ask again for a larger
    // size a few times rather than read a cut-off text.
    std::vector<wchar_t> text;
    for (int attempt = 0;; ++attempt) {
        // One more character than the data: it need not end in a NUL.
        text.assign(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        result = RegQueryValueExW(m_d->key, wide(Name), nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &got);
        if (result == ERROR_MORE_DATA && attempt < 3) {
            size = got;
            continue;
        }
        if (result != ERROR_SUCCESS)
            throwFailedData(Name);
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            throwInvalidType(Name);
        size = got;
        break;
    }
    const auto end = std::find(text.cbegin(), text.cbegin() + size / sizeof(wchar_t), L'\0');
    return String::fromWCharArray(text.data(), end - text.cbegin());
}

void TRegistry::CloseKey()
{
    if (!m_d->key)
        return;
    RegCloseKey(m_d->key);
    m_d->key = nullptr;
}

String hostFolderForDialog(const String &initialDir)
{
    return initialDir;
}

#else

// ---- Elsewhere: the registry of a Wine or Proton prefix ----------------------

struct TRegistry::Private {
    std::optional<QStringList> prefixes;                            // where to look, first one first; found on first use
    std::map<String, std::unique_ptr<wine::RegistryFile>> files;    // every registry file read so far, by path
    const wine::RegistryFile *file = nullptr;                       // the file holding the current key, null when none is open
    qsizetype section = wine::RegistryFile::noValues;               // where the current key's values start in it

    struct Found {
        String prefix;
        const wine::RegistryFile *file;
        qsizetype section;
    };
    // The key in the first prefix whose registry holds it.
    std::optional<Found> find(TRootKey root, const String &key);
};

std::optional<TRegistry::Private::Found> TRegistry::Private::find(TRootKey root, const String &key)
{
    if (!prefixes)
        prefixes = wine::prefixSearchOrder();
    const QString fileName = root == localMachine ? QStringLiteral("/system.reg") : QStringLiteral("/user.reg");
    for (const QString &prefix : *prefixes) {
        auto &registry = files[prefix + fileName];
        if (!registry)
            registry = std::make_unique<wine::RegistryFile>(prefix + fileName);
        if (!registry->readable())
            continue;
        // This program is 32-bit as far as the registry goes: it looks in the
        // 32-bit view, like the game that wrote the key.
        const String viewKey = root == localMachine && registry->win64() ? wine::wow64Key(key) : key;
        if (const auto section = registry->findKey(viewKey))
            return Found{prefix, registry.get(), *section};
    }
    return std::nullopt;
}

TRegistry::TRegistry() : m_d(std::make_unique<Private>()) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

bool TRegistry::KeyExists(const String &Key)
{
    return m_d->find(RootKey, Key).has_value();
}

bool TRegistry::OpenKey(const String &Key, bool /*CanCreate*/)
{
    const auto found = m_d->find(RootKey, Key);
    if (!found)
        return false;
    m_d->file = found->file;
    m_d->section = found->section;
    wine::setRegistryPrefix(found->prefix);
    return true;
}

String TRegistry::ReadString(const String &Name)
{
    if (!m_d->file)
        return {};
    const wine::RegistryFile::Value value = m_d->file->readValue(m_d->section, Name);
    switch (value.kind) {
    case wine::RegistryFile::Value::Missing:
        return {};
    case wine::RegistryFile::Value::Text:
        return value.text;
    case wine::RegistryFile::Value::NotText:
        throwInvalidType(Name);
    case wine::RegistryFile::Value::Unreadable:
        break;
    }
    throwFailedData(Name);
}

void TRegistry::CloseKey()
{
    m_d->file = nullptr;
    m_d->section = wine::RegistryFile::noValues;
}

String hostFolderForDialog(const String &initialDir)
{
    if (wine::isWindowsPath(initialDir)) {
        const String prefix = wine::registryPrefix();
        return prefix.isEmpty() ? String() : wine::folderInPrefix(prefix, initialDir);
    }
    return QFileInfo(initialDir).isDir() ? initialDir : String();
}

#endif

} // namespace vcl
