#include "vantrelle/pictures/CoverImport.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace vantrelle::pictures {

namespace {

namespace fs = std::filesystem;

// The message of a failed open, read or close, by errno. A missing file is told apart from a missing folder on
// its path, as the user can mend the two differently.
[[noreturn]] void raiseInOutError(int error, const std::string& fileName)
{
    switch (error) {
    case ENOENT: {
        std::error_code ignored;
        const fs::path folder = fs::path(fileName).parent_path();
        if (folder.empty() || fs::is_directory(folder, ignored))
            throw EInOutError("File not found", error);
        throw EInOutError("Invalid filename", error);
    }
    case ENOTDIR:
    case ENAMETOOLONG:
        throw EInOutError("Invalid filename", error);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        throw EInOutError("File access denied", error);
    default:
        throw EInOutError("I/O error " + std::to_string(error), error);
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now, giving errno on failure and 0 on success.
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

struct CoverHead {
    std::array<std::uint8_t, kCoverHeadSize> bytes {};
    std::size_t count = 0;
};

// Opening for writing as well makes a file that may not be changed fail before anything else happens.
CoverHead readHead(const std::string& fileName)
{
    FileDescriptor file(::open(fileName.c_str(), O_RDWR | O_CLOEXEC));
    if (file.get() < 0)
        raiseInOutError(errno, fileName);
    CoverHead head;
    while (head.count < head.bytes.size()) {
        const ssize_t got = ::read(file.get(), head.bytes.data() + head.count, head.bytes.size() - head.count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            raiseInOutError(errno, fileName);
        if (got == 0)
            break;
        head.count += static_cast<std::size_t>(got);
    }
    if (const int error = file.close())
        raiseInOutError(error, fileName);
    return head;
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

// Deletes the temporary copy when the import ends, normally or by a failure, unless it is the imported file.
class TempCopyRemover {
public:
    TempCopyRemover(std::string name, bool keep)
        : m_name(std::move(name))
        , m_keep(keep)
    {
    }
    ~TempCopyRemover()
    {
        std::error_code ignored;
        if (!m_keep)
            fs::remove(m_name, ignored);
    }
    TempCopyRemover(const TempCopyRemover&) = delete;
    TempCopyRemover& operator=(const TempCopyRemover&) = delete;

private:
    std::string m_name;
    bool m_keep;
};

} // namespace

std::string recognizeCoverExtension(std::span<const std::uint8_t> head, const std::string& coverExtension)
{
    // The head is searched as one text: zero bytes become 0x01 so that none of them ends it.
    std::string text(head.begin(), head.end());
    std::replace(text.begin(), text.end(), '\0', '\1');
    if (text.find("JFIF") != std::string::npos)
        return ".jpg";
    if (text.find("GIF") != std::string::npos)
        return ".gif";
    return coverExtension;
}

std::string coverTempName(const std::string& coverExtension)
{
    return "Tmp" + coverExtension;
}

void ImportCoverFile(TPicture& picture, std::string& coverExtension, const std::string& fileName)
{
    const CoverHead head = readHead(fileName);
    coverExtension = recognizeCoverExtension(std::span(head.bytes).first(head.count), coverExtension);

    const std::string tempName = coverTempName(coverExtension);
    // The file may itself be the temporary copy; copying it onto itself would empty it.
    const bool isTempCopy = sameFile(fileName, tempName);
    if (!isTempCopy) {
        // A failed copy is not reported: the load then reads whatever stands under the name, or fails.
        std::error_code ignored;
        fs::copy_file(fileName, tempName, fs::copy_options::overwrite_existing, ignored);
    }

    picture.loadFromFile(tempName);

    TGIFGraphic converter;
    converter.setReductionMode(TReductionMode::OptimalWithSystemColors);
    // Declared after the converter so that the copy is deleted before the converter is freed.
    const TempCopyRemover remover(tempName, isTempCopy);
    converter.Assign(picture.graphic());
    const TBitmap* bitmap = converter.Bitmap();
    picture.setGraphic(bitmap ? std::make_unique<TBitmap>(*bitmap) : nullptr);
}

void importDownloadedCover(TPicture& picture, std::string& coverExtension, std::span<const std::uint8_t> body)
{
    {
        std::ofstream file(kDownloadedCoverName, std::ios::binary | std::ios::trunc);
        if (!file)
            throw EFileError(std::string("Cannot create file ") + kDownloadedCoverName);
        file.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
        if (!file.flush())
            throw EFileError("Stream write error");
    }
    ImportCoverFile(picture, coverExtension, kDownloadedCoverName);
    std::error_code ignored;
    fs::remove(kDownloadedCoverName, ignored);
}

} // namespace vantrelle::pictures
