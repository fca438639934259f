#include "scriptedprompter.h"
#include "testenv.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <unistd.h>

using namespace ruvia;

namespace {

PostLinks linksOf(const QString& id, const QString& ext = QStringLiteral("jpg"))
{
    PostLinks l;
    const QStringList sizes = PostLinks::Sizes();
    for (int i = 0; i < sizes.size(); ++i)
        l[i] = QStringLiteral("http://media.example/%1_%2.%3").arg(id, sizes.at(i), ext);
    l[PostLinks::PostURL] = QStringLiteral("http://blog.example/post/") + id;
    l[PostLinks::PostURLSlug] = QStringLiteral("http://blog.example/post/%1/slug").arg(id);
    return l;
}

QByteArray readRaw(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Answers through a function, so a test can change the world between a
// failure and the retry it asks for.
class CallbackPrompter : public Prompter {
  public:
    explicit CallbackPrompter(std::function<int(const Message&)> fn) : m_fn(std::move(fn))
    {
        setPrompter(this);
    }
    ~CallbackPrompter() override { setPrompter(nullptr); }
    int ask(const Message& m) override
    {
        messages.append(m);
        return m_fn(m);
    }
    QList<Message> messages;

  private:
    std::function<int(const Message&)> m_fn;
};

} // namespace

class TestLinkBase : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QTemporaryDir groupDir;

    QString basePath() const { return groupDir.path() + QStringLiteral("/Links.XML"); }

    // A fresh group folder holding the given Links.XML (none for an empty text).
    void useGroup(const QByteArray& content = {})
    {
        QDir(groupDir.path()).removeRecursively();
        QDir().mkpath(groupDir.path());
        SET_DataPath = groupDir.path();
        SET_GroupName = QStringLiteral("blog.example.com");
        if (!content.isEmpty())
            QVERIFY(FileObject::writeBytes(basePath(), content));
    }

    void openFresh()
    {
        useGroup();
        QVERIFY(OpenLinksBase());
    }

  private Q_SLOTS:
    void newGroupWritesEmptyBase()
    {
        test::ScriptedPrompter prompter;
        useGroup();
        QVERIFY(OpenLinksBase());
        QCOMPARE(LinksBasePath(), basePath());
        pugi::xml_document doc;
        QVERIFY(doc.load_file(basePath().toLocal8Bit().constData(),
                              pugi::parse_default | pugi::parse_declaration));
        QCOMPARE(QString::fromUtf8(doc.first_child().attribute("encoding").value()).toLower(),
                 QStringLiteral("utf-8"));
        const pugi::xml_node root = doc.document_element();
        QCOMPARE(QByteArray(root.name()), QByteArray("Links"));
        QCOMPARE(QByteArray(root.attribute("Group").value()), QByteArray("blog.example.com"));
        QVERIFY(!root.first_child());
        QCOMPARE(GetLinksCount(), 0);
        QVERIFY(GetLinksList().isEmpty());
        QVERIFY(prompter.messages().isEmpty());
    }

