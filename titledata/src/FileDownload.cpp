#include "FileDownload.h"

#include "Validators.h"
#include "vantrelle/http/CurlHandles.h"

#include <curl/curl.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace vantrelle::titledata {

namespace {

constexpr long kOk = 200;
constexpr long kPartialContent = 206;
constexpr long kNotModified = 304;
constexpr long kRangeNotSatisfiable = 416;

// A part that the server cannot continue: it is already as long as the file (a download stopped between
// its last byte and the rename), or the file has become shorter.
struct UnusablePart { };

// A file descriptor that closes itself; a failed close or write is reported by the writer.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void open(const std::filesystem::path& path, bool append)
    {
        m_path = path;
        m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0644);
        if (m_fd < 0)
            fail("cannot create");
    }
    void write(const char* data, std::size_t size)
    {
        while (size > 0) {
            const ssize_t written = ::write(m_fd, data, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                fail("cannot write");
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }
    // Flushes to disk and closes, so that a rename after it names a file that is whole.
    void finish()
    {
        const bool synced = ::fsync(m_fd) == 0;
        const int closed = ::close(m_fd);
        m_fd = -1;
        if (!synced || closed != 0)
            fail("cannot write");
    }

private:
    [[noreturn]] void fail(const std::string& what)
    {
        throw EDownloadError(what + " " + m_path.string() + ": " + std::strerror(errno));
    }

    std::filesystem::path m_path;
    int m_fd = -1;
};

// The state of one request and its callbacks. libcurl's callbacks must not throw: a failure inside one is
// kept and the transfer aborted, and run() throws it once libcurl has returned.
class FileTransfer {
public:
    FileTransfer(const std::string& name, const std::filesystem::path& file, const DownloadOptions& options)
        : m_name(name)
        , m_file(file)
        , m_part(std::filesystem::path(file) += ".part")
        , m_step("Downloading " + name)
        , m_options(options)
    {
    }

    DownloadOutcome run(const std::string& url);

private:
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static int onProgress(void* self, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t);

    void header(std::string_view line);
    void startBody();
    [[noreturn]] void fail(const std::string& reason) const { throw EDownloadError(m_name + ": " + reason); }

    const std::string& m_name;
    const std::filesystem::path m_file;
    const std::filesystem::path m_part;
    const std::string m_step;
    const DownloadOptions& m_options;
    CURL* m_easy = nullptr;
    std::uint64_t m_offset = 0; // of the part, where the body that is asked for begins
    Validators m_partValidators;
    Validators m_received;
    std::string m_contentRange;
    OutputFile m_out;
    std::exception_ptr m_failure;
};

std::string_view trimmedValue(std::string_view value)
{
    const std::size_t first = value.find_first_not_of(" \t");
    const std::size_t last = value.find_last_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view() : value.substr(first, last - first + 1);
}

bool startsWithName(std::string_view line, std::string_view name)
{
    if (line.size() <= name.size() || line[name.size()] != ':')
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != name[i])
            return false;
    return true;
}

void FileTransfer::header(std::string_view line)
{
    // Each response of a redirect chain begins with its status line; only the last one counts.
    if (line.starts_with("HTTP/")) {
        m_received = {};
        m_contentRange.clear();
    } else if (startsWithName(line, "etag")) {
        m_received.etag = trimmedValue(line.substr(5));
    } else if (startsWithName(line, "last-modified")) {
        m_received.lastModified = trimmedValue(line.substr(14));
    } else if (startsWithName(line, "content-range")) {
        m_contentRange = trimmedValue(line.substr(14));
    }
}

// The body of a 200 starts the part anew; that of a 206 continues it, if it starts where the part ends.
void FileTransfer::startBody()
{
    long status = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    if (status == kPartialContent) {
        if (!m_contentRange.starts_with("bytes " + std::to_string(m_offset) + "-"))
            fail("the server sent another part of the file than the one asked for (" + m_contentRange + ")");
        m_out.open(m_part, true);
        return;
    }
    m_offset = 0;
    m_partValidators = m_received;
    m_out.open(m_part, false);
    // A cut transfer resumes only from a part whose version the server can confirm.
    if (m_partValidators.rangeCondition().empty())
        removeValidators(m_part);
    else
        writeValidators(m_part, m_partValidators);
}

std::size_t FileTransfer::onHeader(char* data, std::size_t size, std::size_t count, void* self)
{
    static_cast<FileTransfer*>(self)->header(std::string_view(data, size * count));
    return size * count;
}

std::size_t FileTransfer::onBody(char* data, std::size_t size, std::size_t count, void* self)
{
    auto& transfer = *static_cast<FileTransfer*>(self);
    long status = 0;
    curl_easy_getinfo(transfer.m_easy, CURLINFO_RESPONSE_CODE, &status);
    if (status != kOk && status != kPartialContent)
        return size * count; // an error page is not the file
    try {
        if (!transfer.m_out.isOpen())
            transfer.startBody();
        transfer.m_out.write(data, size * count);
        return size * count;
    } catch (...) {
        transfer.m_failure = std::current_exception();
        return CURL_WRITEFUNC_ERROR;
    }
}

