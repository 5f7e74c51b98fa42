// Decoder for the PKWARE Data Compression Library's "implode" format, the
// form in which Civilization III stores most saved games. See explode.cpp for
// the format notes.
//
// The decoder keeps its state in fixed module-level storage, so one run at a
// time: neither function may be called from two threads at once.
#pragma once

// Why a run stopped. Only Ok means the output file holds a whole image; after
// any other outcome it holds an unspecified part of one and should be removed.
enum class ExplodeStatus {
    Ok,
    CannotOpenInput,    // the compressed file could not be opened
    CannotOpenOutput,   // the output file could not be created
    ReadFailed,         // reading the compressed file failed (not its end: an I/O error)
    BadHeader,          // coded literals, or a dictionary larger than 4096 bytes
    Truncated,          // the input ended before the end code
    BadDistance,        // a copy reaches before the first byte or beyond the window
    TooLarge,           // the output would pass ExplodeOutputCap
    WriteFailed,        // the output could not be written in full (disk full)
};

// Far above any real save (the largest images are a few megabytes), low
// enough that a crafted stream cannot fill the disk. An image of exactly this
// many bytes is still accepted.
inline constexpr long long ExplodeOutputCap = 256LL * 1024 * 1024;

// Decompresses InputPath into OutputPath, which is created or emptied.
// Returns 1 when the end code was reached and every byte was written, else 0.
int ExplodeFile(const char *InputPath, const char *OutputPath);

// The same run, with the reason for a failure.
ExplodeStatus explodeFileStatus(const char *inputPath, const char *outputPath);

// A short English text for a status, for messages such as the CLI's: it
// completes "vantorel-cli: SAVE: ...".
const char *explodeStatusText(ExplodeStatus status);
