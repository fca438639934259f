#include "platform/fileio.h"
#include "testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace ruvia;

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Child mode, run inside a fresh mount of a tiny tmpfs: write a small file,
// then try to replace it with one that does not fit, and report what is left.
int fullDiskChild(const QString& dir, bool sync)
{
    const QString path = dir + QStringLiteral("/Links.XML");
    if (!FileObject::writeBytes(path, "old content"))
        return 3;
    QString error;
    WriteOptions options;
    options.syncToDisk = sync;
    const bool wrote = FileObject::writeBytes(path, QByteArray(4 * 1024 * 1024, 'x'), &error, options);
    std::printf("%s|%s|%d\n", wrote ? "wrote" : "failed", readAll(path).constData(),
                int(QDir(dir).entryList(QDir::Files | QDir::Hidden).size()));
    return 0;
}
} // namespace

class TestFileIo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveLockIsExclusiveAndDiesWithItsHolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Ruvia.ini"));
        {
            SaveLock first(path);
            QVERIFY(first.isHeld());
            QVERIFY(!SaveLock(path, 50).isHeld());
        }
        QVERIFY(SaveLock(path, 50).isHeld());

        // A holder killed while it holds the lock leaves nothing that blocks.
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            SaveLock held(path);
            const char c = held.isHeld() ? 'y' : 'n';
            (void)!::write(ready[1], &c, 1);
            ::pause();
            ::_exit(0);
        }
        char c = 0;
        QCOMPARE(::read(ready[0], &c, 1), ssize_t(1));
        QCOMPARE(c, 'y');
        QVERIFY(!SaveLock(path, 50).isHeld());
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        QVERIFY(SaveLock(path, 50).isHeld());
        ::close(ready[0]);
        ::close(ready[1]);
    }

    void roundTripBytesAndText()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.bin"));
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(char(i));
        QVERIFY(FileObject::writeBytes(path, bytes));
        QByteArray back;
        QVERIFY(FileObject::readBytes(path, back));
        QCOMPARE(back, bytes);
        // A text that itself starts with U+FEFF is not mistaken for one with a mark.
        for (const QString& text : {QString::fromUtf16(u"a\0b ✓", 5), QStringLiteral("\uFEFF\uFEFFx"),
                                    QStringLiteral("\uFEFF")}) {
            QVERIFY(FileObject::writeText(path, text));
            QString textBack;
            QVERIFY(FileObject::readText(path, textBack));
            QCOMPARE(textBack, text);
        }
        QString error;
        QVERIFY(!FileObject::readBytes(dir.filePath(QStringLiteral("missing")), back, &error));
        QVERIFY(!error.isEmpty());
    }

    // Both ways of writing: waited for on the disk, and not.
    static void syncRows()
    {
        QTest::addColumn<bool>("sync");
        QTest::newRow("synced") << true;
        QTest::newRow("unsynced") << false;
    }

    void replacesAndKeepsPermissions_data() { syncRows(); }
    void replacesAndKeepsPermissions()
    {
        QFETCH(bool, sync);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("1.250.JPG"));
        QVERIFY(FileObject::writeBytes(path, "old"));
        const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, perms));
        WriteOptions options;
        options.syncToDisk = sync;
        QVERIFY(FileObject::writeBytes(path, "new", nullptr, options));
        QCOMPARE(readAll(path), QByteArray("new"));
        QCOMPARE(QFile::permissions(path) & 0x7077, perms);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("1.250.JPG")});
    }

    void failedSaveInReadOnlyFolderKeepsPreviousFile_data() { syncRows(); }
    void failedSaveInReadOnlyFolderKeepsPreviousFile()
    {
        QFETCH(bool, sync);
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
        const QString folder = dir.filePath(QStringLiteral("group"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/Links.XML");
        QVERIFY(FileObject::writeBytes(path, "previous"));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                          QFile::ExeOther);
        QString error;
        WriteOptions options;
        options.syncToDisk = sync;
        const bool wrote = test::runUnprivileged(
            [&] { return FileObject::writeBytes(path, "new content", &error, options); });
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!wrote);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), QByteArray("previous"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Links.XML")});
    }

    void fullDiskKeepsPreviousFile_data() { syncRows(); }
    void fullDiskKeepsPreviousFile()
    {
        QFETCH(bool, sync);
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty())
            QSKIP("unshare is not available");
        QTemporaryDir dir;
        const QString script = QStringLiteral("mount -t tmpfs -o size=256k ruvia-full \"$1\" && exec \"$2\" --full-disk-child \"$1\" \"$3\"");
        QProcess p;
        p.start(unshare, {QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                          QStringLiteral("sh"), dir.path(), QCoreApplication::applicationFilePath(),
                          sync ? QStringLiteral("sync") : QStringLiteral("nosync")});
        QVERIFY(p.waitForFinished(30000));
        if (p.exitCode() != 0 && p.readAllStandardOutput().isEmpty())
            QSKIP(qPrintable(QStringLiteral("no private tmpfs mount here: ") +
                             QString::fromLocal8Bit(p.readAllStandardError())));
        QCOMPARE(p.readAllStandardOutput().trimmed(), QByteArray("failed|old content|1"));
    }
};

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--full-disk-child") == 0) {
        QCoreApplication app(argc, argv);
        return fullDiskChild(QString::fromLocal8Bit(argv[2]), std::strcmp(argv[3], "sync") == 0);
    }
    QCoreApplication app(argc, argv);
    TestFileIo test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_fileio.moc"