    void fileFormatAndReopen()
    {
        test::ScriptedPrompter prompter;
        openFresh();
        const QString name = QStringLiteral("Фото №1 & <b>.jpg");
        QVERIFY(AddLink(QStringLiteral("42"), name, QStringLiteral("me@host")));
        QVERIFY(AddLink(QStringLiteral("43"), QString(), QString()));
        QVERIFY(ResolveLink(QStringLiteral("42"), linksOf(QStringLiteral("42"))));
        QVERIFY(FoldLinksBase());

        const QByteArray raw = readRaw(basePath());
        QVERIFY(raw.contains(QStringLiteral("Фото №1").toUtf8())); // UTF-8 on disk
        // Attributes in the order of first writing, children in size order.
        const QRegularExpression linkRe(
            QStringLiteral("<Link PostID=\"42\" OriginalFileName=\"[^\"]*\" UserName=\"me@host\" "
                           "Resolved=\"True\" "
                           "PostURL=\"http://blog.example/post/42\" "
                           "PostURLSlug=\"http://blog.example/post/42/slug\">"));
        QVERIFY2(linkRe.match(QString::fromUtf8(raw)).hasMatch(), raw.constData());
        qsizetype at = 0;
        for (const QString& size : PostLinks::Sizes()) {
            const qsizetype next = raw.indexOf(
                QStringLiteral(
                    "<PictureURL Size=\"%1\">http://media.example/42_%1.jpg</PictureURL>")
                    .arg(size)
                    .toUtf8(),
                at);
            QVERIFY2(next > at, qPrintable(size));
            at = next;
        }
        QVERIFY(raw.contains(
            "<Link PostID=\"43\" OriginalFileName=\"\" UserName=\"\" Resolved=\"False\" />"));

        QVERIFY(OpenLinksBase());
        QCOMPARE(GetLinksList(),
                 QStringList({QStringLiteral("42 :: ") + name, QStringLiteral("43")}));
        QCOMPARE(GetOriginalFileName(QStringLiteral("42")), name);
        QVERIFY(IsLinkResolved(QStringLiteral("42")));
        QVERIFY(!IsLinkResolved(QStringLiteral("43")));
        QCOMPARE(GetThumbnailURL(QStringLiteral("42")),
                 QStringLiteral("http://media.example/42_250.jpg"));
        QCOMPARE(GetPictureURL(QStringLiteral("42")),
                 QStringLiteral("http://media.example/42_1280.jpg"));
        QCOMPARE(GetPostURL(QStringLiteral("42")),
                 QStringLiteral("http://blog.example/post/42/slug"));
        QVERIFY(GetThumbnailURL(QStringLiteral("43")).isEmpty());
        QVERIFY(GetOriginalFileName(QStringLiteral("44")).isEmpty());
        QVERIFY(prompter.messages().isEmpty());
    }

    void resolvedFlagRule_data()
    {
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<bool>("resolved");
        QTest::newRow("True") << QStringLiteral("Resolved=\"True\"") << true;
        QTest::newRow("yes blanks") << QStringLiteral("Resolved=\"  yEs \"") << true;
        QTest::newRow("True blank") << QStringLiteral("Resolved=\"True \"") << true;
        QTest::newRow("1 with breaks") << QStringLiteral("Resolved=\"&#13;&#10;1&#9;\"") << true;
        QTest::newRow("TRUE") << QStringLiteral("Resolved=\"TRUE\"") << true;
        QTest::newRow("0") << QStringLiteral("Resolved=\"0\"") << false;
        QTest::newRow("no") << QStringLiteral("Resolved=\"no\"") << false;
        QTest::newRow("empty") << QStringLiteral("Resolved=\"\"") << false;
        QTest::newRow("-1") << QStringLiteral("Resolved=\"-1\"") << false;
        QTest::newRow("Truely") << QStringLiteral("Resolved=\"Truely\"") << false;
        QTest::newRow("missing") << QString() << false;
    }
    void resolvedFlagRule()
    {
        QFETCH(QString, attribute);
        QFETCH(bool, resolved);
        useGroup(QStringLiteral(
                     "<?xml version=\"1.0\"?><Links Group=\"g\"><Link PostID=\"5\" %1/></Links>")
                     .arg(attribute)
                     .toUtf8());
        QVERIFY(OpenLinksBase());
        QCOMPARE(IsLinkResolved(QStringLiteral("5")), resolved);
    }

