#include "scriptedfiledialogs.h"
#include "scriptedprompter.h"
#include "testenv.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "platform/filedialogs.h"
#include "platform/fileio.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/waitcursor.h"
#include "support/syncfile.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <archive.h>
#include <archive_entry.h>

using namespace ruvia;

namespace {

const QString kExported = QStringLiteral("Данные успешно экспортированы в файл синхронизации.");
const QString kExportFailed = QStringLiteral(
    "Не удалось экспортировать данные в файл синхронизации. Возможно, он ещё остался на диске, "
    "однако использовать его нельзя.");
const QString kCantOpen =
    QStringLiteral("Не удаётся открыть файл синхронизации. Возможно, он повреждён.");
const QString kCrLf2 = QStringLiteral("\r\n\r\n");

using Entries = QList<QPair<QByteArray, QByteArray>>;

QMap<QString, QByteArray> readBack(const QString& path, QStringList* order = nullptr,
                                   bool* ok = nullptr)
{
    QMap<QString, QByteArray> out;
    QString error;
    const bool r = ReadSyncFile(
        path,
        [&](const QString& name, const QByteArray& data) {
            out.insert(name, data);
            if (order)
                order->append(name);
            return true;
        },
        &error);
    if (ok)
        *ok = r;
    return out;
}

// A zip written directly, to feed the reader what an export never writes.
bool writeZip(const QString& path, const Entries& entries)
{
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    bool ok = archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const auto& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.first.constData());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, e.second.size());
        ok = ok && archive_write_header(a, entry) == ARCHIVE_OK;
        ok = ok && archive_write_data(a, e.second.constData(), size_t(e.second.size())) ==
                       e.second.size();
        archive_entry_free(entry);
    }
    ok = ok && archive_write_close(a) == ARCHIVE_OK;
    archive_write_free(a);
    return ok;
}

} // namespace

