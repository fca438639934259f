#include "platform/requestfields.h"

#include <QRandomGenerator>

namespace ruvia {

namespace {

// Quotes and line breaks cannot stand inside a quoted header parameter.
QByteArray quoted(const QString& text)
{
    QByteArray out = text.toUtf8();
    out.replace('"', "%22");
    out.replace('\r', "%0D");
    out.replace('\n', "%0A");
    return '"' + out + '"';
}

QByteArray partHeader(const QString& name, bool isFile, const QString& fileName,
                      const QString& contentType)
{
    QByteArray h = "Content-Disposition: form-data; name=" + quoted(name);
    if (isFile)
        h += "; filename=" + quoted(fileName);
    if (isFile || !contentType.isEmpty()) {
        QByteArray type = contentType.toLatin1();
        type.replace('\r', "").replace('\n', "");
        h += "\r\nContent-Type: " + type;
    }
    return h + "\r\n\r\n";
}

} // namespace

void RequestFields::Clear()
{
    m_fields.clear();
    m_boundary.clear();
}

void RequestFields::AddField(const QString& name, const QByteArray& value)
{
    m_fields.append({name, value, {}, {}, false});
    m_boundary.clear();
}

void RequestFields::AddField(const QString& name, const QByteArray& value, const QString& fileName,
                             const QString& contentType)
{
    m_fields.append({name, value, fileName, contentType, true});
    m_boundary.clear();
}

void RequestFields::AddTypedField(const QString& name, const QByteArray& value,
                                  const QString& contentType)
{
    m_fields.append({name, value, {}, contentType, false});
    m_boundary.clear();
}

const QByteArray& RequestFields::boundary() const
{
    if (!m_boundary.isEmpty())
        return m_boundary;
    for (;;) {
        QByteArray candidate = "----RuviaFormBoundary";
        for (int i = 0; i < 2; ++i)
            candidate += QByteArray::number(QRandomGenerator::global()->generate64(), 16)
                             .rightJustified(16, '0');
        bool clash = false;
        for (const Field& f : m_fields)
            clash = clash || f.value.contains(candidate);
        if (!clash) {
            m_boundary = candidate;
            return m_boundary;
        }
    }
}

QString RequestFields::GetContentHeader() const
{
    return QStringLiteral("multipart/form-data; boundary=") + QString::fromLatin1(boundary());
}

QByteArray RequestFields::GetContent() const
{
    const QByteArray& b = boundary();
    QList<QByteArray> heads;
    qsizetype size = b.size() + 6;
    for (const Field& f : m_fields) {
        heads.append(partHeader(f.name, f.isFile, f.fileName, f.contentType));
        size += 2 + b.size() + 2 + heads.last().size() + f.value.size() + 2;
    }
    QByteArray out;
    out.reserve(size);
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        out += "--" + b + "\r\n";
        out += heads.at(i);
        out += m_fields.at(i).value;
        out += "\r\n";
    }
    out += "--" + b + "--\r\n";
    return out;
}

} // namespace ruvia
