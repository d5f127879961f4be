#include "vantrelle/http/FileGet.h"

#include "CurlSetup.h"
#include "vantrelle/http/ContentRange.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace vantrelle::http {

namespace {

constexpr long kOk = 200;
constexpr long kPartialContent = 206;

// A file descriptor that closes itself; a failed close or write is reported by the writer.
class OutputFile {
public:
    explicit OutputFile(const std::filesystem::path& path)
        : m_path(path)
    {
    }
    ~OutputFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // A file to append to must be a regular file already; a new one is made anew, so that a link
    // planted under its name is replaced, never followed.
    void open(bool append)
    {
        if (!append && ::unlink(m_path.c_str()) != 0 && errno != ENOENT)
            fail("cannot replace");
        const int flags = append ? O_APPEND : O_CREAT | O_EXCL;
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | flags, 0644);
        if (m_fd < 0)
            fail(append ? "cannot open" : "cannot create");
    }
    // Closes and removes a file that must not stay: one a full disk cut, or one a body outgrew.
    void discard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        ::unlink(m_path.c_str());
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
        throw EFileGetError(what + " " + m_path.string() + ": " + std::strerror(errno));
    }

    std::filesystem::path m_path;
    int m_fd = -1;
};

// The state of one GET and its callbacks. libcurl's callbacks must not throw: a failure inside one is
// kept and the transfer aborted, and run() throws it once libcurl has returned.
class FileTransfer {
public:
    FileTransfer(const std::filesystem::path& file, const FileGet& request)
        : m_request(request)
        , m_offset(request.resumeFrom)
        , m_out(file)
    {
    }

    FileGetResult run(const std::string& url);

private:
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static int onProgress(void* self, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t);

    CURLcode setUp(const std::string& url, const HeaderList& headers, char* errorText);
    void header(std::string_view line);
    bool startBody();
    void take(const char* data, std::size_t size);

    const FileGet& m_request;
    CURL* m_easy = nullptr;
    std::uint64_t m_offset; // of the file, where the body that is asked for begins
    Validators m_received;
    std::string m_contentRange;
    std::uint64_t m_written = 0; // of this body
    std::optional<std::uint64_t> m_announced; // the length of this body, when its server gave it
    bool m_wrongPart = false;
    OutputFile m_out;
    std::exception_ptr m_failure;
};

void FileTransfer::header(std::string_view line)
{
    // Each response of a redirect chain begins with its status line; only the last one counts.
    if (line.starts_with("HTTP/")) {
        m_received = {};
        m_contentRange.clear();
    } else if (isHeader(line, "etag")) {
        m_received.etag = headerValue(line);
    } else if (isHeader(line, "last-modified")) {
        m_received.lastModified = headerValue(line);
    } else if (isHeader(line, "content-range")) {
        m_contentRange = headerValue(line);
    }
}

// The body of a 200 starts the file anew; that of a 206 continues it, if it is the rest of the version
// asked for: false when it is not, with nothing written.
bool FileTransfer::startBody()
{
    if (responseStatus(m_easy) == kPartialContent) {
        const auto range = parseContentRange(m_contentRange);
        if (!range || range->first != m_offset || range->last + 1 != range->complete
            || !m_received.match(m_request.ifRange)) {
            m_wrongPart = true;
            return false;
        }
        m_announced = range->last - range->first + 1;
        m_out.open(true);
        return true;
    }
    m_offset = 0;
    curl_off_t length = -1;
    if (curl_easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length >= 0)
        m_announced = static_cast<std::uint64_t>(length);
    m_out.open(false);
    if (m_request.wholeFileBegins)
        m_request.wholeFileBegins(m_received);
    return true;
}

// Writes a piece of the body; a body longer than allowed, or a file the disk refuses, is removed.
void FileTransfer::take(const char* data, std::size_t size)
{
    m_written += size;
    const std::uint64_t allowed = m_announced.value_or(m_request.maxUnannouncedBytes);
    try {
        if (m_written > allowed)
            throw EFileGetError(m_announced
                    ? "the server sent more than the " + std::to_string(allowed) + " bytes it announced"
                    : "the server sent more than " + std::to_string(allowed) + " bytes without announcing a length");
        m_out.write(data, size);
    } catch (...) {
        m_out.discard();
        throw;
    }
}

std::size_t FileTransfer::onHeader(char* data, std::size_t size, std::size_t count, void* self)
{
    static_cast<FileTransfer*>(self)->header(std::string_view(data, size * count));
    return size * count;
}

std::size_t FileTransfer::onBody(char* data, std::size_t size, std::size_t count, void* self)
{
    auto& transfer = *static_cast<FileTransfer*>(self);
    const long status = responseStatus(transfer.m_easy);
    if (status != kOk && status != kPartialContent)
        return size * count; // an error page is not the file
    try {
        if (!transfer.m_out.isOpen() && !transfer.startBody())
            return CURL_WRITEFUNC_ERROR;
        transfer.take(data, size * count);
        return size * count;
    } catch (...) {
        transfer.m_failure = std::current_exception();
        return CURL_WRITEFUNC_ERROR;
    }
}

