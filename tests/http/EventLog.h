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
        const std::pair<NotifyEvent HttpRequestEvents::*, const char*> events[] = {
            { &HttpRequestEvents::OnClosingConnection, "ClosingConnection" },
            { &HttpRequestEvents::OnConnectedToServer, "ConnectedToServer" },
            { &HttpRequestEvents::OnConnectingToServer, "ConnectingToServer" },
            { &HttpRequestEvents::OnConnectionClosed, "ConnectionClosed" },
            { &HttpRequestEvents::OnIntermediateResponse, "IntermediateResponse" },
            { &HttpRequestEvents::OnNameResolved, "NameResolved" },
            { &HttpRequestEvents::OnReceivingResponse, "ReceivingResponse" },
            { &HttpRequestEvents::OnResponseReceived, "ResponseReceived" },
            { &HttpRequestEvents::OnRedirect, "Redirect" },
            { &HttpRequestEvents::OnRequestComplete, "RequestComplete" },
            { &HttpRequestEvents::OnRequestSent, "RequestSent" },
            { &HttpRequestEvents::OnResolvingName, "ResolvingName" },
            { &HttpRequestEvents::OnSendingRequest, "SendingRequest" },
            { &HttpRequestEvents::OnStateChange, "StateChange" },
            { &HttpRequestEvents::OnDataAvailable, "DataAvailable" },
            { &HttpRequestEvents::OnNeedAuth, "NeedAuth" },
            { &HttpRequestEvents::OnNeedProxyAuth, "NeedProxyAuth" },
            { &HttpRequestEvents::OnError, "Error" },
        };
        for (const auto& [event, name] : events) {
            NotifyEvent& slot = request.*event;
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
