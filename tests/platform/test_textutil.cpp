#include "platform/paths.h"
#include "platform/textutil.h"

#include <QRegularExpression>
#include <QTest>

using namespace ruvia;

class TestTextUtil : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void trims()
    {
        const QString s = QStringLiteral(" \t\r\n x y \r\n\t ");
        QCOMPARE(tsTrimEx(QStringLiteral("  a b  ")), QStringLiteral("a b"));
        QCOMPARE(tsTrimEx(QStringLiteral("\ta ")), QStringLiteral("\ta"));
        QCOMPARE(tsTrimEx2(s), QStringLiteral("x y"));
        QCOMPARE(tsTrimCRLF(QStringLiteral("\r\n a \n\r")), QStringLiteral(" a "));
        QCOMPARE(tsCutLeft(QStringLiteral("abcdef"), 2), QStringLiteral("cdef"));
        QCOMPARE(tsCutRight(QStringLiteral("abcdef"), 2), QStringLiteral("abcd"));
        QCOMPARE(tsCutRight(QStringLiteral("ab"), 5), QString());
        QCOMPARE(tsGetLineOnly(QStringLiteral("first\r\nsecond")), QStringLiteral("first"));
    }

    void hexRandomGuid()
    {
        QCOMPARE(tsHex1(0), QStringLiteral("00"));
        QCOMPARE(tsHex1(171), QStringLiteral("AB"));
        QCOMPARE(tsHex1(255), QStringLiteral("FF"));
        bool low = false, high = false;
        for (int i = 0; i < 2000; ++i) {
            const int r = tsGetRnd(0, 3);
            QVERIFY(r >= 0 && r <= 3);
            low |= r == 0;
            high |= r == 3;
        }
        QVERIFY(low && high);
        const QString g = tsGetNewGUID();
        QVERIFY(QRegularExpression(QStringLiteral("^\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}$"))
                    .match(g).hasMatch());
        QVERIFY(g != tsGetNewGUID());
    }

    void byteSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0 bytes";
        QTest::newRow("1023") << qint64(1023) << "1023 bytes";
        QTest::newRow("1 KB") << qint64(1024) << "1.00 KB";
        QTest::newRow("1.5 KB") << qint64(1536) << "1.50 KB";
        QTest::newRow("999 KB") << qint64(999 * 1024) << "999 KB";
        QTest::newRow("12 MB") << qint64(12) * 1024 * 1024 << "12.0 MB";
        QTest::newRow("2 GB - 1") << qint64(2147483647) << "1.99 GB";
        QTest::newRow("4 GB") << qint64(4294967294) << "3.99 GB";
    }
    void byteSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(tsFormatByteSize(bytes), text);
    }

    void utf8AndAnsi()
    {
        const QString text = QStringLiteral("Привет €");
        QCOMPARE(tsUTF8ToUNICODE(tsUNICODEToUTF8(text)), text);
        QCOMPARE(toAnsi(QStringLiteral("€ü")), QByteArray("\x80\xFC"));
        QCOMPARE(toAnsi(QStringLiteral("Ж")), QByteArray("?"));
        for (int b = 0; b < 256; ++b)
            QCOMPARE(toAnsi(fromAnsi(QByteArray(1, char(b)))), QByteArray(1, char(b)));
    }

    void userNameForms()
    {
        const QString at = tsGetFullUserName(true);
        const QString back = tsGetFullUserName(false);
        const QString user = at.section(u'@', 0, 0);
        const QString host = at.section(u'@', 1);
        QVERIFY(!user.isEmpty() && !host.isEmpty());
        QCOMPARE(back, host + u'\\' + user);
    }

    void paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::newRow("unix") << "/a/b/c.jpg" << "/a/b/" << "c.jpg" << "jpg";
        QTest::newRow("windows") << "C:\\a\\b.tar.gz" << "C:\\a\\" << "b.tar.gz" << "gz";
        QTest::newRow("mixed") << "C:\\a/b\\c" << "C:\\a/b\\" << "c" << "";
        QTest::newRow("bare") << "name.PNG" << "" << "name.PNG" << "PNG";
        QTest::newRow("dot folder") << "/a.b/c" << "/a.b/" << "c" << "";
    }
    void paths()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, ext);
        QCOMPARE(tsGetFilePath(path), folder);
        QCOMPARE(tsGetFileName(path), name);
        QCOMPARE(tsGetFileExtension(path), ext);
    }

    void buildAndBackslash()
    {
        QCOMPARE(tsBuildFileName(QStringLiteral("/a/b"), QStringLiteral("c")), QStringLiteral("/a/b/c"));
        QCOMPARE(tsBuildFileName(QStringLiteral("/a/b//"), QStringLiteral("/c")), QStringLiteral("/a/b/c"));
        QCOMPARE(tsBuildFileName(QStringLiteral("C:\\a"), QStringLiteral("c")), QStringLiteral("C:\\a\\c"));
        QCOMPARE(tsAddBackslash(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(tsAddBackslash(QStringLiteral("x")), QStringLiteral("x/"));
    }

    void complexDirectory()
    {
        QTemporaryDir dir;
        const QString deep = dir.path() + QStringLiteral("/a/b/c");
        QVERIFY(!tsIsDirectoryExist(deep));
        QVERIFY(tsCreateComplexDirectory(deep));
        QVERIFY(tsIsDirectoryExist(deep));
        QVERIFY(!tsIsFileExist(deep));
        QVERIFY(tsCreateComplexDirectory(deep));
        QVERIFY(!tsCreateComplexDirectory(QString()));
    }
};

QTEST_GUILESS_MAIN(TestTextUtil)
#include "test_textutil.moc"
