#include "scriptedprompter.h"
#include "support/history.h"
#include "testenv.h"

#include "core/group.h"
#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace ruvia;

class TestHistory : public QObject {
    Q_OBJECT
    test::TempProfile profile;

    QString folder() const { return profile.root() + QStringLiteral("/group"); }

    static QByteArray readRaw(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private Q_SLOTS:
    void loadSkipsEmptyPiecesAndKeepsDuplicates()
    {
        test::ScriptedPrompter prompter;
        CHistory h;
        h.InitFileName(folder(), QStringLiteral("History.DAT"));
        QVERIFY(FileObject::writeText(h.FileName(), QString::fromUtf16(u"a\0\0  b  \0A", 10)));
        h.LoadHistory();
        QCOMPARE(h.Entries(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("A")}));
        QCOMPARE(h.Item(0), QStringLiteral("a"));

        h.Add(QStringLiteral(" A "));
        h.Add(QStringLiteral("   "));
        h.Add(QStringLiteral(" d"));
        QCOMPARE(h.Count(), 4);
        h.SaveHistory();
        QCOMPARE(readRaw(h.FileName()), QByteArray("a\0b\0A\0d", 7));
        QVERIFY(prompter.messages().isEmpty());
    }

    void addKeepsFirstSpellingAndOrder()
    {
        CHistory h;
        h.Add(QStringLiteral("Mail@Example.org"));
        h.Add(QStringLiteral("other"));
        h.Add(QStringLiteral("mail@example.ORG "));
        QCOMPARE(h.Entries(), QStringList({QStringLiteral("Mail@Example.org"), QStringLiteral("other")}));
    }

    void lineBreaksAndTabsAreTrimmed_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("entries");
        const QChar nul(u'\0');
        QTest::newRow("hand-edited file, CR LF and tabs around pieces")
            << (QStringLiteral("\r\nfirst\r\n") + nul + QStringLiteral("\tsecond \t") + nul + QStringLiteral("\r\n"))
            << QStringList() << QStringList({QStringLiteral("first"), QStringLiteral("second")});
        QTest::newRow("piece of only breaks and blanks is no entry")
            << (QStringLiteral("\r\n\t \v\f") + nul + QStringLiteral("x")) << QStringList()
            << QStringList{QStringLiteral("x")};
        QTest::newRow("caption with a trailing break is no near-duplicate")
            << QStringLiteral("Sunset") << QStringList{QStringLiteral("Sunset\r\n")}
            << QStringList{QStringLiteral("Sunset")};
        QTest::newRow("letter case and breaks together")
            << QStringLiteral("Cat") << QStringList{QStringLiteral("\ncAT\t")} << QStringList{QStringLiteral("Cat")};
        QTest::newRow("typed text is cut at both ends, inner breaks kept")
            << QString() << QStringList{QStringLiteral("\t\r\n line one\r\nline two \r\n")}
            << QStringList{QStringLiteral("line one\r\nline two")};
        QTest::newRow("only a line break typed")
            << QString() << QStringList{QStringLiteral("\r\n\r\n")} << QStringList();
    }
    void lineBreaksAndTabsAreTrimmed()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, entries);
        test::ScriptedPrompter prompter;
        CHistory h;
        h.InitFileName(folder(), QStringLiteral("Trim.DAT"));
        QVERIFY(FileObject::writeText(h.FileName(), stored));
        h.LoadHistory();
        for (const QString& text : typed)
            h.Add(text);
        QCOMPARE(h.Entries(), entries);
        h.SaveHistory();
        CHistory back;
        back.InitFileName(folder(), QStringLiteral("Trim.DAT"));
        back.LoadHistory();
        QCOMPARE(back.Entries(), entries);
        QVERIFY(prompter.messages().isEmpty());
    }

    void emptyHistoryRoundTripAndMissingFile()
    {
        test::ScriptedPrompter prompter;
        CHistory h;
        h.InitFileName(folder(), QStringLiteral("Empty.DAT"));
        h.SaveHistory();
        QCOMPARE(readRaw(h.FileName()), QByteArray());
        h.LoadHistory();
        QCOMPARE(h.Count(), 0);

        CHistory missing;
        missing.InitFileName(folder(), QStringLiteral("Never written.DAT"));
        missing.Add(QStringLiteral("typed before load"));
        missing.LoadHistory();
        QCOMPARE(missing.Count(), 0);
        QVERIFY(prompter.messages().isEmpty());
    }

    void unicodeAndNulSurviveRoundTrip()
    {
        CHistory h;
        h.InitFileName(folder(), QStringLiteral("Unicode.DAT"));
        h.Add(QStringLiteral("Подпись ✓"));
        h.Add(QStringLiteral("tags, \"quoted\""));
        h.SaveHistory();
        CHistory back;
        back.InitFileName(folder(), QStringLiteral("Unicode.DAT"));
        back.LoadHistory();
        QCOMPARE(back.Entries(), h.Entries());
    }

    void defaultFolderIsProgramDataFolder()
    {
        CHistory h;
        h.InitFileName(QString(), QStringLiteral("E-Mail History.DAT"));
        QCOMPARE(h.FileName(), GetProgramDataPath() + QStringLiteral("/E-Mail History.DAT"));
        QVERIFY(QDir(GetProgramDataPath()).exists());
    }

    void noPathIsReported()
    {
        test::ScriptedPrompter prompter;
        CHistory h;
        h.Add(QStringLiteral("kept"));
        h.LoadHistory();
        h.SaveHistory();
        QCOMPARE(prompter.texts(), QStringList(2, QStringLiteral("History file not defined.")));
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        QCOMPARE(h.Count(), 1);
    }

    void unreadableAndUnwritableFilesAreReported()
    {
        test::ScriptedPrompter prompter;
        CHistory h;
        h.InitFileName(folder(), QStringLiteral("Locked.DAT"));
        h.Add(QStringLiteral("x"));
        h.SaveHistory();
        QFile::setPermissions(h.FileName(), QFile::Permissions());
        QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                            QFile::ExeOther);
        const bool ran = test::runUnprivileged([&] {
            h.LoadHistory();
            h.SaveHistory();
            return true;
        });
        QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(ran);
        QCOMPARE(prompter.messages().size(), 2);
        QVERIFY(prompter.messages().at(0).text.startsWith(QStringLiteral("Can't load history.")));
        QVERIFY(prompter.messages().at(1).text.startsWith(QStringLiteral("Can't save history.")));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
