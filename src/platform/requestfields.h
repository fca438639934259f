#pragma once
// The fields of a form submission, in the order they were added, rendered as
// multipart/form-data: every value travels byte for byte, binary included.
#include <QByteArray>
#include <QList>
#include <QString>

namespace ruvia {

class RequestFields {
public:
    void Clear();
    void AddField(const QString& name, const QByteArray& value);
    // A file part: the value goes with a file name and a content type.
    void AddField(const QString& name, const QByteArray& value, const QString& fileName,
                  const QString& contentType = QStringLiteral("application/octet-stream"));

    // A part that is no file but says what it holds (a JSON document, say).
    void AddTypedField(const QString& name, const QByteArray& value, const QString& contentType);

    bool isEmpty() const { return m_fields.isEmpty(); }
    int count() const { return int(m_fields.size()); }

    // "multipart/form-data; boundary=..."; the boundary occurs in no value.
    QString GetContentHeader() const;
    // The body that goes with GetContentHeader. Values are not copied until
    // this call, which makes exactly one buffer of the final size.
    QByteArray GetContent() const;

private:
    struct Field {
        QString name;
        QByteArray value;
        QString fileName;
        QString contentType;
        bool isFile = false;
    };
    const QByteArray& boundary() const;

    QList<Field> m_fields;
    mutable QByteArray m_boundary;
};

} // namespace ruvia
