#include "FileDownload.h"

#include "Validators.h"
#include "vantrelle/http/FileGet.h"

#include <system_error>

namespace vantrelle::titledata {

namespace {

constexpr long kOk = 200;
constexpr long kPartialContent = 206;
constexpr long kNotModified = 304;
constexpr long kRangeNotSatisfiable = 416;

std::filesystem::path partFile(const std::filesystem::path& file)
{
    return std::filesystem::path(file) += ".part";
}

// How one attempt at a file ended. A part that the server cannot continue (it is already as long as the
// file, a download stopped between its last byte and the rename, or the file has become shorter), or
// whose continuation is not the rest of that version, asks for the whole file again.
enum class Attempt { Downloaded, Unchanged, PartUnusable };

// One attempt: a GET into FILE.part, resumed or conditional, and the rename of a whole part.
class FileTransfer {
public:
    FileTransfer(const std::string& name, const std::filesystem::path& file, const DownloadOptions& options)
        : m_name(name)
        , m_file(file)
        , m_part(partFile(file))
        , m_step("Downloading " + name)
        , m_options(options)
    {
    }

    Attempt run(const std::string& url);

private:
    [[noreturn]] void fail(const std::string& reason) const { throw EDownloadError(m_name + ": " + reason); }

    const std::string& m_name;
    const std::filesystem::path m_file;
    const std::filesystem::path m_part;
    const std::string m_step;
    const DownloadOptions& m_options;
};

Attempt FileTransfer::run(const std::string& url)
{
    http::FileGet request;
    request.maxUnannouncedBytes = m_options.maxUnannouncedBytes;
    Validators partValidators;
    std::error_code error;
    // Only a regular file is continued: anything else under the part's name (a link planted there)
    // is replaced by the whole file, never followed.
    const bool regularPart = std::filesystem::is_regular_file(std::filesystem::symlink_status(m_part, error));
    const std::uintmax_t partSize = regularPart ? std::filesystem::file_size(m_part, error) : 0;
    const auto resumable = readValidators(m_part);
    if (!error && partSize > 0 && resumable && !resumable->rangeCondition().empty()) {
        request.resumeFrom = partSize;
        request.ifRange = resumable->rangeCondition();
        partValidators = *resumable;
    } else if (const auto validators = readValidators(m_file); validators && std::filesystem::exists(m_file)) {
        request.ifChangedSince = *validators;
    }
    if (m_options.progress) {
        request.progress = [this](const http::FileGetProgress& got) {
            m_options.progress({ m_step, got.bytesRead, got.bytesTotal });
        };
    }
    request.wholeFileBegins = [this, &partValidators](const Validators& received) {
        partValidators = received;
        // A cut transfer resumes only from a part whose version the server can confirm.
        if (partValidators.rangeCondition().empty())
            removeValidators(m_part);
        else
            writeValidators(m_part, partValidators);
    };

    http::FileGetResult got = http::getIntoFile(url, m_part, request);
    if (got.status == kNotModified && request.ifChangedSince)
        return Attempt::Unchanged;
    if ((got.status == kRangeNotSatisfiable || got.wrongPart) && request.resumeFrom > 0)
        return Attempt::PartUnusable;
    if (got.wrongPart)
        fail("the server sent a part of the file that was not asked for");
    if (got.status != kOk && got.status != kPartialContent)
        fail("the server answered with status " + std::to_string(got.status));

    // The old file's validators go first: a crash before the new ones are written costs a download, never a
    // new file paired with the old version's validators.
    removeValidators(m_file);
    std::filesystem::rename(m_part, m_file, error);
    if (error)
        fail("cannot rename " + m_part.string() + ": " + error.message());
    if (got.validators.empty() && got.status == kPartialContent)
        got.validators = partValidators;
    if (!got.validators.empty())
        writeValidators(m_file, got.validators);
    removeValidators(m_part);
    return Attempt::Downloaded;
}

Attempt attempt(
    const std::string& name, const std::string& url, const std::filesystem::path& file, const DownloadOptions& options)
{
    try {
        return FileTransfer(name, file, options).run(url);
    } catch (const http::EFileGetError& failure) {
        // A part that could not stay (a full disk, a body too long) takes the version it was of along.
        const std::filesystem::path part = partFile(file);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(part, error)))
            removeValidators(part);
        throw EDownloadError(name + ": " + failure.what());
    }
}

} // namespace

DownloadOutcome downloadFile(
    const std::string& name, const std::string& url, const std::filesystem::path& file, const DownloadOptions& options)
{
    try {
        Attempt outcome = attempt(name, url, file, options);
        if (outcome == Attempt::PartUnusable) {
            // The whole file, then, from its start.
            const std::filesystem::path part = partFile(file);
            removeValidators(part);
            std::error_code error;
            std::filesystem::remove(part, error);
            if (error)
                throw EDownloadError("cannot remove " + part.string() + ": " + error.message());
            outcome = attempt(name, url, file, options);
        }
        return outcome == Attempt::Unchanged ? DownloadOutcome::Unchanged : DownloadOutcome::Downloaded;
    } catch (const EDownloadError& failure) {
        const std::string what = failure.what();
        // Failures of the files beside it name the paths; the user is told which dataset they concern.
        if (what.starts_with(name + ": "))
            throw;
        throw EDownloadError(name + ": " + what);
    }
}

} // namespace vantrelle::titledata
