#include "../service/servicefixture.h"
#include "linksfixture.h"
#include "scriptedfiledialogs.h"
#include "scriptedshell.h"
#include "testenv.h"
#include "textlist.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "links/batches.h"
#include "platform/fileio.h"
#include "platform/inifile.h"
#include "service/postsubmit.h"
#include "support/transferprogress.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>

using namespace ruvia;
using ruvia::test::json;

namespace {
const QString kEmail = QStringLiteral("batch@example.com");
const QString kPassword = QStringLiteral("pw");
const QString kBlog = QStringLiteral("batchblog.tumblr.com");

QByteArray jpeg(int w, int h, QColor c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "JPG");
    return bytes;
}

// The links window as the operations see it: a plain list, the busy and
// stop flags, and a record of every progress text.
class FakeWindow : public BatchHost {
  public:
    FakeWindow() : transfer([this](const QString& t) { onBlock(t); }, nullptr, cancel) {}
    PostList& posts() override { return list; }
    void setBusy(bool b) override { busy.append(b); }
    bool cancelRequested() const override { return cancel; }
    void setCancelRequest(bool c) override { cancel = c; }
    void showProgress(const QString& text) override
    {
        progress.append(text);
        if (onProgress)
            onProgress(text);
    }
    void listClicked() override { ++clicks; }
    IHTTPRequestCallback* transferCallback() override { return &transfer; }

    void selectAll()
    {
        list.m_selected.clear();
        list.selectRange(0, list.count() - 1, true);
    }

    test::TextList list{GetLinksList()};
    TransferProgress transfer;
    bool cancel = false;
    QList<bool> busy;
    QStringList progress;
    int clicks = 0;
    std::function<void(const QString&)> onProgress;
    std::function<void(const QString&)> onBlock = [](const QString&) {};
};

// Durable: in Links.XML, or in the journal of changes beside it.
bool onDiskResolved(const QString& id)
{
    QString text;
    FileObject::readText(LinksBasePath(), text);
    if (text.contains(QStringLiteral("PostID=\"%1\" OriginalFileName=\"f%1.jpg\" UserName=\"u\" Resolved=\"True\"").arg(id)))
        return true;
    QString journal;
    FileObject::readText(SET_DataPath + QStringLiteral("/Links.Journal"), journal);
    for (const QString& line : journal.split(u'\n'))
        if (line.contains(QStringLiteral("\"op\":\"resolve\"")) && line.contains(QStringLiteral("\"id\":\"%1\"").arg(id)))
            return true;
    return false;
}
} // namespace

