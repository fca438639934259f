#include "core/group.h"
#include "platform/instancelock.h"
#include "platform/settingsstore.h"
#include "lockholder.h"
#include "scriptedprompter.h"
#include "testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>


using namespace ruvia;

namespace {
const QString kGroup = QStringLiteral("Main Blog | mainblog.tumblr.com");
const QString kRefused = QStringLiteral(
    "Can't open this group because it was already opened by another instance. Switch to that "
    "instance of program and use it.");

} // namespace

class TestGroup : public QObject {
    Q_OBJECT
    test::TempProfile profile;

private Q_SLOTS:
    void cleanup()
    {
        ReleaseGroupLock();
        SET_DataPath.clear();
        SET_UploadsPath.clear();
        SET_GroupName.clear();
    }

    void openingSetsValuesCreatesFolderAndLocks()
    {
        test::ScriptedPrompter prompter;
        QVERIFY(OpenGroupFolders(kGroup));
        QCOMPARE(SET_GroupName, QStringLiteral("mainblog.tumblr.com"));
        QCOMPARE(SET_DataPath, GetProgramDataPath() + QStringLiteral("/mainblog.tumblr.com"));
        QCOMPARE(SET_UploadsPath, SET_DataPath + QStringLiteral("/Uploads"));
        QVERIFY(QDir(SET_DataPath).exists());
        QVERIFY(IsGroupLockHeld());
        QVERIFY(prompter.messages().isEmpty());
    }

    // What saves cut short by a crash left behind goes when the group opens
    // again; every other file stays.
    void openingRemovesWhatInterruptedSavesLeft()
    {
        const QString folder = GetGroupDataPath(kGroup);
        const QString config = QFileInfo(SettingsStore::filePath()).absolutePath();
        QDir().mkpath(folder);
        QDir().mkpath(config);
        const QStringList leftovers{QStringLiteral("Links.XML.a1B2c3"), QStringLiteral("Uploads.XML.ZZZZZZ"),
                                    QStringLiteral("Settings.INI.x9y8z7"), QStringLiteral("Tags History.DAT.Qw3rTy"),
                                    QStringLiteral("links.xml.abcdef"), QStringLiteral("12345.1280.JPG.Ab12Cd"),
                                    QStringLiteral("Links.Folded.XML.Mn0pQr")};
        const QStringList kept{QStringLiteral("Links.XML"), QStringLiteral("Links.XML.bak"),
                               QStringLiteral("Links.XML.abc-ef"), QStringLiteral("Links.XML.abcdefg"),
                               QStringLiteral("Notes.TXT.abcdef"), QStringLiteral("12345.1280.JPG"),
                               QStringLiteral("Settings.INI")};
        for (const QString& name : leftovers + kept) {
            QFile f(folder + u'/' + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QFile settingsLeftover(SettingsStore::filePath() + QStringLiteral(".k1l2m3"));
        QVERIFY(settingsLeftover.open(QIODevice::WriteOnly));
        settingsLeftover.close();

        test::ScriptedPrompter prompter;
        QVERIFY(OpenGroupFolders(kGroup));
        QStringList expected = kept;
        expected.sort();
        QCOMPARE(QDir(folder).entryList(QDir::Files), expected);
        QVERIFY(!settingsLeftover.exists());
        for (const QString& name : kept)
            QFile::remove(folder + u'/' + name);
    }

    void dataFolderFailureIsReported()
    {
        // A file where the program's data folder should be: no folder can be made there.
        QDir().mkpath(QFileInfo(GetProgramDataPath()).absolutePath());
        QDir(GetProgramDataPath()).removeRecursively();
        QFile blocker(GetProgramDataPath());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        test::ScriptedPrompter prompter;
        const bool opened = OpenGroupFolders(kGroup);
        QFile::remove(GetProgramDataPath());
        QVERIFY(!opened);
        QCOMPARE(prompter.messages().size(), 1);
        QCOMPARE(prompter.last().text, GetGroupDataPath(kGroup) +
                                           QStringLiteral("\r\n\r\nCan't create or open data folder."));
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        QVERIFY(SET_DataPath.isEmpty());
        QVERIFY(!IsGroupLockHeld());
    }

    void secondProcessIsRefusedUntilHolderDies()
    {
        test::LockHolder other;
        QVERIFY(other.start(GroupLockName(QStringLiteral("mainblog.tumblr.com"))));
        test::ScriptedPrompter prompter;
        QVERIFY(!OpenGroupFolders(kGroup));
        QCOMPARE(prompter.texts(), QStringList{kRefused});
        QCOMPARE(prompter.last().icon(), int(MB_ICONEXCLAMATION));
        QVERIFY(SET_GroupName.isEmpty());

        // Another group is not blocked by it.
        QVERIFY(OpenGroupFolders(QStringLiteral("Side | sideblog.tumblr.com")));
        ReleaseGroupLock();

        // A holder killed without releasing does not block the group for ever.
        other.kill();
        QVERIFY(OpenGroupFolders(kGroup));
        QCOMPARE(prompter.messages().size(), 1);
    }

    void releasedLockIsFreeForOthers()
    {
        test::ScriptedPrompter prompter;
        QVERIFY(OpenGroupFolders(kGroup));
        test::LockHolder other;
        QVERIFY(!other.start(GroupLockName(QStringLiteral("mainblog.tumblr.com"))));
        other.kill();
        ReleaseGroupLock();
        test::LockHolder again;
        QVERIFY(again.start(GroupLockName(QStringLiteral("mainblog.tumblr.com"))));
    }

    void oddGroupNamesStayInsideTheDataFolder()
    {
        for (const QString& entry : {QStringLiteral("x | .."), QStringLiteral("x | a/../../b"),
                                     QStringLiteral("x | c:\\evil")}) {
            const QString path = GetGroupDataPath(entry);
            QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(GetProgramDataPath()).absoluteFilePath());
            const QString lock = InstanceLock::lockFileFor(GroupLockName(GetGroupName(entry)));
            QCOMPARE(QFileInfo(lock).absolutePath(), InstanceLock::lockFolder());
        }
    }
};

int main(int argc, char** argv)
{
    if (const int rc = test::runLockHolder(argc, argv); rc >= 0)
        return rc;
    QCoreApplication app(argc, argv);
    TestGroup test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_group.moc"
