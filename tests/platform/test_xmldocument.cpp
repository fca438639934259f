#include "platform/xmldocument.h"

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