class TestBatches : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    QStringList m_ids; // five posts on the stand-in

    // The group's base holds the five posts, unresolved, and `extra` ids.
    void freshBase(const QStringList& extra = {})
    {
        QVERIFY(test::OpenFreshGroup(kBlog));
        for (const QString& f : QDir(SET_DataPath).entryList({QStringLiteral("*.JPG"), QStringLiteral("*.PNG")}, QDir::Files))
            QFile::remove(SET_DataPath + u'/' + f);
        SET_EMail = kEmail;
        SET_Password = kPassword;
        for (const QString& id : m_ids + extra)
            AddLink(id, QStringLiteral("f%1.jpg").arg(id), QStringLiteral("u"));
        QVERIFY(SaveLinksBase());
    }

    // Resolves the five posts of the stand-in.
    void resolveAll()
    {
        FakeWindow w;
        w.list.selectRange(0, 4, true);
        test::ScriptedPrompter prompter;
        PictureOperations(w).ResolveSelectedPosts();
        QVERIFY(prompter.messages().isEmpty());
    }

    QString postUrl(const QString& id, const QString& size)
    {
        for (const QJsonValue& p : standin.posts())
            if (p[QStringLiteral("id")].toString() == id)
                return p[QStringLiteral("urls")][size].toString();
        return {};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--account"), kEmail + u':' + kPassword, QStringLiteral("--blog"),
                                kEmail + QStringLiteral(":batchblog:Batch Blog")}),
                 qPrintable(standin.errorOutput()));
        QVERIFY(test::pointProxyAt(standin.port()));
        ResetSettingsToDefaults();
        for (int i = 0; i < 5; ++i) {
            QString id;
            QVERIFY(WritePost(kBlog, kEmail, kPassword, QStringLiteral("caption %1").arg(i), QString(), QString(),
                              StatePublishNow, QString(), jpeg(600 + i * 10, 400, QColor::fromHsv(i * 60, 200, 200)),
                              QString(), nullptr, id));
            m_ids.append(id);
        }
    }
    void init()
    {
        standin.clearFaults();
        standin.clearRequests();
    }
    void cleanup() { test::CloseGroup(); }

    void resolvingFiveLeavesTheLastSelectedAndSavesAfterEach()
    {
        freshBase();
        FakeWindow w;
        w.selectAll();
        QStringList savedBefore;
        w.onProgress = [&](const QString&) {
            // What the base file holds when the next post starts.
            QStringList done;
            for (const QString& id : m_ids)
                if (onDiskResolved(id))
                    done.append(id);
            savedBefore.append(done.join(u','));
        };
        test::ScriptedPrompter prompter;
        PictureOperations(w).ResolveSelectedPosts();
        QVERIFY(prompter.messages().isEmpty());
        QCOMPARE(w.progress.first(), QStringLiteral("Resolving post ") + m_ids.at(0) + QStringLiteral("..."));
        QCOMPARE(savedBefore.at(2), m_ids.at(0) + u',' + m_ids.at(1));
        QCOMPARE(w.busy, (QList<bool>{true, false}));
        QVERIFY(!w.cancel);
        QCOMPARE(w.clicks, 1);
        QCOMPARE(w.list.m_selected, QSet<int>{4});
        QCOMPARE(w.list.m_current, 4);
        for (const QString& id : m_ids) {
            QVERIFY(IsLinkResolved(id));
            QCOMPARE(GetThumbnailURL(id), postUrl(id, QStringLiteral("250")));
            QVERIFY(onDiskResolved(id));
        }
        QCOMPARE(standin.requests(QStringLiteral("read")).size(), 5);

        // A second run reads nothing.
        standin.clearRequests();
        FakeWindow again;
        again.selectAll();
        PictureOperations(again).ResolveSelectedPosts();
        QCOMPARE(again.progress.first(), QStringLiteral("Post ") + m_ids.at(0) + QStringLiteral(" already resolved."));
        QCOMPARE(standin.requests(QStringLiteral("read")).size(), 0);
    }

    void unknownIdIsIgnoredOrEndsTheBatch_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("ignore") << int(IDIGNORE);
        QTest::newRow("abort") << int(IDABORT);
    }
    void unknownIdIsIgnoredOrEndsTheBatch()
    {
        QFETCH(int, answer);
        const QString unknown = QStringLiteral("99999999");
        freshBase();
        AddLink(unknown, QStringLiteral("gone.jpg"), QStringLiteral("u"));
        AddLink(m_ids.at(0), QStringLiteral("f-again.jpg"), QStringLiteral("u"));
        // The unknown post second, so one post is done before it.
        FakeWindow w;
        w.list = test::TextList({m_ids.at(0), unknown, m_ids.at(1), m_ids.at(2)});
        w.selectAll();
        test::ScriptedPrompter prompter;
        prompter.queue(answer);
        PictureOperations(w).ResolveSelectedPosts();
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't download blog's XML file.")));
        QVERIFY(!IsLinkResolved(unknown));
        QVERIFY(IsLinkResolved(m_ids.at(0)));
        QVERIFY(onDiskResolved(m_ids.at(0)));
        if (answer == IDIGNORE) {
            QVERIFY(IsLinkResolved(m_ids.at(2)));
            QCOMPARE(w.list.m_selected, QSet<int>{3});
        } else {
            QVERIFY(!IsLinkResolved(m_ids.at(1)));
            // The post where it stopped and those after it stay selected.
            QCOMPARE(w.list.m_selected, (QSet<int>{1, 2, 3}));
        }
        QCOMPARE(w.busy.last(), false);
    }

    void stopBetweenPostsKeepsWhatWasDone()
    {
        freshBase();
        FakeWindow w;
        w.selectAll();
        w.onProgress = [&](const QString& text) {
            if (text.contains(m_ids.at(1)))
                w.cancel = true;
        };
        test::ScriptedPrompter prompter;
        PictureOperations(w).ResolveSelectedPosts();
        QVERIFY(IsLinkResolved(m_ids.at(0)));
        // Asked while its read was starting: the read is abandoned at its first block.
        QVERIFY(!IsLinkResolved(m_ids.at(1)));
        QVERIFY(!IsLinkResolved(m_ids.at(2)));
        QVERIFY(onDiskResolved(m_ids.at(0)));
        QVERIFY(!w.cancel);
        QVERIFY(prompter.messages().isEmpty());
    }

    void resetAsksOnceWithTheCount()
    {
        freshBase({QStringLiteral("424242")});
        resolveAll();
        FakeWindow w;
        w.selectAll();
        test::ScriptedPrompter prompter;
        prompter.queue(IDCANCEL);
        PictureOperations(w).ResetSelectedLinks();
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Reset selected links?\r\nTotal links to reset: 6")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONQUESTION));
        QVERIFY(IsLinkResolved(m_ids.at(0)));
        QVERIFY(w.busy.isEmpty());
        prompter.queue(IDOK);
        PictureOperations(w).ResetSelectedLinks();
        QCOMPARE(prompter.messages().size(), 2);
        for (const QString& id : m_ids)
            QVERIFY(!IsLinkResolved(id));
        QCOMPARE(w.progress.first(), QStringLiteral("Resetting post ") + m_ids.at(0) + QStringLiteral("..."));
        QCOMPARE(w.progress.last(), QStringLiteral("Post 424242 not resolved."));
        // What a new session finds: the resets were saved.
        QVERIFY(OpenLinksBase());
        QVERIFY(!IsLinkResolved(m_ids.at(0)));
        QCOMPARE(GetLinksCount(), 6);
    }

    void downloadsAllMissingAndUnresolved()
    {
        freshBase({QStringLiteral("424242")});
        resolveAll();
        FakeWindow w;
        w.selectAll();
        test::ScriptedPrompter prompter;
        PictureOperations(w).DownloadSelectedFiles(true, false);
        QVERIFY(prompter.messages().isEmpty());
        for (const QString& id : m_ids) {
            const QString file = GetThumbnailFileName(id);
            QVERIFY2(file.endsWith(QStringLiteral(".250.JPG")), qPrintable(file));
            QCOMPARE(QImage(file).width(), 250);
        }
        QCOMPARE(w.progress.first(), QStringLiteral("Downloading picture for post ") + m_ids.at(0) + QStringLiteral("..."));
        QCOMPARE(w.progress.last(), QStringLiteral("Link not resolved!\r\n"));
        QCOMPARE(standin.requests(QStringLiteral("picture")).size(), 5);

        // Missing only: the one picture already there is not fetched again.
        QVERIFY(SaveReceivedFile(GetPictureFileName(m_ids.at(1)), jpeg(10, 10, Qt::red)));
        standin.clearRequests();
        FakeWindow missing;
        missing.list.m_selected = {0, 1, 2};
        PictureOperations(missing).DownloadSelectedFiles(false, true);
        QCOMPARE(missing.progress.at(1), QStringLiteral("File Ok!\r\n") + GetPictureFileName(m_ids.at(1)));
        QCOMPARE(standin.requests(QStringLiteral("picture")).size(), 2);
        QCOMPARE(QImage(GetPictureFileName(m_ids.at(1))).width(), 10);
        QCOMPARE(QImage(GetPictureFileName(m_ids.at(2))).width(), 620);
    }

    void failedDownloadsAskAbortRetryIgnore_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("said");
        QTest::newRow("404, ignore") << QByteArray("{'endpoint':'picture','kind':'status','status':404}") << int(IDIGNORE) << "404";
        QTest::newRow("503, abort") << QByteArray("{'endpoint':'picture','kind':'status','status':503,'html':true}") << int(IDABORT) << "503";
        QTest::newRow("dropped, retry") << QByteArray("{'endpoint':'picture','kind':'drop'}") << int(IDRETRY) << "";
        QTest::newRow("html page, ignore") << QByteArray("{'endpoint':'picture','kind':'body','body':'<html>blocked</html>','contentType':'text/html'}") << int(IDIGNORE) << "web page (text/html, 20 bytes)";
        QTest::newRow("empty, abort") << QByteArray("{'endpoint':'picture','kind':'empty'}") << int(IDABORT) << "empty reply";
    }
    void failedDownloadsAskAbortRetryIgnore()
    {
        QFETCH(QByteArray, fault);
        QFETCH(int, answer);
        QFETCH(QString, said);
        freshBase();
        resolveAll();
        // The second post already has a good thumbnail that a failure must not touch.
        const QByteArray good = jpeg(30, 20, Qt::green);
        QVERIFY(SaveReceivedFile(GetThumbnailFileName(m_ids.at(1)), good));
        FakeWindow w;
        w.list.m_selected = {0, 1, 2};
        // The first download goes through; the fault hits the second.
        w.onProgress = [&](const QString& text) {
            if (text.contains(m_ids.at(1)))
                standin.addFault(json(fault.constData()));
        };
        QFile::remove(GetThumbnailFileName(m_ids.at(0)));
        test::ScriptedPrompter prompter;
        prompter.queue(answer);
        PictureOperations(w).DownloadSelectedFiles(true, false);
        QCOMPARE(prompter.messages().size(), 1);
        const QString url = GetThumbnailURL(m_ids.at(1));
        QVERIFY(prompter.last().text.startsWith(url + QStringLiteral("\r\n\r\nCan't download file.\r\n\r\n")));
        QVERIFY2(prompter.last().text.contains(said), qPrintable(prompter.last().text));
        QCOMPARE(prompter.last().buttons(), int(MB_ABORTRETRYIGNORE));
        QVERIFY(QFile::exists(GetThumbnailFileName(m_ids.at(0))));
        QByteArray now;
        FileObject::readBytes(GetThumbnailFileName(m_ids.at(1)), now);
        if (answer == IDRETRY)
            QCOMPARE(QImage::fromData(now).width(), 250);
        else
            QCOMPARE(now, good);
        QCOMPARE(QFile::exists(GetThumbnailFileName(m_ids.at(2))), answer != IDABORT);
        QCOMPARE(QDir(SET_DataPath).entryList({QStringLiteral("*.250.JPG.*")}, QDir::Files), QStringList());
        QCOMPARE(w.busy.last(), false);
    }

    void stopInsideATransferLeavesNoPartialFile()
    {
        freshBase();
        resolveAll();
        const QByteArray good = jpeg(30, 20, Qt::green);
        QVERIFY(SaveReceivedFile(GetPictureFileName(m_ids.at(1)), good));
        QFile::remove(GetPictureFileName(m_ids.at(0)));
        FakeWindow w;
        w.list.m_selected = {0, 1, 2};
        int blocks = 0;
        w.onProgress = [&](const QString& text) {
            if (text.contains(m_ids.at(1)))
                standin.addFault(json("{'endpoint':'picture','kind':'slow','chunkBytes':512,'chunkDelayMs':20}"));
        };
        w.onBlock = [&](const QString& text) {
            if (text.startsWith(QStringLiteral("Received ")) && standin.faults().size() == 0 && ++blocks == 3)
                w.cancel = true;
        };
        test::ScriptedPrompter prompter;
        PictureOperations(w).DownloadSelectedFiles(false, false);
        QVERIFY(prompter.messages().isEmpty());
        QVERIFY(blocks >= 3);
        QVERIFY(QFile::exists(GetPictureFileName(m_ids.at(0))));
        QByteArray now;
        FileObject::readBytes(GetPictureFileName(m_ids.at(1)), now);
        QCOMPARE(now, good);
        QVERIFY(!QFile::exists(GetPictureFileName(m_ids.at(2))));
        const QStringList left = QDir(SET_DataPath).entryList(QDir::Files);
        for (const QString& f : left)
            QVERIFY2(f.endsWith(QStringLiteral(".JPG")) || f.endsWith(QStringLiteral(".XML")) ||
                         f.endsWith(QStringLiteral(".INI")) || f == u"Links.Journal",
                     qPrintable(f));
        QCOMPARE(w.list.m_selected, (QSet<int>{1, 2}));
        QVERIFY(!w.cancel);
    }

    void pictureNamedAfterThe500Extension()
    {
        freshBase();
        PostLinks links = test::SampleLinks(m_ids.at(0), QStringLiteral("jpg"));
        links[PostLinks::Picture500].replace(QStringLiteral(".jpg"), QStringLiteral(".png"));
        links[PostLinks::Picture1280] = postUrl(m_ids.at(0), QStringLiteral("1280"));
        ResolveLink(m_ids.at(0), links);
        FakeWindow w;
        w.list.m_selected = {0};
        test::ScriptedPrompter prompter;
        PictureOperations(w).DownloadSelectedFiles(false, false);
        QVERIFY(GetPictureFileName(m_ids.at(0)).endsWith(QStringLiteral(".1280.PNG")));
        QVERIFY(QFile::exists(GetPictureFileName(m_ids.at(0))));
        QCOMPARE(standin.requests(QStringLiteral("picture")).first()[QStringLiteral("path")].toString(),
                 QUrl(links[PostLinks::Picture1280]).path());
    }

    void namesFromTheBaseStayInTheGroupFolder()
    {
        freshBase();
        PostLinks links = test::SampleLinks(m_ids.at(0));
        links[PostLinks::Picture250] = QStringLiteral("http://1.media.tumblr.com/x.y/../../../../tmp/evil");
        links[PostLinks::Picture500] = QStringLiteral("http://1.media.tumblr.com/a.b\\..\\..\\evil");
        ResolveLink(m_ids.at(0), links);
        for (const QString& file : {GetThumbnailFileName(m_ids.at(0)), GetPictureFileName(m_ids.at(0))})
            QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(SET_DataPath).absoluteFilePath());
        AddLink(QStringLiteral("../../1"), QStringLiteral("x"), QStringLiteral("u"));
        ResolveLink(QStringLiteral("../../1"), test::SampleLinks(QStringLiteral("1")));
        QCOMPARE(GetThumbnailFileName(QStringLiteral("../../1")), QString());
    }

    void saveFailureAsksAbortRetryIgnore_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("goOn");
        QTest::newRow("ignore") << int(IDIGNORE) << true;
        QTest::newRow("abort") << int(IDABORT) << false;
    }
    void saveFailureAsksAbortRetryIgnore()
    {
        QFETCH(int, answer);
        QFETCH(bool, goOn);
        const QString file = profile.root() + QStringLiteral("/no such folder/1.250.JPG");
        test::ScriptedPrompter prompter;
        prompter.queue({IDRETRY, answer});
        QCOMPARE(PictureOperations::SaveReceivedFile(file, "x"), goOn);
        QCOMPARE(prompter.messages().size(), 2);
        QVERIFY(prompter.last().text.startsWith(file + QStringLiteral("\r\n\r\nError saving received file.")));
    }

    void deleteAsksOnceAndReportsASingleMissingFile()
    {
        freshBase({QStringLiteral("424242")});
        resolveAll();
        QVERIFY(SaveReceivedFile(GetThumbnailFileName(m_ids.at(0)), "x"));
        FakeWindow one;
        one.list.m_selected = {1};
        test::ScriptedPrompter prompter;
        prompter.queue(IDOK);
        PictureOperations(one).DeleteSelectedFiles(true);
        QCOMPARE(prompter.texts(), (QStringList{QStringLiteral("Delete thumbnail picture files?\r\nTotal files to delete: 1"),
                                                QStringLiteral("It's is not downloaded yet. Nothing to delete ^^")}));
        prompter.clear();
        FakeWindow several;
        several.selectAll();
        prompter.queue(IDCANCEL);
        PictureOperations(several).DeleteSelectedFiles(true);
        QVERIFY(QFile::exists(GetThumbnailFileName(m_ids.at(0))));
        prompter.queue(IDOK);
        PictureOperations(several).DeleteSelectedFiles(true);
        QCOMPARE(prompter.texts().last(), QStringLiteral("Delete thumbnail picture files?\r\nTotal files to delete: 5"));
        QCOMPARE(prompter.messages().size(), 2);
        QVERIFY(!QFile::exists(GetThumbnailFileName(m_ids.at(0))));
        QCOMPARE(several.clicks, 1);
        prompter.queue(IDOK);
        PictureOperations(several).DeleteSelectedFiles(false);
        QCOMPARE(prompter.texts().last(), QStringLiteral("Delete picture files?\r\nTotal files to delete: 5"));
    }

    void importOverAReadOnlyFile()
    {
        freshBase();
        resolveAll();
        const QString source = profile.root() + QStringLiteral("/pictures/holiday.jpg");
        QDir().mkpath(QFileInfo(source).path());
        QVERIFY(FileObject::writeBytes(source, jpeg(40, 30, Qt::blue)));
        const QString target = GetPictureFileName(m_ids.at(0));
        QVERIFY(SaveReceivedFile(target, "old"));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        FakeWindow w;
        w.list.m_selected = {0};
        test::ScriptedFileDialogs dialogs;
        test::ScriptedPrompter prompter;
        dialogs.queue(QString());
        PictureOperations(w).ImportSelectedFile(false);
        QVERIFY(prompter.messages().isEmpty());
        QCOMPARE(dialogs.last().options.fileName, QStringLiteral("f%1.jpg").arg(m_ids.at(0)));
        QCOMPARE(dialogs.last().options.filter, ImportPictureFilter());
        QCOMPARE(dialogs.last().options.initialFolder, QString());

        dialogs.queue(source);
        prompter.queue(IDCANCEL);
        PictureOperations(w).ImportSelectedFile(false);
        QCOMPARE(prompter.texts(), QStringList{target + QStringLiteral("\r\n\r\nFile already exist in the base. Replace it?")});
        QByteArray now;
        FileObject::readBytes(target, now);
        QCOMPARE(now, QByteArray("old"));

        dialogs.queue(source);
        prompter.queue(IDOK);
        PictureOperations(w).ImportSelectedFile(false);
        // Made writable again, not left read-only by the replacement.
        QVERIFY(QFileInfo(target).permission(QFile::WriteOwner));
        QCOMPARE(dialogs.last().options.initialFolder, QFileInfo(source).path() + u'/');
        QCOMPARE(prompter.texts().last(), QStringLiteral("Picture has successfuly added to the base."));
        FileObject::readBytes(target, now);
        QCOMPARE(QImage::fromData(now).width(), 40);
        QCOMPARE(tsReadStringFromINI(QStringLiteral("Recent Directories"), QStringLiteral("Last Import Picture Directory"),
                                     QString(), GetGroupSettingsFile()),
                 QFileInfo(source).path() + u'/');
    }

    void openPost()
    {
        freshBase();
        resolveAll();
        test::ScriptedShell desktop;
        test::ScriptedPrompter prompter;
        FakeWindow w;
        w.list.m_selected = {0, 1};
        PictureOperations(w).OpenPost();
        QVERIFY(desktop.opened.isEmpty());
        w.list.m_selected = {0};
        PictureOperations(w).OpenPost();
        QCOMPARE(desktop.opened, QStringList{GetPostURL(m_ids.at(0))});
        QVERIFY(GetPostURL(m_ids.at(0)).contains(QStringLiteral("/post/") + m_ids.at(0)));
        desktop.opens = false;
        PictureOperations(w).OpenPost();
        QCOMPARE(prompter.texts(), QStringList{GetPostURL(m_ids.at(0)) + QStringLiteral("\r\n\r\nCan't open picture post.")});
        xhXMLDocument::RemoveAttribute(FindLink(m_ids.at(0)), QStringLiteral("PostURL"));
        xhXMLDocument::RemoveAttribute(FindLink(m_ids.at(0)), QStringLiteral("PostURLSlug"));
        PictureOperations(w).OpenPost();
        QCOMPARE(prompter.texts().last(), QStringLiteral("For some reason post URL for this picture not found."));
    }

  private:
    static bool SaveReceivedFile(const QString& file, const QByteArray& data)
    {
        return PictureOperations::SaveReceivedFile(file, data);
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    TestBatches t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_batches.moc"
