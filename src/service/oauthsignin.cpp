#include "service/oauthsignin.h"

#include "platform/log.h"
#include "platform/requestfields.h"
#include "platform/shell.h"
#include "service/requestframe.h"
#include "service/v2parse.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

namespace ruvia {

namespace {

// A browser's request line and headers fit in far less; more is not a browser.
constexpr qint64 kRequestLimit = 16 * 1024;
constexpr int kTokenTimeoutMs = 30000;

QString htmlPage(const QString& text)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Ruvia</title>"
                          "</head><body style=\"font-family:sans-serif;margin:3em\"><p>%1</p>"
                          "</body></html>")
        .arg(text.toHtmlEscaped());
}

QString refusalText(const QString& error, const QString& description)
{
    if (error == QStringLiteral("access_denied"))
        return QStringLiteral("You did not allow Ruvia to use your Tumblr account, so Ruvia is "
                              "not signed in.");
    QString text = QStringLiteral("Tumblr refused the sign-in (%1).").arg(error);
    if (!description.isEmpty())
        text += QStringLiteral(" ") + description;
    if (error == QStringLiteral("redirect_uri_mismatch"))
        text += QStringLiteral(" The redirect address registered with your application must be "
                               "exactly the one Ruvia uses.");
    return text;
}

} // namespace

struct OAuthSignIn::Answer {
    bool done = false;
    QString code;
    QString error;
    QString errorDescription;
    bool stateMismatch = false;
};

QByteArray OAuthTokens::toJson() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("access_token"), accessToken},
                                     {QStringLiteral("refresh_token"), refreshToken},
                                     {QStringLiteral("scope"), scope},
                                     {QStringLiteral("account"), account},
                                     {QStringLiteral("expires_at"),
                                      expiresAt.toUTC().toString(Qt::ISODate)}})
        .toJson(QJsonDocument::Compact);
}

OAuthTokens OAuthTokens::fromJson(const QByteArray& json)
{
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    OAuthTokens t;
    t.accessToken = o.value(QStringLiteral("access_token")).toString();
    t.refreshToken = o.value(QStringLiteral("refresh_token")).toString();
    t.scope = o.value(QStringLiteral("scope")).toString();
    t.account = o.value(QStringLiteral("account")).toString();
    t.expiresAt = QDateTime::fromString(o.value(QStringLiteral("expires_at")).toString(),
                                        Qt::ISODate);
    return t;
}

OAuthSignIn::OAuthSignIn(const ServiceConfig& config, const QString& clientSecret)
    : m_config(config), m_secret(clientSecret)
{
}

OAuthSignIn::~OAuthSignIn() { closeListeners(); }

QString OAuthSignIn::NewState()
{
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                          bytes.size() / 4);
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

bool OAuthSignIn::listen(QString& message)
{
    const QUrl redirect(m_config.redirectAddress);
    if (!IsValidRedirectAddress(m_config.redirectAddress)) {
        message = QStringLiteral("The redirect address \"%1\" must be an http address on this "
                                 "computer with a port, such as %2.")
                      .arg(m_config.redirectAddress, QString::fromUtf16(kDefaultRedirectAddress));
        return false;
    }
    m_redirectPath = redirect.path().isEmpty() ? QStringLiteral("/") : redirect.path();
    const quint16 port = quint16(redirect.port());
    m_server4 = std::make_unique<QTcpServer>();
    m_server6 = std::make_unique<QTcpServer>();
    const bool v4 = m_server4->listen(QHostAddress::LocalHost, port);
    // "localhost" may lead the browser to either address.
    const bool v6 = m_server6->listen(QHostAddress::LocalHostIPv6, port);
    if (!v4 && !v6) {
        message = QStringLiteral("Can't wait for the browser's answer on port %1 of this computer "
                                 "(%2). Another program may be using it; close it, or another "
                                 "Ruvia that is signing in, and try again.")
                      .arg(port)
                      .arg(m_server4->errorString());
        closeListeners();
        return false;
    }
    for (QTcpServer* server : {m_server4.get(), m_server6.get()})
        QObject::connect(server, &QTcpServer::newConnection, server,
                         [this, server] { onConnection(server); });
    return true;
}

void OAuthSignIn::closeListeners()
{
    for (auto* server : {&m_server4, &m_server6}) {
        if (!*server)
            continue;
        (*server)->close();
        QObject::disconnect(server->get(), nullptr, nullptr, nullptr);
        // Nothing may call back into this object once it is gone.
        for (QTcpSocket* socket : (*server)->findChildren<QTcpSocket*>())
            QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
        (*server).release()->deleteLater();
    }
}

