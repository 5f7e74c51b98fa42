// Turns a saved game on disk into its plain image: the file itself when it is
// stored plain, else what the implode decoder makes of it.
//
// The game writes a save either plain, beginning with "CIV3", or as one
// implode stream, whose first byte (the literal mode) is 0. So the first byte
// decides: "C" is plain, anything else goes to the decoder.
//
// The decoder writes to a file, and the image is then read back from it. That
// file is private to the load, under a unique name in the system's temporary
// folder, and removed before openSaveImage returns, whatever happened: saves
// are opened from folders the user owns, and nothing in them, nor in the
// current folder, may be written or replaced by a load.
#include "savefile.h"

#include "explode.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <random>
#include <windows.h>
#else
#include <stdlib.h>  // mkdtemp
#endif

namespace {

namespace fs = std::filesystem;

constexpr size_t ImageCap = size_t(SaveImageCap);

std::string errnoText(int error)
{
    return std::strerror(error);
}

// Appends the rest of file to bytes, up to its end. The buffer is sized from
// sizeHint, the length the file had when it was looked at, and grows if the
// file has grown since. False with a reason when reading fails or the bytes
// would pass SaveImageCap.
bool readToEnd(std::FILE *file, uintmax_t sizeHint, std::vector<uint8_t> &bytes,
               std::string &error)
{
    size_t have = bytes.size();
    // One more byte than expected, so that a file read whole ends in a short read.
    bytes.resize(size_t(std::min<uintmax_t>(sizeHint, ImageCap)) + 1);
    for (;;) {
        const size_t room = bytes.size() - have;
        const size_t got = std::fread(bytes.data() + have, 1, room, file);
        have += got;
        if (have > ImageCap) {
            error = "too large";
            return false;
        }
        if (got < room) {
            if (std::ferror(file)) {
                error = errnoText(errno);
                return false;
            }
            bytes.resize(have);
            return true;
        }
        bytes.resize(std::min(bytes.size() * 2, ImageCap + 1));
    }
}

// The decoder's output file, private to one load, and removed when the object
// goes, on every road out.
//
// On POSIX systems the file lies in a folder of its own, made by mkdtemp: a
// unique name, created exclusively and open to the user alone, so the decoder
// creates the file afresh where nobody else can put anything. Letting mkstemp
// create the file and the decoder then open it for writing would be as safe,
// but opening with truncation marks the file on ext4 (the usual file system of
// /tmp) to be written to disk when it is closed: every load would write the
// whole image out and then wait for the disk before the file could go, which
// costs more than the decoding. A file the decoder creates stays in memory
// and is dropped unwritten.
//
// On Windows the file itself is created with CREATE_NEW under a unique name
// in the temporary folder.
class PrivateTempFile {
public:
    PrivateTempFile() = default;
    PrivateTempFile(const PrivateTempFile &) = delete;
    PrivateTempFile &operator=(const PrivateTempFile &) = delete;
    ~PrivateTempFile()
    {
        if (!m_path.empty())
            std::remove(m_path.c_str());
        if (!m_folder.empty())
            std::remove(m_folder.c_str());
    }

    // False with a reason when no place for the file could be made.
    bool create(std::string &error);

    const std::string &path() const { return m_path; }

    // Everything the decoder wrote.
    bool readAll(std::vector<uint8_t> &bytes, std::string &error)
    {
        std::FILE *file = std::fopen(m_path.c_str(), "rb");
        if (!file) {
            error = errnoText(errno);
            return false;
        }
        std::error_code ec;
        const uintmax_t size = fs::file_size(m_path, ec);
        const bool read = readToEnd(file, ec ? 0 : size, bytes, error);
        std::fclose(file);
        return read;
    }

private:
    std::string m_folder;  // the private folder that holds the file, if any
    std::string m_path;    // the file; empty until it may be written
};

#ifdef _WIN32

bool PrivateTempFile::create(std::string &error)
{
    char folder[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH) {
        error = "no temporary folder";
        return false;
    }
    // CREATE_NEW fails when the name is taken, so a guessed or leftover name
    // is skipped rather than opened.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[MAX_PATH + 64];
        std::snprintf(name, sizeof name, "%svantorel-%lu-%08x.tmp", folder,
                      static_cast<unsigned long>(GetCurrentProcessId()), unsigned(random()));
        const HANDLE handle = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            m_path = name;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    error = "cannot create a temporary file in " + std::string(folder);
    return false;
}

#else

bool PrivateTempFile::create(std::string &error)
{
    const char *tmpdir = std::getenv("TMPDIR");
    const std::string parent = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string folder = parent + "/vantorel-XXXXXX";
    if (!mkdtemp(folder.data())) {
        error = "cannot create a temporary file in " + parent + ": " + errnoText(errno);
        return false;
    }
    m_folder = folder;
    m_path = folder + "/image";
    return true;
}

#endif

// Decodes the compressed save at path into image.
void decode(const std::string &path, SaveImage &image)
{
    image.form = SaveForm::Compressed;
    PrivateTempFile temp;
    if (!temp.create(image.error))
        return;
    const ExplodeStatus status = explodeFileStatus(path.c_str(), temp.path().c_str());
    // What the decoder wrote before it failed is kept: a damaged save may
    // still hold its history, and the chart takes what it can get.
    std::string readError;
    const bool read = temp.readAll(image.bytes, readError);
    image.complete = status == ExplodeStatus::Ok && read;
    if (status != ExplodeStatus::Ok)
        image.error = explodeStatusText(status);
    else if (!read)
        image.error = "cannot read the decoded image: " + readError;
}

SaveImage openImage(const std::string &path)
{
    SaveImage image;
    // Only a regular file is opened: a directory cannot be read, and opening
    // a pipe or a device could block or never end.
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec) {
        image.error = ec.message();
        return image;
    }
    if (fs::is_directory(status)) {
        image.error = "is a directory";
        return image;
    }
    if (!fs::is_regular_file(status)) {
        image.error = "not a regular file";
        return image;
    }
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        image.error = ec.message();
        return image;
    }
    if (size > ImageCap) {
        image.error = "too large";
        return image;
    }

    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        image.error = errnoText(errno);
        return image;
    }
    const int first = std::fgetc(file);
    if (first != 'C') {
        const bool failed = std::ferror(file);
        const int error = errno;
        std::fclose(file);
        if (failed)
            image.error = errnoText(error);
        else if (first == EOF)
            image.error = "empty file";
        else
            decode(path, image);
        return image;
    }

    image.bytes.push_back(uint8_t(first));
    const bool read = readToEnd(file, size, image.bytes, image.error);
    std::fclose(file);
    if (!read) {
        image.bytes.clear();
        return image;
    }
    image.form = SaveForm::Plain;
    image.complete = true;
    return image;
}

} // namespace

SaveImage openSaveImage(const std::string &path)
{
    try {
        return openImage(path);
    } catch (const std::bad_alloc &) {
        SaveImage image;
        image.error = "not enough memory";
        return image;
    }
}
