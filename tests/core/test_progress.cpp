#include "core/progress.h"
#include "platform/textutil.h"

#include <QTest>

using namespace ruvia;

class TestProgress : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstLineAndStepping()
    {
        ResetProgressCounter();
        const QString first = GetProgressText(false, 2048, 0);
        QCOMPARE(first, QStringLiteral("Received ") + tsFormatByteSize(2048) +
                            QStringLiteral(" / ???\r\n#") + QString(39, u'-'));
        const QString second = GetProgressText(true, 10, 40960);
        QVERIFY(second.startsWith(QStringLiteral("Sent ") + tsFormatByteSize(10) +
                                  QStringLiteral(" / ") + tsFormatByteSize(40960) +
                                  QStringLiteral("\r\n")));
        QCOMPARE(second.section(QStringLiteral("\r\n"), 1), QStringLiteral("-#") + QString(38, u'-'));
    }

    void wrapsAfterFortiethPlace()
    {
        ResetProgressCounter();
        QString text;
        for (int i = 0; i < 40; ++i)
            text = GetProgressText(true, 1, 1);
        QCOMPARE(text.section(QStringLiteral("\r\n"), 1), QString(39, u'-') + u'#');
        text = GetProgressText(true, 1, 1);
        QCOMPARE(text.section(QStringLiteral("\r\n"), 1), u'#' + QString(39, u'-'));
        QCOMPARE(ProgressCounter(), 1);
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "test_progress.moc"