void OAuthSignIn::onConnection(QTcpServer* server)
{
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket,
                         [this, socket] { onReadable(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(10000, socket, [socket] { socket->abort(); });
    }
}

void OAuthSignIn::answerBrowser(QTcpSocket* socket, int status, const QString& text)
{
    const QByteArray body = htmlPage(text).toUtf8();
    const QByteArray reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Bad Request";
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason
                  + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    // The page outlives the listener: the socket goes by itself once it is
    // sent (or after its time limit).
    QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->setParent(nullptr);
    socket->disconnectFromHost();
}

void OAuthSignIn::onReadable(QTcpSocket* socket)
{
    if (!m_answer || m_answer->done) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kRequestLimit)
            socket->abort();
        return;
    }
    const QList<QByteArray> parts = socket->readLine(kRequestLimit).trimmed().split(' ');
    if (parts.size() != 3 || parts[0] != "GET") {
        answerBrowser(socket, 400, QStringLiteral("This is not a sign-in answer."));
        return;
    }
    const QUrl target(QStringLiteral("http://localhost") + QString::fromLatin1(parts[1]));
    if (!target.isValid() || target.path() != m_redirectPath) {
        // A browser asks for its icon too; that is not the answer.
        answerBrowser(socket, 404, QStringLiteral("Not found."));
        return;
    }
    const QUrlQuery query(target);
    Answer& a = *m_answer;
    a.done = true;
    a.code = query.queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
    a.error = query.queryItemValue(QStringLiteral("error"), QUrl::FullyDecoded);
    a.errorDescription =
        query.queryItemValue(QStringLiteral("error_description"), QUrl::FullyDecoded);
    a.stateMismatch = query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded) != m_state;
    if (a.stateMismatch)
        answerBrowser(socket, 400,
                      QStringLiteral("This answer does not belong to Ruvia's sign-in. Start the "
                                     "sign-in again from Ruvia."));
    else if (!a.error.isEmpty())
        answerBrowser(socket, 200,
                      refusalText(a.error, a.errorDescription)
                          + QStringLiteral(" You can close this window."));
    else
        answerBrowser(socket, 200,
                      QStringLiteral("Ruvia has your answer. You can close this window and go "
                                     "back to Ruvia."));
    // Exactly one answer: nobody else gets to knock.
    for (auto* server : {m_server4.get(), m_server6.get()})
        if (server)
            server->close();
    if (m_wait)
        m_wait->quit();
}

OAuthSignIn::Outcome OAuthSignIn::Run(ISignInView* view, IHTTPRequestCallback* callback,
                                      OAuthTokens& tokens, QString& message, int waitMs)
{
    tokens = OAuthTokens();
    message.clear();
    QString reason;
    if (!IsSafeServiceAddress(m_config.AuthorizeAddress(), &reason)
        || !IsSafeServiceAddress(m_config.TokenAddress(), &reason)) {
        message = reason;
        return Failed;
    }
    if (m_config.clientId.isEmpty() || m_secret.isEmpty()) {
        message = QStringLiteral("Ruvia needs your application's consumer key and secret to sign "
                                 "in. Enter them in Settings, on the Service page.");
        return Failed;
    }
    if (!listen(message))
        return Failed;
    m_state = NewState();
    m_answer = std::make_unique<Answer>();
    const QList<QPair<QString, QString>> parameters = {
        {QStringLiteral("client_id"), m_config.clientId},
        {QStringLiteral("response_type"), QStringLiteral("code")},
        {QStringLiteral("scope"), QString::fromUtf16(kSignInScope)},
        {QStringLiteral("state"), m_state},
        {QStringLiteral("redirect_uri"), m_config.redirectAddress},
    };
    QStringList encoded;
    for (const auto& [name, value] : parameters)
        encoded.append(name + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    m_authorizeAddress = m_config.AuthorizeAddress() + u'?' + encoded.join(u'&');

    const bool opened = shell().Open(m_authorizeAddress);
    if (view)
        view->ShowSignInWaiting(m_authorizeAddress, opened);

    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (m_answer->done || (view && view->SignInCancelRequested()) || waited.elapsed() >= waitMs)
            loop.quit();
    });
    tick.start(50);
    m_wait = &loop;
    if (!m_answer->done)
        loop.exec();
    m_wait = nullptr;
    tick.stop();
    const Answer answer = *m_answer;
    // Let the browser's page go out before the listener goes.
    QCoreApplication::processEvents();
    closeListeners();

    if (!answer.done) {
        if (view && view->SignInCancelRequested())
            return Cancelled;
        message = QStringLiteral("The browser did not come back with an answer within %1 "
                                 "minutes, so Ruvia is not signed in. Try again.")
                      .arg(waitMs / 60000);
        return TimedOut;
    }
    if (answer.stateMismatch) {
        message = QStringLiteral("The answer that came back did not belong to this sign-in, so "
                                 "Ruvia did not use it. Try signing in again.");
        return Refused;
    }
    if (!answer.error.isEmpty()) {
        message = refusalText(answer.error, answer.errorDescription);
        return Refused;
    }
    if (answer.code.isEmpty()) {
        message = QStringLiteral("Tumblr's answer held no sign-in code. Try again.");
        return Refused;
    }
    bool refused = false;
    if (!RequestTokens(m_config, m_secret,
                       {{QStringLiteral("grant_type"), QStringLiteral("authorization_code")},
                        {QStringLiteral("code"), answer.code},
                        {QStringLiteral("redirect_uri"), m_config.redirectAddress}},
                       callback, tokens, &refused, message))
        return refused ? Refused : Failed;
    return SignedIn;
}