int FileTransfer::onProgress(void* self, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t)
{
    auto& transfer = *static_cast<FileTransfer*>(self);
    if (!transfer.m_options.progress)
        return 0;
    try {
        DownloadProgress progress;
        progress.step = transfer.m_step;
        progress.bytesRead = transfer.m_offset + static_cast<std::uint64_t>(now);
        progress.bytesTotal = total > 0 ? transfer.m_offset + static_cast<std::uint64_t>(total) : 0;
        transfer.m_options.progress(progress);
        return 0;
    } catch (...) {
        transfer.m_failure = std::current_exception();
        return 1;
    }
}

DownloadOutcome FileTransfer::run(const std::string& url)
{
    if (!http::ensureCurlGlobalInit())
        throw EDownloadError("Cannot start libcurl");
    http::HeaderList headers;
    const auto addHeader = [&headers](const std::string& header) {
        curl_slist* longer = curl_slist_append(headers.get(), header.c_str());
        if (longer == nullptr)
            throw std::bad_alloc();
        static_cast<void>(headers.release());
        headers.reset(longer);
    };

    std::error_code error;
    const std::uintmax_t partSize = std::filesystem::file_size(m_part, error);
    const auto partValidators = readValidators(m_part);
    bool conditional = false;
    if (!error && partSize > 0 && partValidators && !partValidators->rangeCondition().empty()) {
        m_offset = partSize;
        m_partValidators = *partValidators;
        addHeader("Range: bytes=" + std::to_string(partSize) + "-");
        // A file that changed since the part was begun comes whole, with 200.
        addHeader("If-Range: " + partValidators->rangeCondition());
    } else if (const auto validators = readValidators(m_file); validators && std::filesystem::exists(m_file)) {
        conditional = true;
        if (!validators->etag.empty())
            addHeader("If-None-Match: " + validators->etag);
        if (!validators->lastModified.empty())
            addHeader("If-Modified-Since: " + validators->lastModified);
    }

    const http::EasyHandle easy(curl_easy_init());
    if (!easy)
        throw EDownloadError("Cannot start libcurl");
    m_easy = easy.get();
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(m_easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(m_easy, CURLOPT_USERAGENT, "Vantrelle");
    curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT, 30L);
    // A server that sends nothing for a minute is given up, so that a download never hangs for good.
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, 256L * 1024);
    curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &FileTransfer::onHeader);
    curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &FileTransfer::onBody);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_XFERINFOFUNCTION, &FileTransfer::onProgress);
    curl_easy_setopt(m_easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(m_easy, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = curl_easy_perform(m_easy);

    if (m_failure)
        std::rethrow_exception(m_failure);
    if (code != CURLE_OK)
        fail(*errorText != '\0' ? errorText : curl_easy_strerror(code));
    long status = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    if (status == kNotModified && conditional)
        return DownloadOutcome::Unchanged;
    if (status == kRangeNotSatisfiable && m_offset > 0)
        throw UnusablePart {};
    if (status != kOk && status != kPartialContent)
        fail("the server answered with status " + std::to_string(status));
    if (!m_out.isOpen())
        startBody(); // an empty file
    m_out.finish();

    // The old file's validators go first: a crash before the new ones are written costs a download, never a
    // new file paired with the old version's validators.
    removeValidators(m_file);
    std::filesystem::rename(m_part, m_file, error);
    if (error)
        fail("cannot rename " + m_part.string() + ": " + error.message());
    if (m_received.empty() && status == kPartialContent)
        m_received = m_partValidators;
    if (!m_received.empty())
        writeValidators(m_file, m_received);
    removeValidators(m_part);
    return DownloadOutcome::Downloaded;
}

} // namespace

DownloadOutcome downloadFile(
    const std::string& name, const std::string& url, const std::filesystem::path& file, const DownloadOptions& options)
{
    try {
        try {
            return FileTransfer(name, file, options).run(url);
        } catch (const UnusablePart&) {
            // The whole file, then, from its start.
            const std::filesystem::path part = std::filesystem::path(file) += ".part";
            removeValidators(part);
            std::error_code error;
            std::filesystem::remove(part, error);
            if (error)
                throw EDownloadError("cannot remove " + part.string() + ": " + error.message());
            return FileTransfer(name, file, options).run(url);
        }
    } catch (const EDownloadError& failure) {
        const std::string what = failure.what();
        // Failures of the files beside it name the paths; the user is told which dataset they concern.
        if (what.starts_with(name + ": "))
            throw;
        throw EDownloadError(name + ": " + what);
    }
}

} // namespace vantrelle::titledata
