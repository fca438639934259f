#include "scriptedprompter.h"
#include "testenv.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/inifile.h"
#include "platform/textrules.h"
#include "support/findsettings.h"

#include <QDir>
#include <QTest>

using namespace ruvia;

class TestFindSettings : public QObject {
    Q_OBJECT
    test::TempProfile profile;

    void useGroup(const QString& name)
    {
        SET_DataPath = profile.root() + u'/' + name;
        QDir().mkpath(SET_DataPath);
    }
    static QString stored(const QString& key)
    {
        return tsReadStringFromINI(QStringLiteral("Search Settings"), key, QStringLiteral("<none>"),
                                   GetGroupSettingsFile());
    }

  private Q_SLOTS:
    void firstUse()
    {
        test::ScriptedPrompter prompter;
        useGroup(QStringLiteral("first"));
        FindDialogLogic logic;
        const FindDialogState s = logic.Load();
        QVERIFY(s.history.isEmpty());
        QCOMPARE(s.currentIndex, -1);
        QVERIFY(s.text.isEmpty());
        QVERIFY(!s.caseSensitive);
        QCOMPARE(s.searchType, qint32(SearchSimple));
        QVERIFY(!FindDialogLogic::IsOkEnabled(s.text));
        QVERIFY(FindDialogLogic::IsOkEnabled(QStringLiteral(" ")));
        QVERIFY(prompter.messages().isEmpty());
    }

    void acceptStoresHistoryAndChoices()
    {
        test::ScriptedPrompter prompter;
        useGroup(QStringLiteral("accept"));
        {
            FindDialogLogic logic;
            logic.Load();
            logic.Accept(QStringLiteral("dog"), false, SearchSimple);
        }
        {
            FindDialogLogic logic;
            QCOMPARE(logic.Load().text, QStringLiteral("dog"));
            logic.Accept(QStringLiteral("  cat "), true, SearchRegExp);
        }
        // The history holds the text trimmed; the index points at no entry equal
        // to the untrimmed text, so it is 0.
        QCOMPARE(stored(QStringLiteral("Last Search String Index")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("Search Type")), QStringLiteral("2"));
        QCOMPARE(TextToBool(stored(QStringLiteral("Case Sensitive")), false), true);
        FindDialogLogic logic;
        FindDialogState s = logic.Load();
        QCOMPARE(s.history, QStringList({QStringLiteral("dog"), QStringLiteral("cat")}));
        QCOMPARE(s.currentIndex, 0);
        QCOMPARE(s.text, QStringLiteral("dog"));
        QVERIFY(s.caseSensitive);
        QCOMPARE(s.searchType, qint32(SearchRegExp));
        // The search itself runs with the text as typed.
        QCOMPARE(FindDialogLogic::Request(QStringLiteral("  cat "), true, SearchRegExp).text,
                 QStringLiteral("  cat "));

        // An entry that equals the text, letter case aside, gives its position.
        logic.Accept(QStringLiteral("CAT"), false, SearchMasks);
        s = FindDialogLogic().Load();
        QCOMPARE(s.history.size(), 2);
        QCOMPARE(s.currentIndex, 1);
        QCOMPARE(s.text, QStringLiteral("cat"));
        QVERIFY(!s.caseSensitive);
        QCOMPARE(s.searchType, qint32(SearchMasks));
        QVERIFY(prompter.messages().isEmpty());
    }

    void storedValuesOutOfRange_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<int>("expectedType");
        QTest::newRow("none selected") << "-1"
                                       << "1" << -1 << 1;
        QTest::newRow("last") << "2"
                              << "2" << 2 << 2;
        QTest::newRow("past the end") << "3"
                                      << "3" << 0 << 0;
        QTest::newRow("negative") << "-5"
                                  << "-1" << 0 << 0;
        QTest::newRow("garbage") << "x"
                                 << "y" << 0 << 0;
    }
    void storedValuesOutOfRange()
    {
        QFETCH(QString, index);
        QFETCH(QString, type);
        QFETCH(int, expectedIndex);
        QFETCH(int, expectedType);
        useGroup(QStringLiteral("range_") +
                 QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
        {
            FindDialogLogic logic;
            logic.Accept(QStringLiteral("a"), false, 0);
            logic.Accept(QStringLiteral("b"), false, 0);
            logic.Accept(QStringLiteral("c"), false, 0);
        }
        const QString file = GetGroupSettingsFile();
        tsWriteStringToINI(QStringLiteral("Search Settings"),
                           QStringLiteral("Last Search String Index"), index, file);
        tsWriteStringToINI(QStringLiteral("Search Settings"), QStringLiteral("Search Type"), type,
                           file);
        const FindDialogState s = FindDialogLogic().Load();
        QCOMPARE(s.currentIndex, expectedIndex);
        QCOMPARE(s.text, expectedIndex < 0 ? QString() : s.history.at(expectedIndex));
        QCOMPARE(s.searchType, qint32(expectedType));
    }

    void settingsBelongToTheGroup()
    {
        useGroup(QStringLiteral("one"));
        FindDialogLogic().Accept(QStringLiteral("only here"), true, SearchMasks);
        useGroup(QStringLiteral("two"));
        const FindDialogState s = FindDialogLogic().Load();
        QVERIFY(s.history.isEmpty());
        QVERIFY(!s.caseSensitive);
        QCOMPARE(s.searchType, qint32(SearchSimple));
    }
};

QTEST_GUILESS_MAIN(TestFindSettings)
#include "test_findsettings.moc"
