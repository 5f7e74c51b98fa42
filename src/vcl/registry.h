// The registry accessor the window code reads the game's install path with.
//
// On Windows it reads the real registry, in the 32-bit view the game writes
// to. Elsewhere it reads the registry of the Wine or Proton prefix the game is
// installed in (see wineprefix.h), so the same lookup finds the save folder
// there too. Either way it only reads.
//
// On Windows, include this header before <windows.h>: the root key names are
// macros there.
#pragma once

#include "vcl/sysutils.h"

#include <memory>

#if defined(HKEY_LOCAL_MACHINE) || defined(HKEY_CURRENT_USER)
#error "include vcl/registry.h before <windows.h>"
#endif

namespace vcl {

enum TRootKey { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

// Raised by ReadString for a value that is not text or cannot be read.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    TRegistry();  // root HKEY_CURRENT_USER, no key open
    ~TRegistry(); // closes the key still open
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    // The root that KeyExists and OpenKey start from.
    TRootKey RootKey = HKEY_CURRENT_USER;

    // True when the key can be opened for reading. Never throws.
    bool KeyExists(const String &Key);

    // Opens an existing key for reading and makes it the current key; true on
    // success. A failed open leaves the current key as it was. Keys are taken
    // from RootKey, with or without a leading backslash. Nothing here writes
    // to the registry, so no key is ever created: CanCreate only documents the
    // caller's intent.
    bool OpenKey(const String &Key, bool CanCreate);

    // The text of the current key's string value (plain or expandable, the
    // latter not expanded), up to its first NUL. Empty when the value does not
    // exist, holds no data, or no key is open. Throws ERegistryException
    // "Invalid data type for 'Name'" for a value of any other type and
    // "Failed to get data for 'Name'" when the data cannot be read.
    String ReadString(const String &Name);

    // Closes the current key; nothing happens when none is open.
    void CloseKey();

private:
    struct Private;
    std::unique_ptr<Private> m_d; // the open key, and outside Windows the prefix files read so far
};

// The host folder the file dialog should open for an InitialDir the window
// set. On Windows the text itself. Elsewhere a Windows path ("C:\..." or
// "\...") is mapped into the Wine prefix whose registry the last OpenKey read,
// matching each component without regard to case; any other text is taken
// as a host folder. Gives an empty String when the folder does not exist, and
// the dialog then keeps its own default.
String hostFolderForDialog(const String &initialDir);

} // namespace vcl
