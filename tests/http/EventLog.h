#pragma once

#include "vantrelle/http/HttpRequest.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrelle::http::test {

// Records every event a request raises, with the thread it ran on.
class EventLog {
public:
    void attach(THttpRequest& request)
    {
        const std::pair<TNotifyEvent THttpRequestEvents::*, const char*> events[] = {
            { &THttpRequestEvents::OnClosingConnection, "ClosingConnection" },
            { &THttpRequestEvents::OnConnectedToServer, "ConnectedToServer" },
            { &THttpRequestEvents::OnConnectingToServer, "ConnectingToServer" },
            { &THttpRequestEvents::OnConnectionClosed, "ConnectionClosed" },
            { &THttpRequestEvents::OnIntermediateResponse, "IntermediateResponse" },
            { &THttpRequestEvents::OnNameResolved, "NameResolved" },
            { &THttpRequestEvents::OnReceivingResponse, "ReceivingResponse" },
            { &THttpRequestEvents::OnResponseReceived, "ResponseReceived" },
            { &THttpRequestEvents::OnRedirect, "Redirect" },
            { &THttpRequestEvents::OnRequestComplete, "RequestComplete" },
            { &THttpRequestEvents::OnRequestSent, "RequestSent" },
            { &THttpRequestEvents::OnResolvingName, "ResolvingName" },
            { &THttpRequestEvents::OnSendingRequest, "SendingRequest" },
            { &THttpRequestEvents::OnStateChange, "StateChange" },
            { &THttpRequestEvents::OnDataAvailable, "DataAvailable" },
            { &THttpRequestEvents::OnNeedAuth, "NeedAuth" },
            { &THttpRequestEvents::OnNeedProxyAuth, "NeedProxyAuth" },
            { &THttpRequestEvents::OnError, "Error" },
        };
        for (const auto& [event, name] : events) {
            TNotifyEvent& slot = request.*event;
            slot = [this, name = std::string(name), previous = slot](THttpRequest& sender) {
                record(name);
                if (previous)
                    previous(sender);
            };
        }
    }

    int count(const std::string& name) const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_names.begin(), m_names.end(), name));
    }

    std::vector<std::string> names() const
    {
        std::lock_guard lock(m_mutex);
        return m_names;
    }

    std::vector<std::thread::id> threads() const
    {
        std::lock_guard lock(m_mutex);
        return m_threads;
    }

    // The recorded names without repeats of the same name in a row.
    std::vector<std::string> steps() const
    {
        std::vector<std::string> result = names();
        result.erase(std::unique(result.begin(), result.end()), result.end());
        return result;
    }

private:
    void record(const std::string& name)
    {
        std::lock_guard lock(m_mutex);
        m_names.push_back(name);
        m_threads.push_back(std::this_thread::get_id());
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_names;
    std::vector<std::thread::id> m_threads;
};

} // namespace vantrelle::http::test
