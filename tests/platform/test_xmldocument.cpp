#include "platform/xmldocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ruvia;

class TestXmlDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void buildSaveLoadAndQuery()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Links.XML"));
        xhXMLDocument doc;
        doc.New(QStringLiteral("utf-8"));
        auto root = xhXMLDocument::AppendElement(doc.DocumentNode(), QStringLiteral("Links"));
        xhXMLDocument::AppendAttribute(root, QStringLiteral("Group"), QStringLiteral("g.tumblr.com"));
        auto link = xhXMLDocument::AppendElement(root, QStringLiteral("Link"));
        xhXMLDocument::AppendAttribute(link, QStringLiteral("PostID"), QStringLiteral("1\"] | //x[@a=\""));
        auto pic = xhXMLDocument::AppendElement(link, QStringLiteral("PictureURL"));
        xhXMLDocument::AppendAttribute(pic, QStringLiteral("Size"), QStringLiteral("250"));
        xhXMLDocument::SetText(pic, QStringLiteral("http://x/ü.jpg"));
        QVERIFY(doc.Save(path));

        xhXMLDocument back;
        QVERIFY(back.Load(path));
        QVERIFY(back.ToXML().startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));
        pugi::xpath_variable_set vars;
        vars.set("id", "1\"] | //x[@a=\"");
        QCOMPARE(back.GetText(QStringLiteral("/Links/Link[@PostID=$id]/PictureURL[@Size=\"250\"]"), {}, &vars),
                 QStringLiteral("http://x/ü.jpg"));
        QCOMPARE(back.GetText(QStringLiteral("/Links/@Group")), QStringLiteral("g.tumblr.com"));
        QCOMPARE(back.GetText(QStringLiteral("/Links/Link[@PostID=\"2\"]/@PostID")), QString());
        QCOMPARE(back.SelectNodes(QStringLiteral("/Links/Link")).size(), size_t(1));
    }

    void editing()
    {
        xhXMLDocument doc;
        QVERIFY(doc.LoadXML("<a x=\"1\" y=\"2\"><b/><c/>text</a>"));
        auto a = doc.Root();
        QVERIFY(xhXMLDocument::RemoveAttribute(a, QStringLiteral("x")));
        QVERIFY(!xhXMLDocument::RemoveAttribute(a, QStringLiteral("missing")));
        QVERIFY(!xhXMLDocument::FindAttribute(a, QStringLiteral("x")));
        QCOMPARE(QString::fromUtf8(xhXMLDocument::FindAttribute(a, QStringLiteral("y")).value()), QStringLiteral("2"));
        xhXMLDocument::RemoveChildren(a);
        QVERIFY(!a.first_child());
    }

    // Read in the encoding declared, written as UTF-8 saying so: every later
    // load and save gives the same text and the same bytes.
    void declaredEncodingsRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString cafe = QStringLiteral("caf\u00e9");
        const QString privet = QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442");
        auto declared = [](const char* encoding, const QByteArray& body) {
            return "<?xml version=\"1.0\" encoding=\"" + QByteArray(encoding) + "\"?>\n<a t=\"" + body +
                   "\">" + body + "</a>";
        };
        QTest::newRow("ISO-8859-1") << declared("ISO-8859-1", "caf\xe9") << cafe;
        QTest::newRow("latin1, lower case, single quotes")
            << QByteArray("<?xml version='1.0' encoding = 'latin1'?><a t='caf\xe9'>caf\xe9</a>") << cafe;
        QTest::newRow("windows-1252") << declared("windows-1252", "caf\xe9 \x80") << cafe + QStringLiteral(" \u20ac");
        QTest::newRow("windows-1251") << declared("windows-1251", "\xcf\xf0\xe8\xe2\xe5\xf2") << privet;
        QTest::newRow("UTF-8") << declared("UTF-8", "caf\xc3\xa9") << cafe;
        QTest::newRow("no declaration") << QByteArray("<a t=\"caf\xc3\xa9\">caf\xc3\xa9</a>") << cafe;
        const QString utf16 = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a t=\"%1\">%1</a>").arg(privet);
        QByteArray le("\xff\xfe");
        QByteArray be("\xfe\xff");
        for (QChar c : utf16) {
            le += char(c.unicode() & 0xff);
            le += char(c.unicode() >> 8);
            be += char(c.unicode() >> 8);
            be += char(c.unicode() & 0xff);
        }
        QTest::newRow("UTF-16LE") << le << privet;
        QTest::newRow("UTF-16BE") << be << privet;
        QTest::newRow("UTF-16 named over single bytes") << declared("UTF-16", "caf\xc3\xa9") << cafe;
        QTest::newRow("encoding inside another name")
            << QByteArray("<?xml version=\"1.0\" Oencoding=\"ISO-8859-1\"?><a t=\"caf\xc3\xa9\">caf\xc3\xa9</a>") << cafe;
        QTest::newRow("no encoding named")
            << QByteArray("<?xml version=\"1.0\" standalone=\"yes\"?><a t=\"caf\xc3\xa9\">caf\xc3\xa9</a>") << cafe;
    }
    void declaredEncodingsRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Links.XML"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        QByteArray first;
        for (int round = 0; round < 3; ++round) {
            xhXMLDocument doc;
            QVERIFY2(doc.Load(path), qPrintable(doc.LastError()));
            QCOMPARE(doc.GetText(QStringLiteral("/a")), text);
            QCOMPARE(doc.GetText(QStringLiteral("/a/@t")), text);
            QVERIFY(doc.Save(path));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray saved = file.readAll();
            file.close();
            const QByteArray declaration = saved.left(saved.indexOf("?>") + 2);
            QVERIFY2(declaration.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"") &&
                         declaration.count(" encoding=") == 1,
                     saved.constData());
            QVERIFY(saved.contains(text.toUtf8()));
            if (round == 0)
                first = saved;
            QCOMPARE(saved, first);
        }
    }

    void unknownEncodingIsAFailure()
    {
        xhXMLDocument doc;
        QVERIFY(!doc.LoadXML("<?xml version=\"1.0\" encoding=\"x-no-such-thing\"?><a/>"));
        QCOMPARE(doc.LastError(), QStringLiteral("The document's encoding is not supported: x-no-such-thing"));
    }

    void nesting()
    {
        xhXMLDocument doc;
        QVERIFY(doc.LoadXML("<a><b><c>text</c></b><d/></a>"));
        QVERIFY(doc.NestsDeeperThan(3));
        QVERIFY(!doc.NestsDeeperThan(4));
        const int levels = 200000;
        QVERIFY(doc.LoadXML(QByteArray("<x>").repeated(levels) + QByteArray("</x>").repeated(levels)));
        QVERIFY(doc.NestsDeeperThan(levels - 1));
        QVERIFY(!doc.NestsDeeperThan(levels));
    }

    void failuresSetLastError()
    {
        xhXMLDocument doc;
        QVERIFY(!doc.LoadXML("<Links><Link></Links>"));
        QVERIFY(!doc.LastError().isEmpty());
        QVERIFY(!doc.LoadXML(""));
        QVERIFY(!doc.Load(QStringLiteral("/nonexistent/Links.XML")));
        QVERIFY(!doc.LastError().isEmpty());
        QVERIFY(doc.LoadXML("<a/>"));
        QVERIFY(!doc.SelectSingleNode(QStringLiteral("/a[")));
        QVERIFY(!doc.LastError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestXmlDocument)
#include "test_xmldocument.moc"
