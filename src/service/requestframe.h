#pragma once
// How every request to the service is built, sent and judged; the
// authentication call and the group list it yields.
#include "platform/httprequest.h"
#include "platform/requestfields.h"

#include <QByteArray>
#include <QString>

namespace ruvia {

// The service's main host; reached on port 80.
inline constexpr char16_t kServiceHost[] = u"www.tumblr.com";
inline constexpr int kServicePort = 80;
inline constexpr int kServiceTimeoutMs = 30000;
inline constexpr char16_t kServiceProtocol[] = u"HTTP/1.1";

// Loads the proxy of section "HTTP Proxy" into request, renders fields and
// sends. Returns what Send returned; the caller judges the request.
bool SendServiceRequest(HTTPRequest& request, const QString& host, int port,
                        const QString& method, const QString& path, int timeoutMs,
                        const RequestFields& fields, IHTTPRequestCallback* callback,
                        bool secure = false);

// The reply of "/api/authenticate", or empty after a reported failure.
QByteArray Authenticate(const QString& email, const QString& password,
                        IHTTPRequestCallback* callback);

// The group list ("title | host" entries joined by CR LF) of an authenticate
// reply. False, with list untouched, for an empty or unreadable reply.
bool ParseGroupList(const QByteArray& reply, QString& list);

// A one-line reply as text; empty when the reply has several lines.
QString DecodeReplyText(const QByteArray& text);

} // namespace ruvia