int FileTransfer::onProgress(void* self, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t)
{
    auto& transfer = *static_cast<FileTransfer*>(self);
    if (!transfer.m_request.progress)
        return 0;
    try {
        FileGetProgress progress;
        progress.bytesRead = transfer.m_offset + static_cast<std::uint64_t>(now);
        progress.bytesTotal = total > 0 ? transfer.m_offset + static_cast<std::uint64_t>(total) : 0;
        transfer.m_request.progress(progress);
        return 0;
    } catch (...) {
        transfer.m_failure = std::current_exception();
        return 1;
    }
}

CURLcode FileTransfer::setUp(const std::string& url, const HeaderList& headers, char* errorText)
{
    CurlOptions options(m_easy);
    options.set(CURLOPT_URL, url.c_str());
    options.set(CURLOPT_PROTOCOLS_STR, "http,https");
    options.set(CURLOPT_REDIR_PROTOCOLS_STR, redirectProtocols(url));
    options.set(CURLOPT_FOLLOWLOCATION, 1L);
    options.set(CURLOPT_MAXREDIRS, 5L);
    options.set(CURLOPT_USERAGENT, "Vantrelle");
    options.set(CURLOPT_HTTPHEADER, headers.get());
    options.set(CURLOPT_ERRORBUFFER, errorText);
    options.set(CURLOPT_CONNECTTIMEOUT, 30L);
    // A server that sends nothing for a minute is given up, so that a download never hangs for good.
    options.set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    options.set(CURLOPT_LOW_SPEED_TIME, 60L);
    options.set(CURLOPT_BUFFERSIZE, 256L * 1024);
    options.set(CURLOPT_HEADERFUNCTION, &FileTransfer::onHeader);
    options.set(CURLOPT_HEADERDATA, this);
    options.set(CURLOPT_WRITEFUNCTION, &FileTransfer::onBody);
    options.set(CURLOPT_WRITEDATA, this);
    options.set(CURLOPT_XFERINFOFUNCTION, &FileTransfer::onProgress);
    options.set(CURLOPT_XFERINFODATA, this);
    options.set(CURLOPT_NOPROGRESS, 0L);
    return options.result();
}

FileGetResult FileTransfer::run(const std::string& url)
{
    if (!ensureCurlGlobalInit())
        throw EFileGetError("Cannot start libcurl");
    std::vector<std::string> lines;
    if (m_request.resumeFrom > 0) {
        lines.push_back("Range: bytes=" + std::to_string(m_request.resumeFrom) + "-");
        // A file that changed since the part was begun comes whole, with 200.
        lines.push_back("If-Range: " + m_request.ifRange);
    } else if (m_request.ifChangedSince) {
        if (!m_request.ifChangedSince->etag.empty())
            lines.push_back("If-None-Match: " + m_request.ifChangedSince->etag);
        if (!m_request.ifChangedSince->lastModified.empty())
            lines.push_back("If-Modified-Since: " + m_request.ifChangedSince->lastModified);
    }
    HeaderList headers;
    for (const std::string& line : lines) {
        if (appendHeader(headers, line) != CURLE_OK)
            throw std::bad_alloc();
    }

    const EasyHandle easy(curl_easy_init());
    if (!easy)
        throw EFileGetError("Cannot start libcurl");
    m_easy = easy.get();
    char errorText[CURL_ERROR_SIZE] = {};
    CURLcode code = setUp(url, headers, errorText);
    if (code == CURLE_OK)
        code = curl_easy_perform(m_easy);

    if (m_failure)
        std::rethrow_exception(m_failure);
    const long status = responseStatus(m_easy);
    if (m_wrongPart || (code == CURLE_OK && status == kPartialContent && !m_out.isOpen() && !startBody()))
        return { status, m_received, true };
    if (code != CURLE_OK)
        throw EFileGetError(*errorText != '\0' ? errorText : curl_easy_strerror(code));
    if (status == kOk || status == kPartialContent) {
        if (!m_out.isOpen())
            startBody(); // an empty file
        // A body that ended early (its connection closed) is a part to resume, never a whole file.
        if (m_announced && m_written != *m_announced)
            throw EFileGetError("the transfer ended after " + std::to_string(m_written) + " of "
                + std::to_string(*m_announced) + " bytes");
        m_out.finish();
    }
    return { status, m_received };
}

} // namespace

const char* redirectProtocols(std::string_view url)
{
    return url.starts_with("https://") ? "https" : "http,https";
}

FileGetResult getIntoFile(const std::string& url, const std::filesystem::path& file, const FileGet& request)
{
    return FileTransfer(file, request).run(url);
}

} // namespace vantrelle::http
