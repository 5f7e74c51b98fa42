// Reading a saved game from disk into its plain image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Far above any real save image (a few megabytes); a larger file is refused
// rather than read into memory.
inline constexpr long long SaveImageCap = 256LL * 1024 * 1024;

enum class SaveForm {
    Unreadable,  // nothing could be read: see SaveImage::error
    Plain,       // the file itself is the image (first byte "C")
    Compressed,  // the image came out of the implode decoder
};

struct SaveImage {
    SaveForm form = SaveForm::Unreadable;
    std::vector<uint8_t> bytes;  // the image; may be partial if !complete
    bool complete = false;       // the decoder reached its end code (always true for Plain)
    std::string error;           // why, when form is Unreadable or !complete

    // Only an image that begins with "C" is searched for the score history.
    bool looksLikeSave() const { return !bytes.empty() && bytes[0] == 'C'; }
};

// Opens path and returns its image. A compressed save is decoded into a
// private temporary file (in a folder of the user's alone, created
// exclusively under a unique name in the system's temporary folder) that is
// always removed, with its folder, before this returns; no other file is
// written. Never throws for bad input.
SaveImage openSaveImage(const std::string &path);