class TestSyncFiles : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QTemporaryDir work;
    QList<bool> cursor;

    QString groupFolder(const QString& name) const
    {
        return work.path() + QStringLiteral("/groups/") + name;
    }
    QString outFolder() const { return work.path() + QStringLiteral("/out"); }

    // A group with a link base and files of every kind beside it.
    QMap<QString, QByteArray> makeGroup(const QString& name)
    {
        SET_DataPath = groupFolder(name);
        SET_GroupName = name;
        QDir().mkpath(SET_DataPath);
        QFile::remove(tsBuildFileName(SET_DataPath, QStringLiteral("Links.XML")));
        test::ScriptedPrompter quiet;
        [&] { QVERIFY(OpenLinksBase()); }();
        AddLink(QStringLiteral("42"), QStringLiteral("фото.jpg"), QStringLiteral("me"));
        FoldLinksBase();
        QMap<QString, QByteArray> expected;
        QByteArray links;
        FileObject::readBytes(LinksBasePath(), links);
        expected.insert(QStringLiteral("Links.XML"), links);
        QByteArray big(3 * 1024 * 1024 + 17, '\0');
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = char((i * 131) ^ (i >> 9));
        const QMap<QString, QByteArray> pictures = {
            {QStringLiteral("42.1280.JPG"), big},
            {QStringLiteral("42.250.JPG"), QByteArray("thumb\0bytes", 11)},
            {QStringLiteral("7.1280.PNG"), QByteArray()},
            {QStringLiteral(".9.250.GIF"), QByteArray("hidden")},
        };
        for (auto it = pictures.begin(); it != pictures.end(); ++it) {
            FileObject::writeBytes(tsBuildFileName(SET_DataPath, it.key()), it.value());
            expected.insert(it.key(), it.value());
        }
        for (const char* other :
             {"42.500.JPG", "Settings.INI", "Uploads.XML", "42.1280", "x.2500.JPG"})
            FileObject::writeBytes(tsBuildFileName(SET_DataPath, QString::fromLatin1(other)),
                                   "other");
        QDir(SET_DataPath).mkpath(QStringLiteral("sub.1280.d"));
        return expected;
    }

  private Q_SLOTS:
    void initTestCase()
    {
        QDir().mkpath(outFolder());
        setWaitCursorHandler([this](bool on) { cursor.append(on); });
    }
    void init() { cursor.clear(); }

    void defaultNameAndFilter()
    {
        QCOMPARE(DefaultSyncFileName(QDateTime(QDate(2009, 5, 14), QTime(21, 3, 7))),
                 QStringLiteral("Ruvia 2009-05-14 21-03-07.Sync"));
        QCOMPARE(DefaultSyncFileName(QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5))),
                 QStringLiteral("Ruvia 2010-01-02 03-04-05.Sync"));
        QCOMPARE(SyncFileFilter(),
                 QStringLiteral("Файлы синхронизации (*.Sync)|*.Sync|Все файлы|*.*"));
        QCOMPARE(FilterToNameFilters(SyncFileFilter()),
                 QStringList({QStringLiteral("Файлы синхронизации (*.Sync)"),
                              QStringLiteral("Все файлы (*.*)")}));
    }

    void exportReadsBackWhole()
    {
        const QMap<QString, QByteArray> expected = makeGroup(QStringLiteral("a.example.com"));
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        const QString path = outFolder() + QStringLiteral("/first.Sync");
        dialogs.queue(path);
        ExportSyncFile();

        QCOMPARE(dialogs.shown().size(), 1);
        const auto shown = dialogs.last();
        QVERIFY(shown.save);
        QCOMPARE(shown.options.filter, SyncFileFilter());
        QVERIFY(shown.options.initialFolder.isEmpty());
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^Ruvia \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.Sync$"))
                     .match(shown.options.fileName)
                     .hasMatch(),
                 qPrintable(shown.options.fileName));
        QCOMPARE(prompter.texts(), QStringList{path + kCrLf2 + kExported});
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));
        QCOMPARE(cursor, QList<bool>({true, false}));

        QStringList order;
        bool ok = false;
        QCOMPARE(readBack(path, &order, &ok), expected);
        QVERIFY(ok);
        QCOMPARE(order, QStringList({QStringLiteral("Links.XML"), QStringLiteral("42.1280.JPG"),
                                     QStringLiteral("7.1280.PNG"), QStringLiteral(".9.250.GIF"),
                                     QStringLiteral("42.250.JPG")}));
        // No temporary file is left beside it.
        QCOMPARE(QDir(outFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("first.Sync")});
    }

    void rememberedFoldersPerCommandAndGroup()
    {
        makeGroup(QStringLiteral("b.example.com"));
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        const QString folder = outFolder() + QStringLiteral("/remembered");
        QDir().mkpath(folder);

        // A cancelled choice changes nothing and says nothing.
        dialogs.queue(QString());
        QVERIFY(ChooseExportSyncFile().isEmpty());
        QVERIFY(tsReadStringFromINI(QStringLiteral("Recent Directories"),
                                    QStringLiteral("Last Export Sync File Directory"),
                                    QStringLiteral("<none>"), GetGroupSettingsFile()) == u"<none>");
        dialogs.queue(folder + QStringLiteral("/b.Sync"));
        QCOMPARE(ChooseExportSyncFile(), folder + QStringLiteral("/b.Sync"));
        dialogs.queue(QString());
        ExportSyncFile();
        QCOMPARE(QDir(dialogs.last().options.initialFolder).absolutePath(), folder);
        // Only the export opens there.
        dialogs.queue(QString());
        TestSyncFile();
        QVERIFY(!dialogs.last().save);
        QVERIFY(dialogs.last().options.initialFolder.isEmpty());
        QVERIFY(dialogs.last().options.fileName.isEmpty());
        QCOMPARE(dialogs.last().options.filter, SyncFileFilter());
        QVERIFY(prompter.messages().isEmpty());
        QVERIFY(cursor.isEmpty());

        // Another group starts from its own keys.
        makeGroup(QStringLiteral("c.example.com"));
        dialogs.queue(QString());
        ExportSyncFile();
        QVERIFY(dialogs.last().options.initialFolder.isEmpty());
    }

    void testCommandAlwaysReportsDamage()
    {
        makeGroup(QStringLiteral("d.example.com"));
        const QString good = outFolder() + QStringLiteral("/good.Sync");
        QVERIFY(WriteSyncFile(good));
        const QString folder = outFolder() + QStringLiteral("/tested");
        QDir().mkpath(folder);
        const QString junk = folder + QStringLiteral("/junk.Sync");
        QVERIFY(FileObject::writeBytes(junk, "junk"));

        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        for (const QString& path : {good, junk}) {
            dialogs.queue(path);
            TestSyncFile();
            QCOMPARE(prompter.last().text, path + kCrLf2 + kCantOpen);
            QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        }
        QCOMPARE(cursor, QList<bool>({true, false, true, false}));
        dialogs.queue(QString());
        TestSyncFile();
        QCOMPARE(QDir(dialogs.last().options.initialFolder).absolutePath(), folder);
        QCOMPARE(prompter.messages().size(), 2);
    }

    void exportWithoutLinkBaseFails()
    {
        makeGroup(QStringLiteral("e.example.com"));
        QVERIFY(QFile::remove(LinksBasePath()));
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        const QString path = outFolder() + QStringLiteral("/nobase.Sync");
        dialogs.queue(path);
        ExportSyncFile();
        QCOMPARE(prompter.texts(), QStringList{path + kCrLf2 + kExportFailed});
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        QCOMPARE(cursor, QList<bool>({true, false}));
        QVERIFY(!QFile::exists(path));
    }

    void exportCarriesChangesNotYetFolded()
    {
        makeGroup(QStringLiteral("j.example.com"));
        AddLink(QStringLiteral("43"), QStringLiteral("journalled.jpg"), QStringLiteral("me"));
        QVERIFY(SaveLinksBase());
        const QString path = outFolder() + QStringLiteral("/journal.Sync");
        QVERIFY(WriteSyncFile(path));
        QVERIFY(readBack(path, nullptr, nullptr).value(QStringLiteral("Links.XML")).contains("journalled.jpg"));
    }

    void failedExportKeepsThePreviousFile()
    {
        makeGroup(QStringLiteral("f.example.com"));
        const QString path = outFolder() + QStringLiteral("/again.Sync");
        QVERIFY(WriteSyncFile(path));
        const QByteArray before = [&] {
            QByteArray b;
            FileObject::readBytes(path, b);
            return b;
        }();

        // A picture that cannot be read breaks the export half-way.
        const QString unreadable = tsBuildFileName(SET_DataPath, QStringLiteral("8.1280.JPG"));
        QVERIFY(FileObject::writeBytes(unreadable, "secret"));
        QVERIFY(QFile::setPermissions(unreadable, QFileDevice::Permissions()));
        const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadOther | QFileDevice::ExeOther;
        for (const QString& dir :
             {work.path(), work.path() + QStringLiteral("/groups"), SET_DataPath})
            QFile::setPermissions(dir, open);
        QFile::setPermissions(outFolder(), open | QFileDevice::WriteOther);

        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        dialogs.queue(path);
        QString error;
        QVERIFY(test::runUnprivileged([&] {
            ExportSyncFile();
            return !WriteSyncFile(path, &error);
        }));
        QVERIFY2(error.contains(QStringLiteral("8.1280.JPG")), qPrintable(error));
        QFile::setPermissions(unreadable, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::remove(unreadable);

        QCOMPARE(prompter.texts(), QStringList{path + kCrLf2 + kExportFailed});
        QByteArray after;
        QVERIFY(FileObject::readBytes(path, after));
        QCOMPARE(after, before);
        bool ok = false;
        QVERIFY(readBack(path, nullptr, &ok).contains(QStringLiteral("42.1280.JPG")));
        QVERIFY(ok);
        const QStringList left =
            QDir(outFolder()).entryList({QStringLiteral("again*")}, QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList{QStringLiteral("again.Sync")});
    }

    void readerRejectsForeignFiles_data()
    {
        QTest::addColumn<Entries>("entries");
        using E = Entries;
        QTest::newRow("parent path") << E{{"Links.XML", "<Links/>"}, {"../evil.1280.JPG", "x"}};
        QTest::newRow("sub folder") << E{{"Links.XML", "<Links/>"}, {"a/b.250.JPG", "x"}};
        QTest::newRow("absolute") << E{{"Links.XML", "<Links/>"}, {"/tmp/x.250.JPG", "x"}};
        QTest::newRow("no base first") << E{{"1.250.JPG", "x"}, {"Links.XML", "<Links/>"}};
        QTest::newRow("empty archive") << E{};
    }
    void readerRejectsForeignFiles()
    {
        QFETCH(Entries, entries);
        const QString path = outFolder() + QStringLiteral("/foreign.zip");
        QFile::remove(path);
        QVERIFY(writeZip(path, entries));
        bool ok = true;
        readBack(path, nullptr, &ok);
        QVERIFY(!ok);
    }

    void readerRejectsDamage()
    {
        makeGroup(QStringLiteral("g.example.com"));
        const QString path = outFolder() + QStringLiteral("/damaged.Sync");
        QVERIFY(WriteSyncFile(path));
        QByteArray bytes;
        QVERIFY(FileObject::readBytes(path, bytes));
        bool ok = true;
        // Cut inside the first entry's data.
        QVERIFY(FileObject::writeBytes(path, bytes.left(200)));
        readBack(path, nullptr, &ok);
        QVERIFY(!ok);
        QVERIFY(FileObject::writeBytes(path, "not a zip at all"));
        ok = true;
        readBack(path, nullptr, &ok);
        QVERIFY(!ok);
    }
};

QTEST_GUILESS_MAIN(TestSyncFiles)
#include "test_syncfile.moc"
