#include "vantrelle/pictures/CoverImport.h"

#include "vantrelle/ScratchDir.h"
#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/CoverSize.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
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

// Reading needs read access only: a picture on a read-only medium, or one the user may not change, is imported.
CoverHead readHead(const std::string& fileName)
{
    FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
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

} // namespace

std::string recognizeCoverExtension(std::span<const std::uint8_t> head, const std::string& coverExtension)
{
    const auto startsWith = [head](std::initializer_list<std::uint8_t> signature, std::size_t at = 0) {
        return head.size() >= at + signature.size()
            && std::equal(signature.begin(), signature.end(), head.begin() + at);
    };
    // Every JPEG begins with its start-of-image marker and another marker (ITU T.81, B.1.1.3): the JFIF text below
    // misses the Exif files that cameras write.
    if (startsWith({ 0xFF, 0xD8, 0xFF }))
        return ".jpg";
    // The other kinds that a loader is registered for, by the signatures of their published formats, before the
    // search below, which a palette or header that happens to hold "GIF" would mislead.
    if (startsWith({ 'B', 'M' }))
        return ".bmp";
    if (startsWith({ 0x00, 0x00, 0x01, 0x00 }))
        return ".ico";
    if (startsWith({ 0xD7, 0xCD, 0xC6, 0x9A }))
        return ".wmf";
    if (startsWith({ 0x01, 0x00, 0x00, 0x00 }) && startsWith({ ' ', 'E', 'M', 'F' }, 40))
        return ".emf";
    const auto kindWithoutLoader = [&]() -> const char* {
        if (startsWith({ 0x89, 'P', 'N', 'G' }))
            return "PNG";
        if (startsWith({ 'I', 'I', '*', 0x00 }) || startsWith({ 'M', 'M', 0x00, '*' }))
            return "TIFF";
        if (startsWith({ 'R', 'I', 'F', 'F' }) && startsWith({ 'W', 'E', 'B', 'P' }, 8))
            return "WebP";
        return nullptr;
    };
    if (const char* kind = kindWithoutLoader())
        throw EInvalidGraphic(std::string("This is a ") + kind
            + " picture, which cannot be used as a cover: choose a JPEG, GIF, BMP, ICO, EMF or WMF file");
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

    // The copy that gives the file the extension its loader is chosen by lives in a private folder of its own,
    // removed with it on every path: no file of the user's, wherever the program was started, is ever touched.
    const ScratchDir folder("cover");
    const std::string tempName = (folder.path() / coverTempName(coverExtension)).string();
    std::error_code copyError;
    if (!fs::copy_file(fileName, tempName, copyError))
        throw EFileError("Cannot create file " + tempName);

    picture.loadFromFile(tempName);
    if (const TGraphic* loaded = picture.graphic())
        if (std::optional<TBitmap> shrunk = shrunkCover(*loaded))
            picture.setGraphic(std::make_unique<TBitmap>(std::move(*shrunk)));

    TGIFGraphic converter;
    converter.setReductionMode(TReductionMode::OptimalWithSystemColors);
    converter.Assign(picture.graphic());
    const TBitmap* bitmap = converter.Bitmap();
    picture.setGraphic(bitmap ? std::make_unique<TBitmap>(*bitmap) : nullptr);
}

void importDownloadedCover(TPicture& picture, std::string& coverExtension, std::span<const std::uint8_t> body)
{
    const ScratchDir folder("poster");
    const std::string fileName = (folder.path() / kDownloadedCoverName).string();
    {
        std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
        if (!file)
            throw EFileError(std::string("Cannot create file ") + kDownloadedCoverName);
        file.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
        if (!file.flush())
            throw EFileError("Stream write error");
    }
    ImportCoverFile(picture, coverExtension, fileName);
}

} // namespace vantrelle::pictures
