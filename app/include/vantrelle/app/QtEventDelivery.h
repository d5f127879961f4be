#pragma once

#include "vantrelle/http/EventDelivery.h"

#include <memory>

class QObject;

namespace vantrelle::app {

// Runs THttpRequest's event handlers on the Qt user-interface thread, the thread of the
// application object: a direct call on that thread, a blocking queued call from any other
// (the worker of an asynchronous request), which waits until the event loop has run it.
// Create it on the user-interface thread once the application object exists, and hand it
// to every request the window owns.
class QtEventDelivery final : public http::EventDelivery {
public:
    QtEventDelivery();
    ~QtEventDelivery() override;
    QtEventDelivery(const QtEventDelivery&) = delete;
    QtEventDelivery& operator=(const QtEventDelivery&) = delete;

    bool isUiThread() const override;

protected:
    void runAndWait(const std::function<void()>& call) override;

private:
    std::unique_ptr<QObject> m_context; // lives on the user-interface thread; queued calls go to it
};

} // namespace vantrelle::app
