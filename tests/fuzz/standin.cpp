// The stand-in's request reader (a connection fed through a socket pair) and
// its form parser (a content type, a line feed, then the body).
#include "fuzzsupport.h"

#include "formdata.h"
#include "httpserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace standin;

namespace {
class Answering : public RequestHandler {
public:
    int requests = 0;
    bool onHead(HttpConnection*, const HttpRequest& request, int*, int*) override
    {
        FUZZ_CHECK(request.path.startsWith('/'));
        return true;
    }
    void onRequest(HttpConnection* connection, HttpRequest& request) override
    {
        ++requests;
        FUZZ_CHECK(request.chunked || request.header("Content-Length").isEmpty() ||
                   request.body.size() == request.header("Content-Length").trimmed().toLongLong());
        connection->respond(HttpResponse::make(200, "text/plain", "ok", connection->keepAlive()));
    }
};
} // namespace

RUVIA_FUZZ_TARGET(standin_request)
{
    ruvia::fuzz::setUp();
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        ruvia::fuzz::fault("no socket pair", __FILE__, __LINE__);
    Answering handler;
    QObject owner;
    QPointer<HttpConnection> connection = new HttpConnection(fds[0], &handler, 1000, &owner);
    ::fcntl(fds[1], F_SETFL, ::fcntl(fds[1], F_GETFL) | O_NONBLOCK);
    // The whole input, then the end of the client's sending; the replies are
    // read until the server closes, or it has stopped moving.
    size_t sent = 0;
    bool shut = false;
    bool closed = false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 2000) {
        if (sent < size) {
            const ssize_t n = ::send(fds[1], data + sent, size - sent, MSG_NOSIGNAL);
            if (n > 0)
                sent += size_t(n);
        } else if (!shut) {
            ::shutdown(fds[1], SHUT_WR);
            shut = true;
        }
        QCoreApplication::processEvents();
        char buffer[4096];
        const ssize_t got = ::recv(fds[1], buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            closed = true;
            break;
        }
    }
    FUZZ_CHECK(closed); // after the client's last byte, every connection ends
    ::close(fds[1]);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete connection.data();
    return 0;
}

RUVIA_FUZZ_TARGET(standin_form)
{
    ruvia::fuzz::setUp();
    const QByteArray input = fuzzBytes(data, size);
    const qsizetype split = input.indexOf('\n');
    const QByteArray contentType = split < 0 ? input : input.left(split);
    Form form;
    QString error;
    const qsizetype bodySize = split < 0 ? 0 : input.size() - split - 1;
    const bool ok = form.parse(contentType, split < 0 ? QByteArray() : input.mid(split + 1), &error);
    FUZZ_CHECK(ok || !error.isEmpty());
    qsizetype total = 0;
    for (const FormField& f : form.fields())
        total += f.value.size();
    FUZZ_CHECK(form.kind() != Form::Kind::Multipart || total <= bodySize);
    Form query;
    query.parseQuery(input);
    headerParameter(contentType, "boundary");
    return 0;
}
