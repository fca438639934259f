#include "formdata.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace standin {

namespace {
bool startsAt(const QByteArray& data, qsizetype pos, const char (&text)[3])
{
    return pos >= 0 && pos + 2 <= data.size() && std::memcmp(data.constData() + pos, text, 2) == 0;
}

QByteArray decodeUrlComponent(QByteArray text)
{
    text.replace('+', ' ');
    return QByteArray::fromPercentEncoding(text);
}

QList<FormField> parseUrlEncodedFields(const QByteArray& text)
{
    QList<FormField> fields;
    for (const QByteArray& pair : text.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        FormField f;
        f.name = decodeUrlComponent(eq < 0 ? pair : pair.left(eq));
        f.value = eq < 0 ? QByteArray() : decodeUrlComponent(pair.mid(eq + 1));
        fields.append(f);
    }
    return fields;
}
} // namespace

QByteArray headerParameter(const QByteArray& header, const QByteArray& name)
{
    qsizetype i = header.indexOf(';');
    while (i >= 0 && i < header.size()) {
        ++i; // past ';'
        while (i < header.size() && (header.at(i) == ' ' || header.at(i) == '\t'))
            ++i;
        const qsizetype eq = header.indexOf('=', i);
        const qsizetype semi = header.indexOf(';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            i = semi;
            continue;
        }
        const QByteArray key = header.mid(i, eq - i).trimmed();
        QByteArray value;
        i = eq + 1;
        if (i < header.size() && header.at(i) == '"') {
            ++i;
            while (i < header.size() && header.at(i) != '"') {
                if (header.at(i) == '\\' && i + 1 < header.size())
                    ++i;
                value += header.at(i);
                ++i;
            }
            i = header.indexOf(';', i);
        } else {
            const qsizetype end = header.indexOf(';', i);
            value = header.mid(i, end < 0 ? -1 : end - i).trimmed();
            i = end;
        }
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool Form::parse(const QByteArray& contentType, QByteArray body, QString* error)
{
    const qsizetype semi = contentType.indexOf(';');
    const QByteArray mime = (semi < 0 ? contentType : contentType.left(semi)).trimmed().toLower();
    if (mime == "multipart/form-data") {
        m_kind = Kind::Multipart;
        const QByteArray boundary = headerParameter(contentType, "boundary");
        if (boundary.isEmpty()) {
            *error = u"Malformed form: no boundary."_s;
            return false;
        }
        return parseMultipart(boundary, std::move(body), error);
    }
    if (mime == "application/x-www-form-urlencoded" || (mime.isEmpty() && !body.isEmpty())) {
        m_kind = Kind::UrlEncoded;
        m_fields += parseUrlEncodedFields(body);
    }
    return true;
}

void Form::parseQuery(const QByteArray& query)
{
    m_fields += parseUrlEncodedFields(query);
}

bool Form::parseMultipart(const QByteArray& boundary, QByteArray body, QString* error)
{
    struct Span {
        qsizetype start;
        qsizetype end;
    };
    QList<Span> spans;
    const QByteArray delimiter = "--" + boundary;
    const QByteArray nextDelimiter = "\r\n" + delimiter;
    qsizetype pos = body.startsWith(delimiter) ? 0 : body.indexOf(nextDelimiter);
    if (pos < 0) {
        if (body.trimmed().isEmpty())
            return true;
        *error = u"Malformed form: boundary not found."_s;
        return false;
    }
    if (pos > 0)
        pos += 2;
    for (;;) {
        pos += delimiter.size();
        if (startsAt(body, pos, "--"))
            break;
        while (pos < body.size() && (body.at(pos) == ' ' || body.at(pos) == '\t'))
            ++pos;
        if (!startsAt(body, pos, "\r\n")) {
            *error = u"Malformed form: bad boundary line."_s;
            return false;
        }
        pos += 2;
        qsizetype dataStart;
        QByteArray head;
        if (startsAt(body, pos, "\r\n")) {
            dataStart = pos + 2;
        } else {
            const qsizetype headEnd = body.indexOf("\r\n\r\n", pos);
            if (headEnd < 0) {
                *error = u"Malformed form: part without a head."_s;
                return false;
            }
            head = body.mid(pos, headEnd - pos);
            dataStart = headEnd + 4;
        }
        const qsizetype next = body.indexOf(nextDelimiter, dataStart);
        if (next < 0) {
            *error = u"Malformed form: unterminated part."_s;
            return false;
        }
        FormField f;
        for (const QByteArray& line : head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name.compare("Content-Disposition", Qt::CaseInsensitive) == 0) {
                f.name = headerParameter(value, "name");
                f.isFile = value.contains("filename=") || value.contains("filename*=");
                f.filename = headerParameter(value, "filename");
            } else if (name.compare("Content-Type", Qt::CaseInsensitive) == 0) {
                f.contentType = value;
            }
        }
        m_fields.append(f);
        spans.append({dataStart, next});
        pos = next + 2;
    }
    // The largest value takes over the body's buffer instead of being copied:
    // fresh memory is what costs most with uploads of many megabytes.
    qsizetype largest = -1;
    for (qsizetype i = 0; i < spans.size(); ++i)
        if (largest < 0 || spans.at(i).end - spans.at(i).start >
                               spans.at(largest).end - spans.at(largest).start)
            largest = i;
    const qsizetype first = m_fields.size() - spans.size();
    for (qsizetype i = 0; i < spans.size(); ++i)
        if (i != largest)
            m_fields[first + i].value = body.mid(spans.at(i).start, spans.at(i).end - spans.at(i).start);
    if (largest >= 0) {
        body.truncate(spans.at(largest).end);
        body.remove(0, spans.at(largest).start);
        m_fields[first + largest].value = std::move(body);
    }
    return true;
}

bool Form::has(const QByteArray& name) const
{
    for (const FormField& f : m_fields)
        if (f.name == name)
            return true;
    return false;
}

QByteArray Form::value(const QByteArray& name) const
{
    for (const FormField& f : m_fields)
        if (f.name == name)
            return f.value;
    return {};
}

} // namespace standin
