#include "platform/textrules.h"

#include "platform/log.h"
#include "platform/textutil.h"

namespace ruvia {

QString BoolToText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

bool TextToBool(const QString& text, bool def)
{
    const QString t = tsTrimEx(text).toUpper();
    if (t.isEmpty())
        return def;
    return t == u"-1" || t == u"1" || t == u"TRUE";
}

QString NormalizeLineBreaks(const QString& text)
{
    if (text.contains(QStringLiteral("\r\n")))
        return text;
    QString out = text;
    if (text.contains(u'\r'))
        out.replace(u'\r', QStringLiteral("\r\n"));
    else
        out.replace(u'\n', QStringLiteral("\r\n"));
    return out;
}

QString MakeSafeFileName(const QString& text)
{
    QString out = text;
    out.remove(u'#');
    out.remove(u'"');
    out.replace(u'\\', u'-');
    out.replace(u'/', u'-');
    out.replace(u'|', u'-');
    return out;
}

QString MakeWindowTitle(const QString& caption)
{
    QString title = QString::fromUtf16(kAppTitle);
    title.remove(QStringLiteral("Tolvane - "));
    return caption.isEmpty() ? title : title + QStringLiteral(" :: ") + caption;
}

qint32 SafeTextToLong(const QString& text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(v);
}

bool PathIsURL(const QString& path)
{
    const qsizetype colon = path.indexOf(u':');
    if (colon < 2)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = path.at(i);
        const bool ok = (c.unicode() < 128 && c.isLetterOrNumber()) || c == u'+' || c == u'-' ||
                        c == u'.';
        if (!ok)
            return false;
    }
    return true;
}

bool MyPathIsURL(const QString& path)
{
    tsDebugPrint(QStringLiteral("MyPathIsURL() ==> \"%1\"").arg(path));
    if (!PathIsURL(path)) {
        tsDebugPrint(QStringLiteral("MyPathIsURL() ==> PathIsURLW == FALSE"));
        return false;
    }
    if (path.startsWith(QStringLiteral("file://"), Qt::CaseInsensitive))
        return false;
    for (QChar c : path)
        if (c == u'\r' || c == u'\n' || c == u'\t' || c.unicode() == 0)
            return false;
    return true;
}

QString EscapeINIText(const QString& text)
{
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(u'\r', QStringLiteral("\\r"));
    out.replace(u'\n', QStringLiteral("\\n"));
    out.replace(u'\t', QStringLiteral("\\t"));
    out.replace(u'"', QStringLiteral("\\\""));
    out.replace(u'\'', QStringLiteral("\\'"));
    return out;
}

QString UnescapeINIText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar n = text.at(i + 1);
            QChar repl;
            if (n == u'\\')
                repl = u'\\';
            else if (n == u'r')
                repl = u'\r';
            else if (n == u'n')
                repl = u'\n';
            else if (n == u't')
                repl = u'\t';
            else if (n == u'"')
                repl = u'"';
            else if (n == u'\'')
                repl = u'\'';
            if (!repl.isNull()) {
                out.append(repl);
                ++i;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

} // namespace ruvia
