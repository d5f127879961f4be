#pragma once

// A plain GET into a file, for downloads of large files: the rest of a file that was cut (a range,
// guarded by the version it continues), or a file asked for only when it has changed, with progress.
// Threads: a GET runs wholly on the thread that calls it, its progress included (the dataset download's).

#include "vantrelle/Error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace vantrelle::http {

// What identifies one version of a file to its server (RFC 9110, 8.8): its entity tag and its
// modification date, each as the server sent it, either possibly empty.
struct Validators {
    std::string etag;
    std::string lastModified;

    bool empty() const { return etag.empty() && lastModified.empty(); }
    // For If-Range, which takes a strong entity tag or a date (RFC 9110, 13.1.5); empty when neither.
    std::string rangeCondition() const;
};

// A GET into a file that failed: the message says why, without naming the address.
class EFileGetError : public Error {
public:
    using Error::Error;
};

struct FileGetProgress {
    std::uint64_t bytesRead = 0; // of the whole file, the part that was there included
    std::uint64_t bytesTotal = 0; // of the whole file; 0 while it is not known
};

struct FileGet {
    // Above 0: only the bytes from here on are asked for (Range), and only while the file is still the
    // version `ifRange` names (If-Range: a strong entity tag or a date); a newer version comes whole.
    std::uint64_t resumeFrom = 0;
    std::string ifRange;
    // The file is asked for only when it has changed since this version (If-None-Match,
    // If-Modified-Since); the server's 304 then leaves it as it is.
    std::optional<Validators> ifChangedSince;
    // Called now and then, also while no data comes. An exception from it ends the transfer and comes
    // out of getIntoFile as it is.
    std::function<void(const FileGetProgress&)> progress;
    // Called when a whole file (200) begins, once the file has been emptied for it, with the
    // validators of that version. An exception from it ends the transfer and comes out as it is.
    std::function<void(const Validators&)> wholeFileBegins;
};

struct FileGetResult {
    long status = 0; // of the last response of the redirect chain
    Validators validators; // those that response sent
};

// GETs `url` (http or https, also for redirects; at most 5) into `file`. The body of a 200 replaces
// the file; that of a 206 is appended to it, and must begin where the file ends (resumeFrom). The
// body of any other status is no part of the file, which is then not touched; the status tells the
// caller. A written file is flushed to disk and closed before this returns. A server that sends
// nothing for a minute is given up. Throws EFileGetError when the transfer or the file fails.
FileGetResult getIntoFile(const std::string& url, const std::filesystem::path& file, const FileGet& request);

} // namespace vantrelle::http
