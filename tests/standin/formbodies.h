#pragma once
// The request bodies the stand-in's tests send by hand: multipart and
// URL-encoded forms.
#include <QByteArray>
#include <QList>

namespace ruvia::test {

struct FormField {
    QByteArray name;
    QByteArray value;
    QByteArray filename = {};
    QByteArray contentType = {};
};

inline const QByteArray kFormBoundary = "----standinTestBoundary7d93";

inline QByteArray multipart(const QList<FormField>& fields)
{
    QByteArray body;
    for (const FormField& f : fields) {
        body += "--" + kFormBoundary + "\r\nContent-Disposition: form-data; name=\"" + f.name + '"';
        if (!f.filename.isEmpty())
            body += "; filename=\"" + f.filename + '"';
        body += "\r\n";
        if (!f.contentType.isEmpty())
            body += "Content-Type: " + f.contentType + "\r\n";
        body += "\r\n" + f.value + "\r\n";
    }
    return body + "--" + kFormBoundary + "--\r\n";
}

inline QByteArray urlEncoded(const QList<FormField>& fields)
{
    QByteArray body;
    for (const FormField& f : fields)
        body += (body.isEmpty() ? "" : "&") + f.name.toPercentEncoding() + '=' +
                f.value.toPercentEncoding();
    return body;
}

} // namespace ruvia::test
