// The stand-in's cost per request as its request log grows: five batches of
// small authenticate requests on one keep-alive connection, the time of the
// first batch and of the last. Prints "name: value unit" lines; never passes
// or fails on time.
#include "standin.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <cstdio>

using namespace ruvia;

namespace {

constexpr int kBatch = 4000;
constexpr int kBatches = 5;

// One request and its reply; false when the reply did not come.
bool exchange(QTcpSocket& socket, const QByteArray& request, QByteArray& buffer)
{
    socket.write(request);
    for (;;) {
        const qsizetype head = buffer.indexOf("\r\n\r\n");
        if (head >= 0) {
            const qsizetype at = buffer.indexOf("Content-Length: ");
            const qsizetype length = buffer.mid(at + 16, buffer.indexOf("\r\n", at) - at - 16).toLongLong();
            if (buffer.size() >= head + 4 + length) {
                buffer.remove(0, head + 4 + length);
                return true;
            }
        }
        if (!socket.waitForReadyRead(10000))
            return false;
        buffer += socket.readAll();
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    test::StandIn standin;
    if (!standin.start({QStringLiteral("--account"), QStringLiteral("a@b.c:pw"), QStringLiteral("--blog"),
                        QStringLiteral("a@b.c:benchblog:Bench")})) {
        std::fprintf(stderr, "the stand-in did not start: %s\n", qPrintable(standin.errorOutput()));
        return 1;
    }
    QTcpSocket socket;
    socket.connectToHost(test::StandIn::host(), standin.port());
    if (!socket.waitForConnected(10000))
        return 1;
    const QByteArray body = "email=a%40b.c&password=pw";
    const QByteArray request = "POST http://www.tumblr.com/api/authenticate HTTP/1.1\r\nHost: www.tumblr.com\r\n"
                               "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                               QByteArray::number(body.size()) + "\r\n\r\n" + body;
    QByteArray buffer;
    QList<qint64> times;
    for (int b = 0; b < kBatches; ++b) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kBatch; ++i)
            if (!exchange(socket, request, buffer))
                return 1;
        times.append(timer.elapsed());
    }
    std::printf("standin_first_%d_requests_ms: %lld ms\n", kBatch, times.first());
    std::printf("standin_requests_%d_to_%d_ms: %lld ms\n", (kBatches - 1) * kBatch + 1, kBatches * kBatch,
                times.last());
    return 0;
}
