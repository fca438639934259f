#include "v2service.h"

using namespace Qt::StringLiterals;

namespace standin {

namespace {
QByteArray page(const QString& title, const QString& body)
{
    return (u"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>"_s +
            title.toHtmlEscaped() + u"</title>\n</head>\n<body>\n"_s + body +
            u"</body>\n</html>\n"_s)
        .toUtf8();
}
} // namespace

QByteArray authorizePage(const QList<std::pair<QString, QString>>& hidden,
                         const QStringList& accounts, const QString& clientId)
{
    const QString title = u"Allow Ruvia to use your account?"_s;
    QString body = u"<h1>"_s + title.toHtmlEscaped() + u"</h1>\n<p>The application <b>"_s +
                   clientId.toHtmlEscaped() + u"</b> asks to use your account.</p>\n"_s +
                   u"<form method=\"POST\" action=\"/oauth2/authorize\">\n"_s;
    for (const auto& [name, value] : hidden)
        body += u"<input type=\"hidden\" name=\"%1\" value=\"%2\">\n"_s.arg(name.toHtmlEscaped(),
                                                                            value.toHtmlEscaped());
    body += u"<label>Account <select name=\"account\">\n"_s;
    for (const QString& email : accounts)
        body += u"<option value=\"%1\">%1</option>\n"_s.arg(email.toHtmlEscaped());
    body += u"</select></label>\n"
            "<button type=\"submit\" name=\"decision\" value=\"allow\">Allow</button>\n"
            "<button type=\"submit\" name=\"decision\" value=\"deny\">Deny</button>\n"
            "</form>\n"_s;
    return page(title, body);
}

QByteArray authorizeErrorPage(const QString& message)
{
    return page(u"Sign-in refused"_s,
                u"<h1>Sign-in refused</h1>\n<p>"_s + message.toHtmlEscaped() + u"</p>\n"_s);
}

} // namespace standin
