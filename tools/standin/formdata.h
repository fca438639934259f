#pragma once
// Form bodies as the service receives them: multipart/form-data and
// application/x-www-form-urlencoded, fields kept in the order sent.
#include <QByteArray>
#include <QList>
#include <QString>

namespace standin {

struct FormField {
    QByteArray name;
    QByteArray value;
    QByteArray filename;
    QByteArray contentType;
    bool isFile = false; // the part carried a filename parameter
};

class Form {
public:
    enum class Kind { None, Multipart, UrlEncoded };

    // Parses body according to contentType. Returns false, with a one-line
    // reason in error, when the body is malformed.
    bool parse(const QByteArray& contentType, QByteArray body, QString* error);
    void parseQuery(const QByteArray& query);
    void append(const Form& other) { m_fields += other.m_fields; }
    void add(FormField field) { m_fields.append(std::move(field)); }

    Kind kind() const { return m_kind; }
    const QList<FormField>& fields() const { return m_fields; }
    bool has(const QByteArray& name) const;
    QByteArray value(const QByteArray& name) const;
    QString text(const QByteArray& name) const { return QString::fromUtf8(value(name)); }

private:
    bool parseMultipart(const QByteArray& boundary, QByteArray body, QString* error);

    Kind m_kind = Kind::None;
    QList<FormField> m_fields;
};

// The value of a parameter of a header such as
// `form-data; name="x"; filename="y"` or `multipart/form-data; boundary=z`.
QByteArray headerParameter(const QByteArray& header, const QByteArray& name);

} // namespace standin
