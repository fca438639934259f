#include "platform/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ruvia;

namespace {
const QString kSample = QStringLiteral(
    "; kept comment\r\n"
    "top=level\r\n"
    "\r\n"
    "[Post Properties]\r\n"
    "Last Caption = \"  quoted caption  \" \r\n"
    "Last Tags=a, b\r\n"
    "Key With Blanks=  spaced  \r\n"
    "\r\n"
    "[Other]\r\n"
    "x=1\r\n");
}

class TestIniFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reading_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default section") << "" << "top" << "level";
        QTest::newRow("case-insensitive names") << "post properties" << "LAST TAGS" << "a, b";
        QTest::newRow("one pair of quotes removed") << "Post Properties" << "Last Caption" << "  quoted caption  ";
        QTest::newRow("trimmed, key with blanks") << "Post Properties" << "Key With Blanks" << "spaced";
        QTest::newRow("missing key") << "Other" << "y" << "<def>";
        QTest::newRow("missing section") << "None" << "x" << "<def>";
        QTest::newRow("key of another section") << "Other" << "Last Tags" << "<def>";
    }
    void reading()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        IniFile ini;
        ini.setText(kSample);
        QCOMPARE(ini.value(section, key, QStringLiteral("<def>")), expected);
    }

    void writingKeepsEverythingElse()
    {
        IniFile ini;
        ini.setText(kSample);
        ini.setValue(QStringLiteral("POST PROPERTIES"), QStringLiteral("last tags"), QStringLiteral("c"));
        ini.setValue(QStringLiteral("Post Properties"), QStringLiteral("New Key"), QStringLiteral("n"));
        ini.setValue(QStringLiteral("Statistics"), QStringLiteral("Total sent bytes"), QStringLiteral("5"));
        ini.setValue(QString(), QStringLiteral("second"), QStringLiteral("2"));
        QCOMPARE(ini.text(), QStringLiteral(
            "; kept comment\r\n"
            "top=level\r\n"
            "second=2\r\n"
            "\r\n"
            "[Post Properties]\r\n"
            "Last Caption = \"  quoted caption  \" \r\n"
            "last tags=c\r\n"
            "Key With Blanks=  spaced  \r\n"
            "New Key=n\r\n"
            "\r\n"
            "[Other]\r\n"
            "x=1\r\n"
            "\r\n"
            "[Statistics]\r\n"
            "Total sent bytes=5\r\n"));
    }

    void fileFunctionsCreateWhatIsMissing()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Settings.INI"));
        QCOMPARE(tsReadStringFromINI(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d"), file), QStringLiteral("d"));
        QCOMPARE(tsReadLongFromINI(QStringLiteral("A"), QStringLiteral("n"), 7, file), 7);
        QVERIFY(tsWriteLongToINI(QStringLiteral("A"), QStringLiteral("n"), -12, file));
        QVERIFY(tsWriteBoolToINI(QStringLiteral("A"), QStringLiteral("b"), true, file));
        QVERIFY(tsWriteStringToINI(QStringLiteral("B"), QStringLiteral("s"), QStringLiteral("\"  x  \""), file));
        QCOMPARE(tsReadLongFromINI(QStringLiteral("a"), QStringLiteral("N"), 7, file), -12);
        QVERIFY(tsReadBoolFromINI(QStringLiteral("A"), QStringLiteral("b"), false, file));
        QCOMPARE(tsReadStringFromINI(QStringLiteral("B"), QStringLiteral("s"), QString(), file), QStringLiteral("  x  "));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[A]\r\nn=-12\r\nb=True\r\n\r\n[B]\r\ns=\"  x  \"\r\n"));
    }

    void lfOnlyAndBomFilesRead()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("x.ini"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF[S]\nk=v\n");
        f.close();
        QCOMPARE(tsReadStringFromINI(QStringLiteral("S"), QStringLiteral("k"), QString(), file), QStringLiteral("v"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
