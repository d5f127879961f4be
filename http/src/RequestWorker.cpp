#include "RequestWorker.h"

namespace vantrelle::http {

std::shared_ptr<RequestWorker> RequestWorker::start()
{
    std::shared_ptr<RequestWorker> worker(new RequestWorker);
    worker->m_thread = std::thread([self = worker] { self->loop(); });
    worker->m_threadId = worker->m_thread.get_id();
    return worker;
}

void RequestWorker::post(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_posted.notify_one();
}

void RequestWorker::finish(bool wait)
{
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_posted.notify_one();
    if (wait && std::this_thread::get_id() != m_threadId)
        m_thread.join();
    else
        m_thread.detach();
}

void RequestWorker::loop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_posted.wait(lock, [this] { return m_finishing || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
        job = nullptr; // what the job holds goes before the next one starts
        lock.lock();
    }
}

} // namespace vantrelle::http
