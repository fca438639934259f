#include "platform/log.h"

#include "platform/paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

namespace ruvia {

namespace {
QString g_logPath;
bool g_pathSet = false;
constexpr qint64 kMaxLogBytes = 2 * 1024 * 1024;

void writeLine(const char* level, const QString& text)
{
    const QString path = logFilePath();
    if (path.isEmpty())
        return;
    QFileInfo fi(path);
    QDir().mkpath(fi.absolutePath());
    // Keep one previous generation so the log never grows without bound.
    if (fi.exists() && fi.size() > kMaxLogBytes) {
        QFile::remove(path + QStringLiteral(".old"));
        QFile::rename(path, path + QStringLiteral(".old"));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString line = QStringLiteral("%1 %2 %3\n")
                             .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                                  QLatin1String(level), text);
    file.write(line.toUtf8());
}
} // namespace

QString logFilePath()
{
    if (g_pathSet)
        return g_logPath;
    return tsBuildFileName(tsGetSpecialFolder(CSIDL_APPDATA),
                           QStringLiteral("Corvanel Studios/Ruvia/Ruvia.log"));
}

void setLogFilePath(const QString& path)
{
    g_logPath = path;
    g_pathSet = true;
}

void tsLogWarning(const QString& text) { writeLine("WARNING", text); }
void tsLogError(const QString& text) { writeLine("ERROR", text); }
// Debug lines are frequent (every URL test), so they go to Qt's logging, off
// unless the category "ruvia.debug" is switched on, rather than to the file.
Q_LOGGING_CATEGORY(lcDebug, "ruvia.debug", QtWarningMsg)

void tsDebugPrint(const QString& text) { qCDebug(lcDebug).noquote() << text; }

} // namespace ruvia
