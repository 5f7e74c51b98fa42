// Decoder for the PKWARE Data Compression Library's "implode" format, the
// form in which Civilization III stores most saved games. See explode.cpp for
// the format notes.
#pragma once

// Why a run stopped. Only Ok means the output file holds a whole image.
enum class ExplodeStatus {
    Ok,
    CannotOpenInput,    // the compressed file could not be opened
    CannotOpenOutput,   // the output file could not be created
    BadHeader,          // coded literals, or a dictionary larger than 4096 bytes
    Truncated,          // the input ended before the end code
    BadDistance,        // a copy reaches before the first byte or beyond the window
    TooLarge,           // the output would pass ExplodeOutputCap
    WriteFailed,        // the output could not be written in full (disk full)
};

// Far above any real save (the largest images are a few megabytes), low
// enough that a crafted stream cannot fill the disk.
inline constexpr long long ExplodeOutputCap = 256LL * 1024 * 1024;

// Decompresses InputPath into OutputPath, which is created or emptied.
// Returns 1 when the end code was reached and every byte was written, else 0.
int ExplodeFile(const char *InputPath, const char *OutputPath);

// The same run, with the reason for a failure.
ExplodeStatus explodeFileStatus(const char *inputPath, const char *outputPath);

// A short English text for a status, for messages such as the CLI's.
const char *explodeStatusText(ExplodeStatus status);
