#include "EventLog.h"
#include "LoopbackServer.h"

#include "vantrelle/http/HttpRequest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace vantrelle::http {
namespace {

using namespace std::chrono_literals;
using test::EventLog;
using test::server;

// The delivery plays the window: its thread is the user-interface thread, and the test
// thread asks it to do what the window would do (construct, execute, destroy).
class AsynchronousRequest : public testing::Test {
protected:
    std::shared_ptr<ThreadEventDelivery> m_ui = std::make_shared<ThreadEventDelivery>();

    void onUi(const std::function<void()>& call) { m_ui->run(call); }
};

TEST_F(AsynchronousRequest, ReturnsAtOnceAndDeliversEveryEventOnTheUiThread)
{
    std::unique_ptr<THttpRequest> request;
    EventLog log;
    std::promise<std::string> completed;
    std::uint32_t errorCodeAfterExecute = 0;
    onUi([&] {
        request = std::make_unique<THttpRequest>(m_ui);
        request->OnRequestComplete = [&](THttpRequest& sender) { completed.set_value(sender.Text()); };
        log.attach(*request);
        request->SetURL(server().url("/redirect/1"));
        EXPECT_TRUE(request->Execute(false));
        errorCodeAfterExecute = request->ErrorCode();
    });
    auto text = completed.get_future();
    ASSERT_EQ(text.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(text.get(), "hello world");
    request->wait();
    EXPECT_EQ(errorCodeAfterExecute, errors::kIoPending);
    EXPECT_EQ(request->ErrorCode(), 0u);
    EXPECT_EQ(request->RedirectURL(), server().url("/text"));
    EXPECT_EQ(log.count("Redirect"), 1);
    EXPECT_EQ(log.count("RequestComplete"), 1);
    EXPECT_GT(log.names().size(), 10u);
    for (std::thread::id thread : log.threads())
        EXPECT_EQ(thread, m_ui->threadId());
    EXPECT_FALSE(request->busy());
    onUi([&] { request.reset(); });
}

TEST_F(AsynchronousRequest, WithoutDeliveryHandlersRunOnTheWorker)
{
    THttpRequest request;
    EventLog log;
    log.attach(request);
    request.SetURL(server().url("/text"));
    request.Execute(false);
    request.wait();
    EXPECT_EQ(request.Text(), "hello world");
    ASSERT_FALSE(log.threads().empty());
    for (std::thread::id thread : log.threads())
        EXPECT_NE(thread, std::this_thread::get_id());
}

TEST_F(AsynchronousRequest, FailureRaisesOnErrorAndNoCompletion)
{
    test::SilentServer silent;
    const struct {
        const char* name;
        std::string url;
        std::uint32_t code;
        std::uint64_t maxResponseSize = THttpRequest::kDefaultMaxResponseSize;
    } cases[] = {
        { "refused", "http://127.0.0.1:" + std::to_string(test::refusedPort()) + "/", errors::kCannotConnect },
        { "never answers", "http://127.0.0.1:" + std::to_string(silent.port()) + "/", errors::kTimeout },
        { "stalls mid-body", server().url("/stall-body"), errors::kTimeout },
        { "closes mid-body", server().url("/cut"), errors::kConnectionAborted },
        { "too large", server().url("/bytes?n=300000&chunked=1"), errors::kResponseTooLarge, 100000 },
    };
    for (const auto& c : cases) {
        for (const bool raiseExceptions : { true, false }) {
            THttpRequest request(m_ui);
            EventLog log;
            log.attach(request);
            request.setInactivityTimeout(300);
            request.SetRaiseExceptions(raiseExceptions);
            request.setMaxResponseSize(c.maxResponseSize);
            request.SetURL(c.url);
            EXPECT_TRUE(request.Execute(false)) << c.name;
            request.wait();
            EXPECT_EQ(request.ErrorCode(), c.code) << c.name;
            EXPECT_EQ(log.count("Error"), 1) << c.name;
            EXPECT_EQ(log.count("RequestComplete"), 0) << c.name;
        }
    }
}

TEST_F(AsynchronousRequest, ErrorCodeInOnNeedAuthIsThatOfTheStatusStep)
{
    THttpRequest request(m_ui);
    std::vector<std::uint32_t> codesInOnNeedAuth;
    request.OnNeedAuth = [&](THttpRequest& sender) {
        codesInOnNeedAuth.push_back(sender.ErrorCode());
        sender.SetUserName("user");
        sender.SetPassword("secret");
    };
    request.SetURL(server().url("/auth"));
    request.Execute(false);
    request.wait();
    EXPECT_EQ(codesInOnNeedAuth, std::vector<std::uint32_t> { errors::kSuccess });
    EXPECT_EQ(request.Text(), "welcome");
}

TEST_F(AsynchronousRequest, HandlerExceptionEndsOnlyThatRequest)
{
    THttpRequest request(m_ui);
    int completions = 0;
    request.OnRequestComplete = [&](THttpRequest&) {
        ++completions;
        throw std::runtime_error("the cover could not be read");
    };
    request.SetURL(server().url("/text"));
    request.Execute(false);
    request.wait();
    request.Execute(false);
    request.wait();
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(request.Text(), "hello world");
}

TEST_F(AsynchronousRequest, SecondExecuteCancelsTheRunningRequest)
{
    THttpRequest request(m_ui);
    EventLog log;
    std::promise<void> firstBody;
    bool firstBodySignalled = false;
    std::vector<std::string> completedTexts;
    request.OnDataAvailable = [&](THttpRequest&) {
        if (!firstBodySignalled) {
            firstBodySignalled = true;
            firstBody.set_value();
        }
    };
    request.OnRequestComplete = [&](THttpRequest& sender) { completedTexts.push_back(sender.Text()); };
    log.attach(request);
    request.SetURL(server().url("/stall-body"));
    request.Execute(false);
    ASSERT_EQ(firstBody.get_future().wait_for(10s), std::future_status::ready);

    const auto started = std::chrono::steady_clock::now();
    request.SetURL(server().url("/text"));
    request.Execute(false);
    request.wait();
    // The stalled body would hold the first request for 10 s: it was stopped, not waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(completedTexts, std::vector<std::string> { "hello world" });
    EXPECT_EQ(request.ResponseStream().size(), 11u);
    EXPECT_EQ(log.count("Error"), 0);
}

TEST_F(AsynchronousRequest, DestructionMidTransferStopsItWithoutFurtherEvents)
{
    auto request = std::make_unique<THttpRequest>(m_ui);
    std::promise<void> firstBody;
    std::atomic<bool> destroying { false };
    std::atomic<int> eventsAfterDestruction { 0 };
    EventLog log;
    log.attach(*request);
    request->OnDataAvailable = [&, previous = request->OnDataAvailable](THttpRequest& sender) {
        previous(sender);
        if (log.count("DataAvailable") == 1)
            firstBody.set_value();
    };
    for (NotifyEvent* event : { &request->OnClosingConnection, &request->OnConnectionClosed, &request->OnError,
             &request->OnRequestComplete, &request->OnDataAvailable })
        *event = [&, previous = *event](THttpRequest& sender) {
            if (destroying)
                ++eventsAfterDestruction;
            previous(sender);
        };
    request->SetURL(server().url("/stall-body"));
    request->Execute(false);
    ASSERT_EQ(firstBody.get_future().wait_for(10s), std::future_status::ready);
    const auto started = std::chrono::steady_clock::now();
    onUi([&] {
        destroying = true;
        request.reset();
    });
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(eventsAfterDestruction, 0);
}

TEST_F(AsynchronousRequest, DestructionFromAHandlerWhileTheWorkerWaitsDoesNotDeadlock)
{
    // The worker waits for OnDataAvailable to run on the user-interface thread, and the
    // handler destroys the request there: the destructor must not wait for that worker.
    std::promise<void> destroyed;
    std::atomic<int> eventsAfterDestruction { 0 };
    std::atomic<bool> gone { false };
    auto* request = new THttpRequest(m_ui);
    request->OnDataAvailable = [&](THttpRequest& sender) {
        if (gone) {
            ++eventsAfterDestruction;
            return;
        }
        gone = true;
        delete &sender;
        destroyed.set_value();
    };
    request->OnRequestComplete = [&](THttpRequest&) { ++eventsAfterDestruction; };
    request->OnConnectionClosed = [&](THttpRequest&) {
        if (gone)
            ++eventsAfterDestruction;
    };
    request->SetURL(server().url("/bytes?n=200000"));
    onUi([&] { request->Execute(false); });
    ASSERT_EQ(destroyed.get_future().wait_for(10s), std::future_status::ready);
    // Let a worker that was left running reach its end.
    onUi([] {});
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(eventsAfterDestruction, 0);
}

TEST_F(AsynchronousRequest, SynchronousRequestFromAHandlerLeavesTheWaitingWorkerAndDestructionDoesNotWait)
{
    // A handler on the user-interface thread starts a synchronous request while the worker
    // of the asynchronous one waits for it; the request is then destroyed on that thread,
    // which must not wait for the worker that was left behind.
    std::unique_ptr<THttpRequest> request;
    std::promise<std::string> synchronousText;
    std::atomic<int> asynchronousCompletions { 0 };
    bool started = false;
    onUi([&] {
        request = std::make_unique<THttpRequest>(m_ui);
        request->OnDataAvailable = [&](THttpRequest& sender) {
            if (started)
                return;
            started = true;
            sender.OnRequestComplete = nullptr;
            sender.SetURL(server().url("/text"));
            sender.Execute(true);
            synchronousText.set_value(sender.Text());
        };
        request->OnRequestComplete = [&](THttpRequest&) { ++asynchronousCompletions; };
        request->SetURL(server().url("/bytes?n=200000"));
        request->Execute(false);
    });
    auto text = synchronousText.get_future();
    ASSERT_EQ(text.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(text.get(), "hello world");
    onUi([&] { request.reset(); });
    onUi([] {}); // let the worker that was left behind reach its end
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(asynchronousCompletions, 0);
}

TEST_F(AsynchronousRequest, HandlerExceptionDuringDeliveryComesBackToTheRaisingThread)
{
    // Without a worker: a synchronous request on another thread than the UI thread.
    THttpRequest request(m_ui);
    std::thread::id handlerThread;
    request.OnRequestComplete = [&](THttpRequest&) {
        handlerThread = std::this_thread::get_id();
        throw EHttpError("from the window", 1);
    };
    request.SetURL(server().url("/text"));
    try {
        request.Execute(true);
        ADD_FAILURE() << "no exception";
    } catch (const EHttpError& e) {
        EXPECT_STREQ(e.what(), "from the window");
    }
    EXPECT_EQ(handlerThread, m_ui->threadId());
}

struct Thrown {
    Thrown() { address = this; }
    inline static const Thrown* address = nullptr;
};

TEST(ThreadEventDeliveryTest, RunsOnItsThreadAndCarriesTheExceptionBack)
{
    ThreadEventDelivery delivery;
    std::thread::id ranOn;
    delivery.run([&] { ranOn = std::this_thread::get_id(); });
    EXPECT_EQ(ranOn, delivery.threadId());
    EXPECT_FALSE(delivery.isUiThread());

    // From its own thread the call is direct.
    bool nestedDirect = false;
    delivery.run([&] { delivery.run([&] { nestedDirect = delivery.isUiThread(); }); });
    EXPECT_TRUE(nestedDirect);

    try {
        delivery.run([] { throw Thrown(); });
        ADD_FAILURE() << "no exception";
    } catch (const Thrown& caught) {
        EXPECT_EQ(&caught, Thrown::address); // the very object, not a copy
    }
}

TEST(ThreadEventDeliveryTest, WaitOnTheUiThreadIsRefused)
{
    auto delivery = std::make_shared<ThreadEventDelivery>();
    delivery->run([&] {
        THttpRequest request(delivery);
        EXPECT_THROW(request.wait(), std::logic_error);
    });
}

// The thread that made the delivery starts the request and takes its events while it pumps.
TEST(PumpedEventDeliveryTest, RunsTheEventsWhereItPumps)
{
    auto delivery = std::make_shared<PumpedEventDelivery>();
    THttpRequest request(delivery);
    request.SetURL(server().url("/text"));
    std::vector<std::thread::id> ranOn;
    bool ended = false;
    request.OnResponseReceived = [&](THttpRequest&) { ranOn.push_back(std::this_thread::get_id()); };
    request.OnRequestComplete = [&](THttpRequest& sender) {
        ranOn.push_back(std::this_thread::get_id());
        ended = !sender.ResponseStream().empty();
    };
    request.Execute(false);
    delivery->pumpUntil([&] { return ended; });
    ASSERT_GE(ranOn.size(), 2u);
    EXPECT_EQ(std::count(ranOn.begin(), ranOn.end(), std::this_thread::get_id()), std::ssize(ranOn));
    EXPECT_THROW(request.wait(), std::logic_error); // the worker might need this thread
}

} // namespace
} // namespace vantrelle::http
