#include "RequestEvents.h"

namespace vantrelle::http {

RequestEvents::RequestEvents(THttpRequest& owner, std::shared_ptr<EventDelivery> delivery, HttpRequestEvents handlers,
    std::function<void()> beforeHandler)
    : m_owner(&owner)
    , m_delivery(std::move(delivery))
    , m_handlers(std::move(handlers))
    , m_beforeHandler(std::move(beforeHandler))
{
}

void RequestEvents::raise(NotifyEvent HttpRequestEvents::*event)
{
    const NotifyEvent& handler = m_handlers.*event;
    if (!handler || m_stopped)
        return;
    if (!m_delivery) {
        m_beforeHandler();
        handler(*m_owner);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            return;
        m_inDelivery = true;
    }
    struct LeaveDelivery {
        RequestEvents& events;
        ~LeaveDelivery()
        {
            std::lock_guard lock(events.m_mutex);
            events.m_inDelivery = false;
        }
    } leave { *this };
    // The call may run after the request was stopped (its owner may be gone by then): it
    // checks again on the user-interface thread, where the owner is destroyed.
    m_delivery->run([this, &handler] {
        if (!m_stopped) {
            m_beforeHandler();
            handler(*m_owner);
        }
    });
}

bool RequestEvents::stop()
{
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    return m_inDelivery && m_delivery && m_delivery->isUiThread();
}

} // namespace vantrelle::http
