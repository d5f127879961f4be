#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vantrelle::http {

// Runs THttpRequest's event handlers on the user-interface thread. A request raises every
// event through run(): the raising thread (the caller of Execute, or the worker thread of an
// asynchronous request) waits until the handler has run on the user-interface thread, and an
// exception the handler threw is thrown again in the raising thread. So handlers of all
// requests that share one delivery never run at the same time, and they may read a request's
// results freely while the thread that wrote them waits.
//
// The window program implements this with Qt; ThreadEventDelivery below is a plain
// implementation whose own thread plays the user-interface thread.
class EventDelivery {
public:
    virtual ~EventDelivery() = default;

    // Runs `call` on the user-interface thread and returns when it has run: directly when the
    // caller is on that thread, otherwise the caller waits. An exception thrown by `call` is
    // carried back (std::exception_ptr) and rethrown here, the same object. A delivery that
    // is being shut down may return without running `call`.
    void run(const std::function<void()>& call);

    // True when the calling thread is the user-interface thread.
    virtual bool isUiThread() const = 0;

protected:
    // Runs `call`, which never throws, on the user-interface thread and waits for it; a direct
    // call on that thread.
    virtual void runAndWait(const std::function<void()>& call) = 0;
};

// An EventDelivery whose user-interface thread is a thread of its own, for tests and tools.
class ThreadEventDelivery final : public EventDelivery {
public:
    ThreadEventDelivery();
    // Stops the thread. Calls still queued are not run, and their callers are released.
    ~ThreadEventDelivery() override;
    ThreadEventDelivery(const ThreadEventDelivery&) = delete;
    ThreadEventDelivery& operator=(const ThreadEventDelivery&) = delete;

    bool isUiThread() const override;
    std::thread::id threadId() const { return m_thread.get_id(); }

protected:
    void runAndWait(const std::function<void()>& call) override;

private:
    struct Pending {
        const std::function<void()>* call;
        bool done = false;
    };
    void loop();

    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_finished;
    std::deque<Pending*> m_queue;
    bool m_stopping = false;
    std::thread m_thread; // last: starts once the members above exist
};

} // namespace vantrelle::http
