#include "support/transferprogress.h"
#include "testenv.h"

#include "support/statistics.h"

#include <QTest>
#include <QTimer>

using namespace ruvia;

class TestTransferProgress : public QObject {
    Q_OBJECT
    test::TempProfile profile;

private Q_SLOTS:
    void countsShowsAndLetsEventsRun()
    {
        CStatistics stats(profile.root() + QStringLiteral("/Settings.INI"));
        bool stop = false;
        QStringList shown;
        TransferProgress progress([&shown](const QString& t) { shown.append(t); }, &stats, stop);
        bool eventRan = false;
        QTimer::singleShot(0, [&eventRan] { eventRan = true; });
        bool cancel = false;
        progress.BlockSent(100, 100, 0, cancel);
        progress.BlockReceived(40, 40, 2048, cancel);
        QVERIFY(!cancel);
        QVERIFY(eventRan);
        QCOMPARE(stats.CurrentSentBytes, 100);
        QCOMPARE(stats.CurrentReceivedBytes, 40);
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown.at(0).startsWith(QStringLiteral("Sent ")));
        QVERIFY(shown.at(0).section(QStringLiteral("\r\n"), 0, 0).endsWith(QStringLiteral(" / ???")));
        QVERIFY(shown.at(1).startsWith(QStringLiteral("Received ")));
    }

    void aStopSetDuringTheEventsCancels_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<bool>("stopAfter");
        QTest::newRow("kept") << int(TransferProgress::KeepStopRequest) << true;
        QTest::newRow("cleared") << int(TransferProgress::ClearStopRequest) << false;
    }
    void aStopSetDuringTheEventsCancels()
    {
        QFETCH(int, rule);
        QFETCH(bool, stopAfter);
        bool stop = false;
        TransferProgress progress({}, nullptr, stop, TransferProgress::StopRule(rule));
        // Set by a key press that the block's event processing delivers.
        QTimer::singleShot(0, [&stop] { stop = true; });
        bool cancel = false;
        progress.BlockReceived(10, 10, 100, cancel);
        QVERIFY(cancel);
        QCOMPARE(stop, stopAfter);
    }

    void hugeFiguresAreClampedNotWrapped()
    {
        CStatistics stats(profile.root() + QStringLiteral("/Big.INI"));
        bool stop = false;
        QString text;
        TransferProgress progress([&text](const QString& t) { text = t; }, &stats, stop);
        bool cancel = false;
        progress.BlockReceived(qint64(5) << 32, qint64(5) << 32, qint64(6) << 32, cancel);
        QCOMPARE(stats.CurrentReceivedBytes, std::numeric_limits<qint32>::max());
        // A wrapped 32-bit figure would show as a negative size.
        QVERIFY(!text.startsWith(QStringLiteral("Received -")));
    }
};

QTEST_GUILESS_MAIN(TestTransferProgress)
#include "test_transferprogress.moc"
