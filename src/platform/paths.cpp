#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <dirent.h>

namespace ruvia {

bool isSeparator(QChar c) { return c == u'/' || c == u'\\'; }

QString tsBuildFileName(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    qsizetype start = 0;
    while (start < name.size() && isSeparator(name.at(start)))
        ++start;
    return tsAddBackslash(folder) + name.mid(start);
}

QString tsAddBackslash(const QString& path)
{
    qsizetype end = path.size();
    while (end > 1 && isSeparator(path.at(end - 1)))
        --end;
    QString base = path.left(end);
    if (base.size() == 1 && isSeparator(base.at(0)))
        return base;
    const QChar sep = base.contains(u'\\') && !base.contains(u'/') ? u'\\' : u'/';
    return base + sep;
}

QString tsGetFilePath(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isSeparator(path.at(i)))
            return path.left(i + 1);
    return {};
}

QString tsGetFileName(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isSeparator(path.at(i)))
            return path.mid(i + 1);
    return path;
}

QString tsGetFileExtension(const QString& path)
{
    const QString name = tsGetFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

bool tsIsFileExist(const QString& path)
{
    const QFileInfo fi(path);
    return !path.isEmpty() && fi.exists() && !fi.isDir();
}

bool tsIsDirectoryExist(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool tsCreateComplexDirectory(const QString& path)
{
    if (path.isEmpty())
        return false;
    QDir().mkpath(path);
    return QFileInfo(path).isDir();
}

QString tsGetSpecialFolder(int csidl)
{
    const auto location = csidl == CSIDL_PERSONAL ? QStandardPaths::DocumentsLocation
                                                  : QStandardPaths::GenericDataLocation;
    return QStandardPaths::writableLocation(location);
}

bool tsListFolderFiles(const QString& folder, QStringList& names, QString* error)
{
    names.clear();
    // QDir lists an unreadable folder as an empty one; opening it first tells them apart.
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::closedir(dir);
    names = QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    return true;
}

qint64 tsGetFileSize(const QString& path) { return QFileInfo(path).size(); }
double tsGetFileSizeEx(const QString& path) { return double(QFileInfo(path).size()); }

} // namespace ruvia
