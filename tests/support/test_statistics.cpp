#include "scriptedprompter.h"
#include "support/statistics.h"
#include "testenv.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/inifile.h"
#include "platform/textutil.h"

#include <QDir>
#include <QTest>

using namespace ruvia;

class TestStatistics : public QObject {
    Q_OBJECT
    test::TempProfile profile;

private Q_SLOTS:
    void init()
    {
        SET_DataPath = profile.root() + QStringLiteral("/group-") + QString::number(++m_n);
        QDir().mkpath(SET_DataPath);
    }

    void missingSectionStartsAtZeroAndIsWrittenOnRelease()
    {
        {
            CStatistics s;
            QCOMPARE(s.TotalSentBytes, 0);
            QCOMPARE(s.TotalReceivedBytes, 0);
            s.AddSentBytes(100);
            s.AddReceivedBytes(250);
        }
        IniFile ini;
        QVERIFY(ini.load(GetGroupSettingsFile()));
        QCOMPARE(ini.value(QStringLiteral("Statistics"), QStringLiteral("Total sent bytes")), QStringLiteral("100"));
        QCOMPARE(ini.value(QStringLiteral("Statistics"), QStringLiteral("Total received bytes")), QStringLiteral("250"));
        CStatistics again;
        QCOMPARE(again.TotalSentBytes, 100);
        QCOMPARE(again.CurrentSentBytes, 0);
    }

    void overflowIsDroppedPerCounter()
    {
        QVERIFY(tsWriteLongToINI(QStringLiteral("Statistics"), QStringLiteral("Total sent bytes"), 2147483000, GetGroupSettingsFile()));
        CStatistics s;
        s.AddSentBytes(1000);
        QCOMPARE(s.TotalSentBytes, 2147483000);
        QCOMPARE(s.CurrentSentBytes, 1000);
        s.AddSentBytes(647);
        QCOMPARE(s.TotalSentBytes, 2147483647);
        s.AddReceivedBytes(-5);
        s.AddReceivedBytes(std::numeric_limits<qint32>::min());
        QCOMPARE(s.CurrentReceivedBytes, -5);
    }

    void showTextRightAfterOpening()
    {
        QVERIFY(tsWriteLongToINI(QStringLiteral("Statistics"), QStringLiteral("Total sent bytes"), 2147483647, GetGroupSettingsFile()));
        QVERIFY(tsWriteLongToINI(QStringLiteral("Statistics"), QStringLiteral("Total received bytes"), 2147483647, GetGroupSettingsFile()));
        test::ScriptedPrompter prompter;
        CStatistics s;
        s.Show();
        QCOMPARE(prompter.messages().size(), 1);
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));
        const QString zero = tsFormatByteSize(0);
        const QString max = tsFormatByteSize(2147483647);
        // The sum of both totals exceeds 32 bits and must still be shown whole.
        const QString sum = tsFormatByteSizeEx(2.0 * 2147483647.0);
        QVERIFY(sum != max);
        const QString expected =
            QStringLiteral("Traffic usage statistics\r\n\r\n"
                           "    Total:    %1\r\n    Received: %1\r\n    Sent:     %1\r\n\r\n"
                           "Total traffic usage statistics\r\n\r\n"
                           "    Total:    %2\r\n    Received: %3\r\n    Sent:     %3")
                .arg(zero, sum, max);
        QCOMPARE(prompter.last().text, expected);
    }

private:
    int m_n = 0;
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "test_statistics.moc"