bool RequestTokens(const ServiceConfig& config, const QString& clientSecret,
                   const QList<QPair<QString, QString>>& grant, IHTTPRequestCallback* callback,
                   OAuthTokens& tokens, bool* refused, QString& message)
{
    *refused = false;
    QString reason;
    QString host, path;
    int port = 0;
    bool secure = false;
    const QString address = config.TokenAddress();
    if (!IsSafeServiceAddress(address, &reason)
        || !HTTPRequest::ParseURL(address, host, port, path, &secure)) {
        message = reason.isEmpty() ? QStringLiteral("\"%1\" is not a web address.").arg(address)
                                   : reason;
        return false;
    }
    RequestFields fields;
    for (const auto& [name, value] : grant)
        fields.AddField(name, value.toUtf8());
    fields.AddField(QStringLiteral("client_id"), config.clientId.toUtf8());
    fields.AddField(QStringLiteral("client_secret"), clientSecret.toUtf8());
    HTTPRequest request;
    SendServiceRequest(request, host, port, QStringLiteral("POST"), path, kTokenTimeoutMs, fields,
                       callback, secure);
    if (request.GetErrorCode() != 0) {
        message = QStringLiteral("Can't reach Tumblr to sign in.\r\n\r\n")
            + request.GetRequestErrorText();
        return false;
    }
    const QJsonObject reply = QJsonDocument::fromJson(request.GetResponseBody()).object();
    const int status = request.GetStatusCode();
    if (status == 200 && !reply.value(QStringLiteral("access_token")).toString().isEmpty()) {
        tokens.accessToken = reply.value(QStringLiteral("access_token")).toString();
        tokens.refreshToken = reply.value(QStringLiteral("refresh_token")).toString();
        tokens.scope = reply.value(QStringLiteral("scope")).toString();
        const qint64 lifetime = reply.value(QStringLiteral("expires_in")).toInteger(2520);
        tokens.expiresAt = QDateTime::currentDateTimeUtc().addSecs(qMax<qint64>(lifetime, 0));
        return true;
    }
    const QString error = reply.value(QStringLiteral("error")).toString();
    if (status >= 400 && status < 500 && !reply.isEmpty()) {
        *refused = true;
        message = refusalText(error.isEmpty() ? QString::number(status) : error,
                              reply.value(QStringLiteral("error_description")).toString());
        return false;
    }
    if (status == 401 || status == 400) {
        *refused = true;
        message = QStringLiteral("Tumblr refused the sign-in (HTTP %1).").arg(status);
        return false;
    }
    const bool page = request.GetResponseHeader(QStringLiteral("Content-Type"))
                          .startsWith(QStringLiteral("text/html"), Qt::CaseInsensitive);
    message = page ? QStringLiteral("The service answered with a web page (HTTP %1) instead of "
                                    "data, so Ruvia could not sign in.")
                         .arg(status)
                   : QStringLiteral("Tumblr's sign-in failed (HTTP %1). Try again later.")
                         .arg(status);
    return false;
}

} // namespace ruvia
