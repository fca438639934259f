#include "core/password.h"
#include "platform/textutil.h"

#include <QTest>

using namespace ruvia;

class TestPassword : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeAnsiRangeRoundTrips()
    {
        QByteArray all;
        for (int c = 1; c < 256; ++c)
            all.append(char(c));
        const QString password = fromAnsi(all);
        const QString stored = EncodePassword(password);
        QCOMPARE(stored.size(), password.size() * 4);
        QCOMPARE(DecodePassword(stored), password);
        QCOMPARE(DecodePassword(stored.toLower()), password);
    }

    void layoutIsReversedAndComplemented()
    {
        const QString stored = EncodePassword(QStringLiteral("ab"));
        // 'b' (0x62) first: 255 - 0x62 = 0x9D; then 'a': 0x9E.
        QCOMPARE(stored.mid(0, 2), QStringLiteral("9D"));
        QCOMPARE(stored.mid(4, 2), QStringLiteral("9E"));
        QCOMPARE(DecodePassword(QStringLiteral("9D009E00")), QStringLiteral("ab"));
    }

    void randomBytesDifferButDecodeAlike()
    {
        const QString p = QStringLiteral("secret€");
        QSet<QString> seen;
        for (int i = 0; i < 8; ++i) {
            const QString s = EncodePassword(p);
            QCOMPARE(DecodePassword(s), p);
            seen.insert(s);
        }
        QVERIFY(seen.size() > 1);
    }

    void emptyAndWrongLength()
    {
        QCOMPARE(EncodePassword(QString()), QString());
        QCOMPARE(DecodePassword(QString()), QString());
        QCOMPARE(DecodePassword(QStringLiteral("9D009")), QString());
        QCOMPARE(DecodePassword(QStringLiteral("9D0")), QString());
    }

    void handEditedGroupsDoNotStop()
    {
        QCOMPARE(DecodePassword(QStringLiteral("zz00")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPassword)
#include "test_password.moc"
