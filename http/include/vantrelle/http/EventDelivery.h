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

// An EventDelivery whose user-interface thread runs the events only while it pumps: a raising
// thread queues its call and waits until pumpUntil() has run it. The user-interface thread is
// the one that made the delivery, so a program or a benchmark without an event loop of its own
// can start requests and take their events on one thread, as the window does.
class PumpedEventDelivery : public EventDelivery {
public:
    PumpedEventDelivery();
    // Calls still queued are not run, and their callers are released.
    ~PumpedEventDelivery() override;
    PumpedEventDelivery(const PumpedEventDelivery&) = delete;
    PumpedEventDelivery& operator=(const PumpedEventDelivery&) = delete;

    bool isUiThread() const override;

    // On the user-interface thread: runs the queued calls until `done` holds, or until the
    // delivery stops. `done` is looked at, under the queue's lock, before waiting and after each
    // call, so it must become true through a call that this pumping runs.
    void pumpUntil(const std::function<bool()>& done);

protected:
    void runAndWait(const std::function<void()>& call) override;
    // For a delivery whose pumping thread starts after it is made; before any call is raised.
    void setUiThread(std::thread::id thread) { m_uiThread = thread; }
    // Ends the pumping for good: calls still queued are dropped and their callers released, and
    // later calls return without running.
    void stop();

private:
    struct Pending {
        const std::function<void()>* call;
        bool done = false;
    };

    std::thread::id m_uiThread = std::this_thread::get_id();
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Pending*> m_queue;
    bool m_stopped = false;
};

// An EventDelivery whose user-interface thread is a thread of its own, for tests and tools.
class ThreadEventDelivery final : public PumpedEventDelivery {
public:
    ThreadEventDelivery();
    // Stops the thread. Calls still queued are not run, and their callers are released.
    ~ThreadEventDelivery() override;

    std::thread::id threadId() const { return m_thread.get_id(); }

private:
    std::thread m_thread;
};

} // namespace vantrelle::http
