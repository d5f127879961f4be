#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vantrelle::http {

// The thread that runs the asynchronous requests of one THttpRequest, one after the other,
// and sleeps between them. A request wakes it instead of creating a thread of its own: the
// scheduler runs a thread that wakes up at once, while a new one queues behind whatever
// already runs, which on a busy machine costs milliseconds per request.
//
// The thread holds the worker, so a worker that its owner let go of (see finish) ends on its
// own once its jobs are done.
class RequestWorker {
public:
    static std::shared_ptr<RequestWorker> start();
    RequestWorker(const RequestWorker&) = delete;
    RequestWorker& operator=(const RequestWorker&) = delete;

    // Runs `job` on the thread after the jobs posted before it. `job` must not throw.
    void post(std::function<void()> job);
    std::thread::id threadId() const { return m_threadId; }

    // No job is posted from now on: the thread ends once the posted jobs have run. With
    // `wait`, the caller waits for that; only a caller that no job waits for may ask (and
    // never the thread itself, which is then left to end on its own).
    void finish(bool wait);

private:
    RequestWorker() = default;
    void loop();

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_jobs;
    bool m_finishing = false;
    std::thread m_thread;
    std::thread::id m_threadId;
};

} // namespace vantrelle::http
