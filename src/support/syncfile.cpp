#include "support/syncfile.h"

#include "base/linkbase.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/filedialogs.h"
#include "platform/inifile.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/waitcursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace ruvia {

namespace {

const QString kSection = QStringLiteral("Recent Directories");
const QString kExportKey = QStringLiteral("Last Export Sync File Directory");
const QString kImportKey = QStringLiteral("Last Import Sync File Directory");
const QString kLinksName = QStringLiteral("Links.XML");

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString archiveError(archive* a)
{
    const char* s = archive_error_string(a);
    return s ? QString::fromUtf8(s) : QStringLiteral("archive error");
}

struct ArchiveWriteFree {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct ArchiveReadFree {
    void operator()(archive* a) const { archive_read_free(a); }
};
struct EntryFree {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

la_ssize_t writeToSaveFile(archive*, void* data, const void* buffer, size_t length)
{
    auto* file = static_cast<QSaveFile*>(data);
    const qint64 n = file->write(static_cast<const char*>(buffer), qint64(length));
    return n == qint64(length) ? la_ssize_t(n) : -1;
}

QString chooseFile(const QString& key, bool save)
{
    const QString settings = GetGroupSettingsFile();
    FileDialogOptions o;
    o.filter = SyncFileFilter();
    if (save)
        o.fileName = DefaultSyncFileName(QDateTime::currentDateTime());
    o.initialFolder = tsReadStringFromINI(kSection, key, QString(), settings);
    const QString path = save ? fileDialogs().ShowSave(o) : fileDialogs().ShowOpen(o);
    if (path.isEmpty())
        return {};
    tsWriteStringToINI(kSection, key, tsGetFilePath(path), settings);
    return path;
}

bool addFile(archive* a, const QString& source, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        setError(error, source + QStringLiteral(": ") + in.errorString());
        return false;
    }
    const QFileInfo info(source);
    std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
    archive_entry_set_pathname_utf8(entry.get(), info.fileName().toUtf8().constData());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), in.size());
    archive_entry_set_mtime(entry.get(), info.lastModified().toSecsSinceEpoch(), 0);
    // Pictures are compressed already; only the base gains from deflating.
    if (info.fileName() == kLinksName)
        archive_write_zip_set_compression_deflate(a);
    else
        archive_write_zip_set_compression_store(a);
    if (archive_write_header(a, entry.get()) != ARCHIVE_OK) {
        setError(error, source + QStringLiteral(": ") + archiveError(a));
        return false;
    }
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0) {
            setError(error, source + QStringLiteral(": ") + in.errorString());
            return false;
        }
        if (n == 0)
            break;
        if (archive_write_data(a, buffer.constData(), size_t(n)) != la_ssize_t(n)) {
            setError(error, source + QStringLiteral(": ") + archiveError(a));
            return false;
        }
        total += n;
    }
    if (total != archive_entry_size(entry.get())) {
        // The file changed size while it was read: the entry would be wrong.
        setError(error, source + QStringLiteral(": the file changed while it was read."));
        return false;
    }
    return archive_write_finish_entry(a) == ARCHIVE_OK;
}

bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(0));
}

} // namespace

QString DefaultSyncFileName(const QDateTime& when)
{
    return QStringLiteral("Ruvia ") + when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")) +
           QStringLiteral(".Sync");
}

QString SyncFileFilter()
{
    return QStringLiteral("Файлы синхронизации (*.Sync)|*.Sync|Все файлы|*.*");
}

QString ChooseExportSyncFile()
{
    return chooseFile(kExportKey, true);
}
QString ChooseImportSyncFile()
{
    return chooseFile(kImportKey, false);
}

void ExportSyncFile()
{
    const QString path = ChooseExportSyncFile();
    if (path.isEmpty())
        return;
    bool ok = false;
    QString error;
    {
        WaitCursor wait;
        ok = WriteSyncFile(path, &error);
    }
    if (ok) {
        MsgBox(joinMessage(
                   {path, QStringLiteral("Данные успешно экспортированы в файл синхронизации.")}),
               MB_ICONINFORMATION);
    } else {
        tsLogError(QStringLiteral("modSyncFileWork::ExportSyncFile() ==> ") + error);
        MsgBox(joinMessage({path, QStringLiteral("Не удалось экспортировать данные в файл "
                                                 "синхронизации. Возможно, он ещё остался на "
                                                 "диске, однако использовать его нельзя.")}),
               MB_ICONCRITICAL);
    }
}

