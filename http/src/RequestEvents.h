#pragma once

#include "vantrelle/http/EventDelivery.h"
#include "vantrelle/http/HttpRequest.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace vantrelle::http {

// Raises the events of one request: through the delivery when there is one (the raising
// thread waits until the handler has run on the user-interface thread, and a handler's
// exception comes back to it), else directly. Once stopped, no event reaches a handler.
class RequestEvents {
public:
    RequestEvents() = default;
    // `beforeHandler` runs just before each handler, on the handler's thread: there the
    // request shows its results to the handler.
    RequestEvents(THttpRequest& owner, std::shared_ptr<EventDelivery> delivery, HttpRequestEvents handlers,
        std::function<void()> beforeHandler);

    void raise(NotifyEvent HttpRequestEvents::*event);
    // No event is raised from now on. True when a raise() waits at this moment for the
    // calling thread, which is then the user-interface thread: waiting for that raise to end
    // would wait for ever.
    bool stop();
    bool stopped() const { return m_stopped; }

private:
    THttpRequest* m_owner = nullptr;
    std::shared_ptr<EventDelivery> m_delivery;
    HttpRequestEvents m_handlers;
    std::function<void()> m_beforeHandler;
    std::mutex m_mutex;
    std::atomic<bool> m_stopped { false };
    bool m_inDelivery = false; // guarded by m_mutex
};

} // namespace vantrelle::http