    void pictureAndPostUrlStandBys_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("post");
        QTest::newRow("all there")
            << "PostURL=\"p\" PostURLSlug=\"s\"><PictureURL "
               "Size=\"1280\">a</PictureURL><PictureURL Size=\"500\">b</PictureURL>"
            << "a"
            << "s";
        QTest::newRow("1280 empty, slug empty")
            << "PostURL=\"p\" PostURLSlug=\"\"><PictureURL Size=\"1280\"></PictureURL><PictureURL "
               "Size=\"500\">b</PictureURL>"
            << "b"
            << "p";
        QTest::newRow("1280 missing, slug missing")
            << "PostURL=\"p\"><PictureURL Size=\"500\">b</PictureURL>"
            << "b"
            << "p";
        QTest::newRow("both empty") << "><PictureURL Size=\"1280\"/><PictureURL Size=\"500\"/>"
                                    << ""
                                    << "";
    }
    void pictureAndPostUrlStandBys()
    {
        QFETCH(QString, link);
        QFETCH(QString, picture);
        QFETCH(QString, post);
        useGroup(QStringLiteral("<Links><Link PostID=\"9\" Resolved=\"True\" %1</Link></Links>")
                     .arg(link)
                     .toUtf8());
        QVERIFY(OpenLinksBase());
        QCOMPARE(GetPictureURL(QStringLiteral("9")), picture);
        QCOMPARE(GetPostURL(QStringLiteral("9")), post);
    }

    void localFileNames()
    {
        openFresh();
        AddLink(QStringLiteral("42"), QStringLiteral("x.gif"), QString());
        PostLinks l = linksOf(QStringLiteral("42"), QStringLiteral("jpg"));
        l[PostLinks::Picture1280] = QStringLiteral("http://media.example/42_1280.gif");
        l[PostLinks::Picture500] = QStringLiteral("http://media.example/42_500.png");
        QVERIFY(GetPictureFileName(QStringLiteral("42")).isEmpty());
        QVERIFY(GetThumbnailFileName(QStringLiteral("42")).isEmpty());
        QVERIFY(ResolveLink(QStringLiteral("42"), l));
        const QString folder = QDir(groupDir.path()).absolutePath();
        QCOMPARE(QDir(GetPictureFileName(QStringLiteral("42"))).absolutePath(),
                 folder + QStringLiteral("/42.1280.PNG"));
        QCOMPARE(QDir(GetThumbnailFileName(QStringLiteral("42"))).absolutePath(),
                 folder + QStringLiteral("/42.250.JPG"));
        QVERIFY(GetPictureFileName(QStringLiteral("41")).isEmpty());

        // A resolved post whose lookup found no 500 picture has no picture file.
        l[PostLinks::Picture500].clear();
        QVERIFY(ResolveLink(QStringLiteral("42"), l));
        QVERIFY(GetPictureFileName(QStringLiteral("42")).isEmpty());
        QVERIFY(!GetThumbnailFileName(QStringLiteral("42")).isEmpty());
    }

    void resolveTwiceResetAndResolveAgain()
    {
        openFresh();
        AddLink(QStringLiteral("1"), QStringLiteral("one.jpg"), QStringLiteral("ann"));
        QVERIFY(ResolveLink(QStringLiteral("1"), linksOf(QStringLiteral("x"))));
        QVERIFY(ResolveLink(QStringLiteral("1"), linksOf(QStringLiteral("y"))));
        const auto sizesOf = [](pugi::xml_node link) {
            QStringList out;
            for (pugi::xml_node c : link.children())
                out.append(QString::fromUtf8(c.name()) + u'=' +
                           QString::fromUtf8(c.attribute("Size").value()));
            return out;
        };
        const QStringList expected = {
            QStringLiteral("PictureURL=1280"), QStringLiteral("PictureURL=500"),
            QStringLiteral("PictureURL=400"),  QStringLiteral("PictureURL=250"),
            QStringLiteral("PictureURL=100"),  QStringLiteral("PictureURL=75")};
        QCOMPARE(sizesOf(FindLink(QStringLiteral("1"))), expected);
        QCOMPARE(GetThumbnailURL(QStringLiteral("1")),
                 QStringLiteral("http://media.example/y_250.jpg"));

        QVERIFY(ResetLink(QStringLiteral("1")));
        const pugi::xml_node link = FindLink(QStringLiteral("1"));
        QVERIFY(!link.first_child());
        QVERIFY(!link.attribute("PostURL"));
        QVERIFY(!link.attribute("PostURLSlug"));
        QCOMPARE(QByteArray(link.attribute("Resolved").value()), QByteArray("False"));
        QCOMPARE(GetOriginalFileName(QStringLiteral("1")), QStringLiteral("one.jpg"));
        QCOMPARE(QByteArray(link.attribute("UserName").value()), QByteArray("ann"));
        QVERIFY(!IsLinkResolved(QStringLiteral("1")));
        QVERIFY(GetPostURL(QStringLiteral("1")).isEmpty());

        QVERIFY(ResolveLink(QStringLiteral("1"), linksOf(QStringLiteral("z"))));
        QCOMPARE(sizesOf(FindLink(QStringLiteral("1"))), expected);
        QVERIFY(IsLinkResolved(QStringLiteral("1")));

        // Any other child goes on reset too.
        FindLink(QStringLiteral("1")).append_child("Note").text().set("x");
        FindLink(QStringLiteral("1")).append_child(pugi::node_comment).set_value("c");
        QVERIFY(ResetLink(QStringLiteral("1")));
        QVERIFY(!FindLink(QStringLiteral("1")).first_child());
    }

    void unknownPostChangesNothing()
    {
        openFresh();
        AddLink(QStringLiteral("1"), QStringLiteral("a"), QString());
        const QByteArray before = LinksDocument().ToXML();
        QVERIFY(!ResolveLink(QStringLiteral("2"), linksOf(QStringLiteral("2"))));
        QVERIFY(!ResetLink(QStringLiteral("2")));
        QVERIFY(!ResolveLink(QString(), linksOf(QStringLiteral("2"))));
        QCOMPARE(LinksDocument().ToXML(), before);
        QVERIFY(!IsLinkResolved(QStringLiteral("2")));
        QVERIFY(GetPictureURL(QStringLiteral("2")).isEmpty());
    }

    void duplicatesFindTheFirst()
    {
        openFresh();
        AddLink(QStringLiteral("7"), QStringLiteral("first.jpg"), QString());
        AddLink(QStringLiteral("8"), QStringLiteral("other.jpg"), QString());
        AddLink(QStringLiteral("7"), QStringLiteral("second.jpg"), QString());
        QCOMPARE(GetLinksCount(), 3);
        QCOMPARE(GetOriginalFileName(QStringLiteral("7")), QStringLiteral("first.jpg"));
        QVERIFY(ResolveLink(QStringLiteral("7"), linksOf(QStringLiteral("7"))));
        QVERIFY(SaveLinksBase());

        // The same after loading: the index is rebuilt with first-match order.
        QVERIFY(OpenLinksBase());
        QCOMPARE(GetOriginalFileName(QStringLiteral("7")), QStringLiteral("first.jpg"));
        QVERIFY(IsLinkResolved(QStringLiteral("7")));
        const pugi::xml_node second = LinksDocument().Root().last_child();
        QCOMPARE(QByteArray(second.attribute("OriginalFileName").value()),
                 QByteArray("second.jpg"));
        QCOMPARE(QByteArray(second.attribute("Resolved").value()), QByteArray("False"));
        QVERIFY(!second.first_child());
        QCOMPARE(GetLinksList(),
                 QStringList({QStringLiteral("7 :: first.jpg"), QStringLiteral("8 :: other.jpg"),
                              QStringLiteral("7 :: second.jpg")}));
    }

    void emptyPostIdListedNotButCounted()
    {
        useGroup("<Links><Link PostID=\"\" OriginalFileName=\"lost.jpg\"/><Link "
                 "OriginalFileName=\"no id\"/>"
                 "<Link PostID=\"3\"/><Other PostID=\"4\"/></Links>");
        QVERIFY(OpenLinksBase());
        QCOMPARE(GetLinksCount(), 3);
        QCOMPARE(GetLinksList(), QStringList({QStringLiteral("3")}));
        // An empty PostID is still an exact key, as the attribute test would see it.
        QCOMPARE(GetOriginalFileName(QString()), QStringLiteral("lost.jpg"));
        QVERIFY(!FindLink(QStringLiteral("4")));
    }

    void hostilePostIds_data()
    {
        QTest::addColumn<QString>("postId");
        QTest::newRow("xpath quote") << QStringLiteral("1\"] | //x[@a=\"");
        QTest::newRow("apostrophe") << QStringLiteral("1' or '1'='1");
        QTest::newRow("parent path") << QStringLiteral("../../x");
        QTest::newRow("absolute") << QStringLiteral("/tmp/x");
        QTest::newRow("digits and slash") << QStringLiteral("12/34");
        QTest::newRow("blank") << QStringLiteral("12 ");
        QTest::newRow("arabic digits") << QStringLiteral("١٢");
    }
    void hostilePostIds()
    {
        QFETCH(QString, postId);
        test::ScriptedPrompter prompter;
        openFresh();
        AddLink(QStringLiteral("1"), QStringLiteral("one.jpg"), QString());
        AddLink(postId, QStringLiteral("odd.jpg"), QString());
        QVERIFY(ResolveLink(postId, linksOf(QStringLiteral("odd"))));
        QVERIFY(SaveLinksBase());
        QVERIFY(OpenLinksBase());

        QCOMPARE(GetOriginalFileName(postId), QStringLiteral("odd.jpg"));
        QVERIFY(IsLinkResolved(postId));
        QCOMPARE(GetThumbnailURL(postId), QStringLiteral("http://media.example/odd_250.jpg"));
        QVERIFY(!IsLinkResolved(QStringLiteral("1")));
        QCOMPARE(GetOriginalFileName(QStringLiteral("1")), QStringLiteral("one.jpg"));
        // No local file for a PostID that is not plain digits.
        QVERIFY(GetPictureFileName(postId).isEmpty());
        QVERIFY(GetThumbnailFileName(postId).isEmpty());
        QVERIFY(ResetLink(postId));
        QVERIFY(!IsLinkResolved(postId));
        QVERIFY(prompter.messages().isEmpty());
    }

    void damagedFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not xml") << QByteArray("this is not <xml");
        QTest::newRow("truncated") << QByteArray("<Links Group=\"g\"><Link PostID=\"1\"");
        QTest::newRow("other root") << QByteArray("<Uploads><Link PostID=\"1\"/></Uploads>");
        QTest::newRow("nested 10,000 deep")
            << "<Links><Link PostID=\"1\">" + QByteArray("<x>").repeated(10000) +
                   QByteArray("</x>").repeated(10000) + "</Link></Links>";
    }
    void damagedFile()
    {
        QFETCH(QByteArray, content);
        {
            test::ScriptedPrompter prompter;
            useGroup(content);
            prompter.queue(IDCANCEL);
            QVERIFY(!OpenLinksBase());
            QCOMPARE(readRaw(basePath()), content);
            QCOMPARE(prompter.messages().size(), 1);
            const Message m = prompter.last();
            QCOMPARE(m.buttons(), int(MB_OKCANCEL));
            QCOMPARE(m.icon(), int(MB_ICONCRITICAL));
            QCOMPARE(m.defaultAnswer(), int(IDCANCEL));
            const QStringList parts = m.text.split(QStringLiteral("\r\n\r\n"));
            QCOMPARE(parts.size(), 4);
            QCOMPARE(parts.at(0), basePath());
            QCOMPARE(parts.at(1), QStringLiteral("Can't load data file with all links. You can fix "
                                                 "it manually or overwrite it with blank one."));
            QCOMPARE(
                parts.at(2),
                QStringLiteral("Recreate data file? All data in damaged file will be destroyed!"));
            QVERIFY(!parts.at(3).isEmpty());
        }
        {
            test::ScriptedPrompter prompter;
            prompter.queue(IDOK);
            QVERIFY(OpenLinksBase());
            QCOMPARE(prompter.messages().size(), 1);
            QCOMPARE(GetLinksCount(), 0);
            pugi::xml_document doc;
            QVERIFY(doc.load_file(basePath().toLocal8Bit().constData()));
            QCOMPARE(QByteArray(doc.document_element().name()), QByteArray("Links"));
            QVERIFY(!doc.document_element().first_child());
        }
    }

    // The newest post the base holds, by value, as links come and after a reopen.
    void highestPostId()
    {
        test::ScriptedPrompter prompter;
        openFresh();
        QCOMPARE(HighestPostID(), QStringLiteral("0"));
        for (const char* id : {"99", "1000", "7", "not-a-number", "999"})
            QVERIFY(AddLink(QString::fromLatin1(id), QStringLiteral("a.jpg"), QStringLiteral("me")));
        QCOMPARE(HighestPostID(), QStringLiteral("1000"));
        QVERIFY(AddLink(QStringLiteral("12345678901234567890123"), QStringLiteral("b.jpg"), QStringLiteral("me")));
        QCOMPARE(HighestPostID(), QStringLiteral("12345678901234567890123"));
        QVERIFY(SaveLinksBase());
        QVERIFY(OpenLinksBase());
        QCOMPARE(HighestPostID(), QStringLiteral("12345678901234567890123"));
        QStringList above = PostIDsAbove(QStringLiteral("99"));
        above.sort();
        QCOMPARE(above, QStringList({QStringLiteral("1000"), QStringLiteral("12345678901234567890123"),
                                     QStringLiteral("999")}));
        CreateLinksBase();
        QCOMPARE(HighestPostID(), QStringLiteral("0"));
    }

    void savedChangesComeBackFromTheJournal()
    {
        test::ScriptedPrompter prompter;
        openFresh();
        AddLink(QStringLiteral("1"), QStringLiteral("a.jpg"), QStringLiteral("me"));
        AddLink(QStringLiteral("2"), QStringLiteral("b.jpg"), QStringLiteral("me"));
        QVERIFY(FoldLinksBase());
        const QByteArray folded = readRaw(basePath());
        const QString journal = groupDir.path() + QStringLiteral("/Links.Journal");
        QVERIFY(!QFile::exists(journal));

        QVERIFY(ResolveLink(QStringLiteral("1"), linksOf(QStringLiteral("1"))));
        QVERIFY(SaveLinksBase());
        QVERIFY(AddLink(QStringLiteral("3"), QStringLiteral("Фото \"c\".jpg"), QStringLiteral("you")));
        QVERIFY(ResetLink(QStringLiteral("2")));
        QVERIFY(SaveLinksBase());
        // Links.XML is not rewritten for a change...
        QCOMPARE(readRaw(basePath()), folded);
        QVERIFY(QFile::exists(journal));
        // ...and a new session still finds every saved one, in order.
        AddLink(QStringLiteral("4"), QStringLiteral("never saved"), QString());
        QVERIFY(OpenLinksBase());
        QCOMPARE(GetLinksList(), (QStringList{QStringLiteral("1 :: a.jpg"), QStringLiteral("2 :: b.jpg"),
                                              QStringLiteral("3 :: Фото \"c\".jpg")}));
        QVERIFY(IsLinkResolved(QStringLiteral("1")));
        QCOMPARE(GetThumbnailURL(QStringLiteral("1")), QStringLiteral("http://media.example/1_250.jpg"));
        QCOMPARE(LinkAttribute(FindLink(QStringLiteral("3")), "UserName"), QStringLiteral("you"));

        // The fold writes them into Links.XML and drops the journal.
        QVERIFY(FoldLinksBase());
        QVERIFY(!QFile::exists(journal));
        QVERIFY(readRaw(basePath()).contains("Фото &quot;c&quot;.jpg"));
        QVERIFY(prompter.messages().isEmpty());
    }

    void interruptedFoldIsFinishedOrUndone_data()
    {
        QTest::addColumn<bool>("journalLeft");
        QTest::newRow("killed before the journal went") << true;
        QTest::newRow("killed before the rename") << false;
    }
    void interruptedFoldIsFinishedOrUndone()
    {
        QFETCH(bool, journalLeft);
        test::ScriptedPrompter prompter;
        openFresh();
        AddLink(QStringLiteral("1"), QStringLiteral("a.jpg"), QString());
        QVERIFY(FoldLinksBase());
        AddLink(QStringLiteral("2"), QStringLiteral("b.jpg"), QString());
        QVERIFY(SaveLinksBase());
        const QString journal = groupDir.path() + QStringLiteral("/Links.Journal");
        const QString folded = groupDir.path() + QStringLiteral("/Links.Folded.XML");
        // What a fold had written when it was killed: the whole new base beside the old.
        QVERIFY(FileObject::writeBytes(folded, LinksDocument().ToXML()));
        if (!journalLeft)
            QVERIFY(QFile::remove(journal));
        QVERIFY(OpenLinksBase());
        QCOMPARE(GetLinksList(), (QStringList{QStringLiteral("1 :: a.jpg"), QStringLiteral("2 :: b.jpg")}));
        QVERIFY(!QFile::exists(folded));
        QCOMPARE(QFile::exists(journal), journalLeft);
        QCOMPARE(readRaw(basePath()).contains("b.jpg"), !journalLeft);
    }

    void aCutJournalLineIsNotAChange()
    {
        test::ScriptedPrompter prompter;
        openFresh();
        QVERIFY(FoldLinksBase());
        AddLink(QStringLiteral("1"), QStringLiteral("a.jpg"), QString());
        QVERIFY(SaveLinksBase());
        const QString journal = groupDir.path() + QStringLiteral("/Links.Journal");
        QFile f(journal);
        QVERIFY(f.open(QIODevice::Append));
        f.write("{\"id\":\"2\",\"op\":\"ad");
        f.close();
        QVERIFY(OpenLinksBase());
        QCOMPARE(GetLinksList(), QStringList{QStringLiteral("1 :: a.jpg")});
        // The next save starts afresh, so nothing lands behind the cut line.
        AddLink(QStringLiteral("3"), QStringLiteral("c.jpg"), QString());
        QVERIFY(SaveLinksBase());
        QVERIFY(!QFile::exists(journal));
        QVERIFY(OpenLinksBase());
        QCOMPARE(GetLinksList(), (QStringList{QStringLiteral("1 :: a.jpg"), QStringLiteral("3 :: c.jpg")}));
    }

    void otherChangesMakeAFullSave()
    {
        test::ScriptedPrompter prompter;
        openFresh();
        AddLink(QStringLiteral("1"), QStringLiteral("a.jpg"), QString());
        QVERIFY(FoldLinksBase());
        SetNodeAttribute(FindLink(QStringLiteral("1")), QStringLiteral("UserName"), QStringLiteral("edited"));
        QVERIFY(SaveLinksBase());
        QVERIFY(readRaw(basePath()).contains("UserName=\"edited\""));
        QVERIFY(!QFile::exists(groupDir.path() + QStringLiteral("/Links.Journal")));
    }

    void saveFailureRetryAndCancel()
    {
        test::ScriptedPrompter quiet;
        openFresh();
        AddLink(QStringLiteral("1"), QStringLiteral("kept.jpg"), QString());
        // Folded, so the next save has no journal to append to and must create one.
        QVERIFY(FoldLinksBase());
        const QByteArray saved = readRaw(basePath());
        AddLink(QStringLiteral("2"), QStringLiteral("new.jpg"), QString());

        // The folder belongs to the unprivileged user the save runs as, and is
        // read-only, so the failure is real; that user can make it writable again.
        const QString folder = groupDir.path();
        if (geteuid() == 0)
            QVERIFY(::chown(folder.toLocal8Bit().constData(), 65534, 65534) == 0);
        const auto readOnly =
            QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        const auto writable = readOnly | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(folder, readOnly));

        bool cancelled = false;
        {
            CallbackPrompter p([&](const Message&) { return IDCANCEL; });
            QVERIFY(test::runUnprivileged([&] {
                cancelled = !SaveLinksBase();
                return true;
            }));
            QVERIFY(cancelled);
            QCOMPARE(p.messages.size(), 1);
            const Message m = p.messages.first();
            QCOMPARE(m.buttons(), int(MB_RETRYCANCEL));
            QCOMPARE(m.icon(), int(MB_ICONCRITICAL));
            const QStringList parts = m.text.split(QStringLiteral("\r\n\r\n"));
            QCOMPARE(parts.size(), 3);
            QCOMPARE(parts.at(0), basePath());
            QCOMPARE(parts.at(1), QStringLiteral("Can't save data file with all links."));
            QVERIFY(!parts.at(2).isEmpty());
        }
        QCOMPARE(readRaw(basePath()), saved);
        QCOMPARE(GetLinksCount(), 2); // memory keeps the change

        bool savedNow = false;
        {
            int asked = 0;
            CallbackPrompter p([&](const Message&) {
                // The second failure proves Retry tries again; then the folder is mended.
                if (++asked == 2)
                    QFile::setPermissions(folder, writable);
                return IDRETRY;
            });
            QVERIFY(test::runUnprivileged([&] {
                savedNow = SaveLinksBase();
                return true;
            }));
            QCOMPARE(asked, 2);
        }
        QFile::setPermissions(folder, writable | QFile::WriteGroup);
        if (geteuid() == 0)
            QVERIFY(::chown(folder.toLocal8Bit().constData(), 0, 0) == 0);
        QVERIFY(savedNow);
        QVERIFY(readRaw(basePath()).contains("new.jpg"));
    }
};

QTEST_GUILESS_MAIN(TestLinkBase)
#include "test_linkbase.moc"
