#include "CoverWork.h"

#include "FilmRecord.h"
#include "vantrelle/store/CoverValue.h"

#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

namespace vantrelle::collections {

namespace {

// The poster source gives JPEG files; a picture is recognised by its first bytes in any case.
constexpr const char* kPosterExtension = ".jpg";

std::vector<std::uint8_t> pictureBytes(const CoverPicture& picture)
{
    if (!picture.bytes.empty() || picture.file.empty())
        return picture.bytes;
    std::ifstream in(picture.file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

// Whether a cover was made, or none was to be had; false when one could not be made.
bool makeCover(CoverJob& job, const ExtrasSource& extras)
{
    Extras found;
    if (job.number && extras)
        found = extras(*job.number);
    if (!found.tagline.empty())
        setLookupTagline(*job.row, found.tagline);
    std::vector<std::pair<std::vector<std::uint8_t>, std::string>> pictures;
    pictures.emplace_back(std::move(found.poster), kPosterExtension);
    if (job.own)
        pictures.emplace_back(pictureBytes(*job.own), job.own->extension);
    bool failed = false;
    for (auto& [bytes, extension] : pictures) {
        if (bytes.empty())
            continue;
        try {
            setCover(*job.row, store::coverValue(std::move(bytes), extension));
            return true;
        } catch (const std::exception&) {
            failed = true;
        }
    }
    return !failed;
}

// A cover never fails the batch: whatever goes wrong leaves the placeholder.
bool tryCover(CoverJob& job, const ExtrasSource& extras)
{
    try {
        return makeCover(job, extras);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::size_t makeCovers(std::vector<CoverJob>& jobs, const ExtrasSource& extras, const std::atomic<bool>* cancel,
    const std::function<void(std::size_t done)>& done)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0, finished = 0, failed = 0, running = 0;
    const auto cancelled = [cancel] { return cancel && cancel->load(); };
    const auto work = [&] {
        std::unique_lock lock(mutex);
        while (next < jobs.size() && !cancelled()) {
            CoverJob& job = jobs[next++];
            lock.unlock();
            const bool made = tryCover(job, extras);
            lock.lock();
            failed += made ? 0 : 1;
            ++finished;
            changed.notify_all();
        }
        --running;
        changed.notify_all();
    };
    const std::size_t workers = std::min(kCoversAtOnce, jobs.size());
    running = workers;
    std::vector<std::jthread> threads;
    for (std::size_t k = 0; k < workers; ++k)
        threads.emplace_back(work);
    std::unique_lock lock(mutex);
    std::size_t told = 0;
    while (running > 0 || told < finished) {
        changed.wait(lock, [&] { return told < finished || running == 0; });
        if (told < finished && done) {
            told = finished;
            lock.unlock();
            done(told);
            lock.lock();
        } else {
            told = finished;
        }
    }
    return failed;
}

} // namespace vantrelle::collections