void TestSyncFile()
{
    const QString path = ChooseImportSyncFile();
    if (path.isEmpty())
        return;
    {
        WaitCursor wait;
    }
    MsgBox(joinMessage({path, QStringLiteral("Не удаётся открыть файл синхронизации. Возможно, "
                                             "он повреждён.")}),
           MB_ICONCRITICAL);
}

QStringList SyncFileSources()
{
    const QString links = tsBuildFileName(SET_DataPath, kLinksName);
    if (!tsIsFileExist(links))
        return {};
    QStringList out{links};
    const QDir dir(SET_DataPath);
    const auto filters = QDir::Files | QDir::Hidden | QDir::System;
    for (const char* pattern : {"*.1280.*", "*.250.*"}) {
        const QStringList names =
            dir.entryList({QString::fromLatin1(pattern)}, filters, QDir::Name);
        for (const QString& name : names)
            out.append(tsBuildFileName(SET_DataPath, name));
    }
    return out;
}

bool WriteSyncFile(const QString& path, QString* error)
{
    // Links.XML on disk may lag behind the journal of the open base.
    if (LinksBasePath() == tsBuildFileName(SET_DataPath, kLinksName) && !FoldLinksBase()) {
        setError(error, LinksBasePath() + QStringLiteral(": the link base could not be written."));
        return false;
    }
    const QStringList sources = SyncFileSources();
    if (sources.isEmpty()) {
        setError(error, tsBuildFileName(SET_DataPath, kLinksName) +
                            QStringLiteral(": the link base does not exist."));
        return false;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        setError(error, out.errorString());
        return false;
    }
    std::unique_ptr<archive, ArchiveWriteFree> a(archive_write_new());
    archive_write_set_format_zip(a.get());
    archive_write_set_options(a.get(), "hdrcharset=UTF-8");
    archive_write_set_bytes_in_last_block(a.get(), 1);
    if (archive_write_open(a.get(), &out, nullptr, writeToSaveFile, nullptr) != ARCHIVE_OK) {
        setError(error, archiveError(a.get()));
        out.cancelWriting();
        return false;
    }
    for (const QString& source : sources) {
        if (!addFile(a.get(), source, error)) {
            out.cancelWriting();
            return false;
        }
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK) {
        setError(error, archiveError(a.get()));
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        setError(error, out.errorString());
        return false;
    }
    return true;
}

bool ReadSyncFile(const QString& path,
                  const std::function<bool(const QString& name, const QByteArray& data)>& sink,
                  QString* error)
{
    std::unique_ptr<archive, ArchiveReadFree> a(archive_read_new());
    archive_read_support_format_zip(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(path).constData(), 64 * 1024) !=
        ARCHIVE_OK) {
        setError(error, archiveError(a.get()));
        return false;
    }
    bool sawBase = false;
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK) {
            setError(error, archiveError(a.get()));
            return false;
        }
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const QString name = utf8 ? QString::fromUtf8(utf8) : QString();
        if (!isPlainName(name) || archive_entry_filetype(entry) != AE_IFREG) {
            setError(error, QStringLiteral("Unexpected entry \"%1\".").arg(name));
            return false;
        }
        if (!sawBase && name != kLinksName) {
            setError(error, QStringLiteral("The first entry is not %1.").arg(kLinksName));
            return false;
        }
        sawBase = true;
        QByteArray data;
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int d;
        while ((d = archive_read_data_block(a.get(), &block, &size, &offset)) == ARCHIVE_OK) {
            if (offset != data.size())
                data.resize(qsizetype(offset), '\0');
            data.append(static_cast<const char*>(block), qsizetype(size));
        }
        if (d != ARCHIVE_EOF) {
            setError(error, archiveError(a.get()));
            return false;
        }
        if (!sink(name, data))
            return true;
    }
    if (!sawBase) {
        setError(error, QStringLiteral("The file holds no %1.").arg(kLinksName));
        return false;
    }
    return true;
}

} // namespace ruvia
