#include "core/group.h"
#include "platform/textrules.h"

#include <QTest>

using namespace ruvia;

class TestTextRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textToBool_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("def");
        QTest::addColumn<bool>("expected");
        QTest::newRow("true with blanks") << " true  " << false << true;
        QTest::newRow("TrUe") << "TrUe" << false << true;
        QTest::newRow("yes is false") << "yes" << true << false;
        QTest::newRow("empty gives default true") << "" << true << true;
        QTest::newRow("blanks give default false") << "   " << false << false;
        QTest::newRow("-1") << "-1" << false << true;
        QTest::newRow("1") << "1" << false << true;
        QTest::newRow("0") << "0" << true << false;
        QTest::newRow("2") << "2" << true << false;
    }
    void textToBool()
    {
        QFETCH(QString, text);
        QFETCH(bool, def);
        QFETCH(bool, expected);
        QCOMPARE(TextToBool(text, def), expected);
    }

    void normalizeLineBreaks_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("LF only") << "a\nb\n" << "a\r\nb\r\n";
        QTest::newRow("CR only") << "a\rb" << "a\r\nb";
        QTest::newRow("one pair keeps lone LF") << "a\r\nb\nc" << "a\r\nb\nc";
        QTest::newRow("lone CR and LF, no pair") << "a\rb\nc\n\r" << "a\r\nb\nc\n\r\n";
        QTest::newRow("no breaks") << "abc" << "abc";
    }
    void normalizeLineBreaks()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(NormalizeLineBreaks(in), out);
    }

    void groupName_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        QTest::newRow("title and host") << "Main Blog | mainblog.tumblr.com" << "mainblog.tumblr.com";
        QTest::newRow("title with separator") << "A | B | host.example.org " << "host.example.org";
        QTest::newRow("bare host trimmed") << "  host.tumblr.com  " << "host.tumblr.com";
        QTest::newRow("title-less") << " | host" << "host";
    }
    void groupName()
    {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        QCOMPARE(GetGroupName(entry), name);
    }

    void isFileInFolder_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("expected");
        QTest::newRow("same folder") << "/data/Uploads/x.jpg" << "/data/Uploads" << true;
        QTest::newRow("letter case and trailing slash") << "/Data/uploads/x.jpg" << "/data/Uploads/" << true;
        QTest::newRow("backslashes") << "C:\\Data\\Uploads\\x.jpg" << "c:\\data\\uploads" << true;
        QTest::newRow("sub-folder") << "/data/Uploads/sub/x.jpg" << "/data/Uploads" << false;
        QTest::newRow("parent") << "/data/x.jpg" << "/data/Uploads" << false;
    }
    void isFileInFolder()
    {
        QFETCH(QString, file);
        QFETCH(QString, folder);
        QFETCH(bool, expected);
        QCOMPARE(IsFileInFolder(file, folder), expected);
    }

    void myPathIsURL_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::newRow("http") << "http://example.org/a.jpg" << true;
        QTest::newRow("scheme with plus") << "svn+ssh://host/x" << true;
        QTest::newRow("file url") << "FILE:///tmp/a.jpg" << false;
        QTest::newRow("drive letter") << "C:\\pictures\\a.jpg" << false;
        QTest::newRow("plain path") << "/tmp/a.jpg" << false;
        QTest::newRow("with LF") << "http://example.org/a\n.jpg" << false;
        QTest::newRow("with TAB") << "http://example.org/\ta.jpg" << false;
        QTest::newRow("blank in scheme") << "ht tp://x" << false;
    }
    void myPathIsURL()
    {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        QCOMPARE(MyPathIsURL(path), expected);
    }

    void safeTextToLong_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("number") << "42" << 42;
        QTest::newRow("blanks") << "  -7 " << -7;
        QTest::newRow("max") << "2147483647" << 2147483647;
        QTest::newRow("overflow") << "2147483648" << 0;
        QTest::newRow("text") << "12abc" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void safeTextToLong()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(SafeTextToLong(text), value);
    }

    void makeSafeFileNameAndTitle()
    {
        QCOMPARE(MakeSafeFileName(QStringLiteral("a#b\"c\\d/e|f")), QStringLiteral("abc-d-e-f"));
        QCOMPARE(MakeWindowTitle(), QStringLiteral("Ruvia"));
        QCOMPARE(MakeWindowTitle(QStringLiteral("Starting")), QStringLiteral("Ruvia :: Starting"));
        QCOMPARE(BoolToText(true), QStringLiteral("True"));
        QCOMPARE(BoolToText(false), QStringLiteral("False"));
    }

    void escapeRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("all six") << "a\\b\r\nc\td\"e'f" << "a\\\\b\\r\\nc\\td\\\"e\\'f";
        QTest::newRow("windows path") << "C:\\new" << "C:\\\\new";
        QTest::newRow("plain") << "plain" << "plain";
    }
    void escapeRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QCOMPARE(EscapeINIText(text), escaped);
        QCOMPARE(UnescapeINIText(escaped), text);
    }

    void unescapeKeepsUnknownBackslash()
    {
        QCOMPARE(UnescapeINIText(QStringLiteral("a\\xb\\")), QStringLiteral("a\\xb\\"));
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "test_textrules.moc"
