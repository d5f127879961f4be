#include "vantrelle/http/EventDelivery.h"

#include <exception>

namespace vantrelle::http {

void EventDelivery::run(const std::function<void()>& call)
{
    std::exception_ptr failure;
    runAndWait([&call, &failure] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

ThreadEventDelivery::ThreadEventDelivery()
    : m_thread([this] { loop(); })
{
}

ThreadEventDelivery::~ThreadEventDelivery()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    m_thread.join();
}

bool ThreadEventDelivery::isUiThread() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void ThreadEventDelivery::runAndWait(const std::function<void()>& call)
{
    if (isUiThread()) {
        call();
        return;
    }
    Pending pending { &call };
    std::unique_lock lock(m_mutex);
    if (m_stopping)
        return;
    m_queue.push_back(&pending);
    m_queued.notify_one();
    m_finished.wait(lock, [&pending] { return pending.done; });
}

void ThreadEventDelivery::loop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            break;
        Pending* pending = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        (*pending->call)();
        lock.lock();
        pending->done = true;
        m_finished.notify_all();
    }
    // Release whoever still waits: their calls are dropped.
    for (Pending* pending : m_queue)
        pending->done = true;
    m_queue.clear();
    m_finished.notify_all();
}

} // namespace vantrelle::http
