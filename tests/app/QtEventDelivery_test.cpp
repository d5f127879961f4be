#include "vantrelle/app/Application.h"
#include "vantrelle/app/QtEventDelivery.h"
#include "vantrelle/http/HttpRequest.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using vantrelle::app::Application;
using vantrelle::app::QtEventDelivery;
using vantrelle::http::THttpRequest;

namespace {

struct Thrown {
    Thrown() { address = this; }
    inline static const Thrown* address = nullptr;
};

// A loopback port with nobody listening, so a request to it fails at once.
int refusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace

class QtEventDeliveryTest : public QObject {
    Q_OBJECT

private slots:
    void runsOnTheUiThreadAndCarriesExceptionsBack_data()
    {
        QTest::addColumn<bool>("fromWorker");
        QTest::newRow("direct on the UI thread") << false;
        QTest::newRow("queued from a worker") << true;
    }

    void runsOnTheUiThreadAndCarriesExceptionsBack()
    {
        QFETCH(bool, fromWorker);
        QtEventDelivery delivery;
        QThread* ranOn = nullptr;
        bool sameObjectBack = false;
        const auto raise = [&] {
            delivery.run([&] { ranOn = QThread::currentThread(); });
            try {
                delivery.run([] { throw Thrown(); });
            } catch (const Thrown& caught) {
                sameObjectBack = &caught == Thrown::address;
            }
        };
        if (fromWorker) {
            std::atomic<bool> done { false };
            bool workerIsUiThread = true;
            std::thread worker([&] {
                workerIsUiThread = delivery.isUiThread();
                raise();
                done = true;
            });
            QTRY_VERIFY(done); // spins the event loop that runs the queued calls
            worker.join();
            QCOMPARE(workerIsUiThread, false);
        } else {
            QCOMPARE(delivery.isUiThread(), true);
            raise();
        }
        QCOMPARE(ranOn, QCoreApplication::instance()->thread());
        QCOMPARE(sameObjectBack, true);
    }

    void asynchronousRequestRaisesItsEventsOnTheUiThread()
    {
        auto delivery = std::make_shared<QtEventDelivery>();
        THttpRequest request(delivery);
        QThread* errorOn = nullptr;
        int errors = 0;
        request.OnError = [&](THttpRequest&) {
            errorOn = QThread::currentThread();
            ++errors;
        };
        request.SetURL("http://127.0.0.1:" + std::to_string(refusedPort()) + "/");
        QCOMPARE(request.Execute(false), true);
        QTRY_COMPARE(errors, 1);
        QTRY_COMPARE(request.busy(), false);
        QCOMPARE(errorOn, QCoreApplication::instance()->thread());
        QCOMPARE(request.ErrorCode(), vantrelle::http::errors::kCannotConnect);
    }
};

int main(int argc, char** argv)
{
    Application application(argc, argv);
    QtEventDeliveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtEventDelivery_test.moc"
