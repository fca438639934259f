#include "platform/textutil.h"

#include <QHostInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QUuid>
#include <QtMath>

#include <pwd.h>
#include <unistd.h>

namespace ruvia {

namespace {
bool isBreakOrSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == 0x0B || u == 0x0C ||
           u == 0;
}

template <typename Pred> QString trimBy(const QString& text, Pred cut)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && cut(text.at(first)))
        ++first;
    while (last > first && cut(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}
} // namespace

QString tsTrimEx(const QString& text)
{
    return trimBy(text, [](QChar c) { return c == u' '; });
}

QString tsTrimEx2(const QString& text) { return trimBy(text, isBreakOrSpace); }

QString tsTrimCRLF(const QString& text)
{
    return trimBy(text, [](QChar c) { return c == u'\r' || c == u'\n'; });
}

QString tsCutLeft(const QString& text, int n) { return n <= 0 ? text : text.mid(n); }

QString tsCutRight(const QString& text, int n)
{
    return n <= 0 ? text : text.left(qMax<qsizetype>(0, text.size() - n));
}

QString tsGetLineOnly(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text.at(i) == u'\r' || text.at(i) == u'\n')
            return text.left(i);
    return text;
}

QByteArray tsUNICODEToUTF8(const QString& text) { return text.toUtf8(); }
QString tsUTF8ToUNICODE(const QByteArray& bytes) { return QString::fromUtf8(bytes); }

QString tsHex1(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

int tsGetRnd(int low, int high)
{
    if (high < low)
        std::swap(low, high);
    return int(QRandomGenerator::global()->bounded(qint64(low), qint64(high) + 1));
}

QString tsGetNewGUID() { return QUuid::createUuid().toString(QUuid::WithBraces).toUpper(); }

QString tsFormatByteSizeEx(double bytes)
{
    if (bytes < 1024.0)
        return QStringLiteral("%1 bytes").arg(qint64(bytes));
    static const char* const units[] = {"KB", "MB", "GB", "TB", "PB"};
    double value = bytes / 1024.0;
    int unit = 0;
    while (value >= 1000.0 && unit < 4) {
        value /= 1024.0;
        ++unit;
    }
    // Three significant digits, truncated rather than rounded so that a figure
    // never claims more than was transferred.
    const int decimals = value < 10.0 ? 2 : value < 100.0 ? 1 : 0;
    const double scale = std::pow(10.0, decimals);
    const double shown = std::floor(value * scale) / scale;
    return QStringLiteral("%1 %2").arg(shown, 0, 'f', decimals).arg(QLatin1String(units[unit]));
}

QString tsFormatByteSize(qint64 bytes) { return tsFormatByteSizeEx(double(bytes)); }

QString tsFormatVersion(int major, int minor, int revision)
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString tsGetFullUserName(bool atFormat)
{
    QString user = qEnvironmentVariable("USER");
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
        user = QString::fromLocal8Bit(pw->pw_name);
    QString host = QHostInfo::localHostName();
    if (host.isEmpty())
        host = QSysInfo::machineHostName();
    return atFormat ? user + u'@' + host : host + u'\\' + user;
}

qint32 tsMakeLong(quint16 low, quint16 high) { return qint32(quint32(high) << 16 | low); }
quint16 tsLoWord(qint32 value) { return quint16(quint32(value) & 0xFFFF); }

namespace {
// Windows-1252 bytes 0x80..0x9F; the unassigned ones map to themselves.
const char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

QByteArray toAnsi(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i)
            if (cp1252High[i] == u) {
                b = char(0x80 + i);
                break;
            }
        out.append(b);
    }
    return out;
}

QString fromAnsi(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = quint8(c);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(cp1252High[b - 0x80]) : QChar(char16_t(b)));
    }
    return out;
}

} // namespace ruvia
