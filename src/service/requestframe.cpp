#include "service/requestframe.h"

#include "platform/prompter.h"
#include "platform/textutil.h"
#include "platform/xmldocument.h"

namespace ruvia {

bool SendServiceRequest(HTTPRequest& request, const QString& host, int port,
                        const QString& method, const QString& path, int timeoutMs,
                        const RequestFields& fields, IHTTPRequestCallback* callback, bool secure)
{
    request.SetProxy(ProxySettings());
    request.Proxy().Load(ProxySettings::kSection);
    QString header;
    QByteArray content;
    if (!fields.isEmpty()) {
        header = fields.GetContentHeader();
        content = fields.GetContent();
    }
    return request.Send(host, port, method, path, QString::fromUtf16(kServiceProtocol), header,
                        content, timeoutMs, HTTPRequest::GetAgentString(), callback, secure);
}

QByteArray Authenticate(const QString& email, const QString& password,
                        IHTTPRequestCallback* callback)
{
    RequestFields fields;
    // The whole form is UTF-8; for the usual ASCII credentials that is the text as typed.
    fields.AddField(QStringLiteral("email"), email.toUtf8());
    fields.AddField(QStringLiteral("password"), password.toUtf8());
    fields.AddField(QStringLiteral("generator"), HTTPRequest::GetAgentString().toUtf8());

    HTTPRequest request;
    SendServiceRequest(request, QString::fromUtf16(kServiceHost), kServicePort,
                       QStringLiteral("POST"), QStringLiteral("/api/authenticate"),
                       kServiceTimeoutMs, fields, callback);
    if (request.GetErrorCode() != 0) {
        ShowRequestError(request, MB_ICONCRITICAL, QStringLiteral("Can't authenicate on Tumblr."));
        return {};
    }
    if (request.GetStatusCode() != 200) {
        ShowRequestError(request, MB_ICONCRITICAL,
                         QStringLiteral("Can't authenticate on Tumblr. ")
                             + DecodeReplyText(request.GetResponseBody()));
        return {};
    }
    return request.GetResponseBody();
}

bool ParseGroupList(const QByteArray& reply, QString& list)
{
    if (reply.isEmpty())
        return false;
    xhXMLDocument doc;
    if (!doc.LoadXML(reply)) {
        MsgBox(QStringLiteral("XML from Tumblr recieved but it contains invalid data."),
               MB_ICONCRITICAL);
        return false;
    }
    QStringList entries;
    for (const pugi::xpath_node& node : doc.SelectNodes(QStringLiteral("/tumblr/tumblelog"))) {
        const pugi::xml_node blog = node.node();
        const QString type = fromU8(blog.attribute("type").value());
        if (type.compare(QStringLiteral("private"), Qt::CaseInsensitive) == 0)
            continue;
        QString host = fromU8(blog.attribute("url").value());
        if (host.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive))
            host.remove(0, 7);
        if (host.endsWith(u'/'))
            host.chop(1);
        if (host.isEmpty())
            continue;
        // The parser has already decoded the document's UTF-8.
        const QString title = fromU8(blog.attribute("title").value());
        entries.append(title + QStringLiteral(" | ") + host);
    }
    list = tsTrimCRLF(entries.join(QStringLiteral("\r\n")));
    return true;
}

QString DecodeReplyText(const QByteArray& text)
{
    if (text.contains('\r') || text.contains('\n'))
        return {};
    return tsUTF8ToUNICODE(text);
}

} // namespace ruvia
