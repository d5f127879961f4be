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

PumpedEventDelivery::PumpedEventDelivery() = default;

PumpedEventDelivery::~PumpedEventDelivery()
{
    stop();
}

bool PumpedEventDelivery::isUiThread() const
{
    return std::this_thread::get_id() == m_uiThread;
}

void PumpedEventDelivery::pumpUntil(const std::function<bool()>& done)
{
    std::unique_lock lock(m_mutex);
    while (!m_stopped && !done()) {
        if (m_queue.empty()) {
            m_changed.wait(lock);
            continue;
        }
        Pending* pending = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        (*pending->call)();
        lock.lock();
        pending->done = true;
        m_changed.notify_all();
    }
}

void PumpedEventDelivery::runAndWait(const std::function<void()>& call)
{
    if (isUiThread()) {
        call();
        return;
    }
    Pending pending { &call };
    std::unique_lock lock(m_mutex);
    if (m_stopped)
        return;
    m_queue.push_back(&pending);
    m_changed.notify_all();
    m_changed.wait(lock, [&pending] { return pending.done; });
}

void PumpedEventDelivery::stop()
{
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    for (Pending* pending : m_queue)
        pending->done = true;
    m_queue.clear();
    m_changed.notify_all();
}

ThreadEventDelivery::ThreadEventDelivery()
    : m_thread([this] { pumpUntil([] { return false; }); })
{
    setUiThread(m_thread.get_id());
}

ThreadEventDelivery::~ThreadEventDelivery()
{
    stop();
    m_thread.join();
}

} // namespace vantrelle::http
