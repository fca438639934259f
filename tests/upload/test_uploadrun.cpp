// The upload run against the stand-in service, driven without a window:
// what it posts and records, and every way a row can fail.
#include "linksfixture.h"
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"
#include "uploadfixture.h"

#include "platform/log.h"
#include "platform/textutil.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"
#include "support/statistics.h"
#include "upload/lostpost.h"
#include "upload/uploadlist.h"
#include "upload/uploadrun.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>

#include <functional>
#include <memory>

using namespace ruvia;
using test::json;

namespace {

class FakeView : public IUploadRunView, public IUploadStatusIndicator {
public:
    FakeView() { SetUploadStatusIndicator(this); }
    ~FakeView() override { SetUploadStatusIndicator(nullptr); }

    QStringList steps;
    QStringList positions;
    QList<int> states;
    QList<int> selected;
    std::function<void(const QString&)> onStep;

    void ShowProgress(const QString& text) override
    {
        if (text.startsWith(QStringLiteral("Sent ")) || text.startsWith(QStringLiteral("Received ")))
            return;
        steps.append(text);
        if (onStep)
            onStep(text);
    }
    void ShowRunPosition(const QString& text) override { positions.append(text); }
    void SetStatusColor(int state) override { states.append(state); }
    void SelectRow(int row) override { selected.append(row); }
    void UpdateControls() override {}
    void clear()
    {
        steps.clear();
        positions.clear();
        states.clear();
        selected.clear();
        onStep = {};
    }
};

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// The post id of a "... post N..." step text.
QString postIdOf(const QString& step)
{
    return step.section(u' ', -1).chopped(3);
}

} // namespace

class TestUploadRun : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    QString sources;
    std::unique_ptr<UploadList> list;
    std::unique_ptr<CStatistics> stats;
    FakeView view;

    void queueFile(const QString& name, const QByteArray& bytes, const QString& caption = {},
                   const QString& tags = {})
    {
        const QString path = sources + u'/' + name;
        QVERIFY(test::writeFile(path, bytes));
        PostBoxes boxes{caption, tags, {}, false};
        QVERIFY(list->PasteToList(path, false, true, boxes));
    }
    void queueLink(const QString& url, const QString& caption = {})
    {
        PostBoxes boxes{caption, {}, {}, false};
        QVERIFY(list->PasteToList(url, false, true, boxes));
    }
    void run(int state = StatePublishNow, const QString& publishOn = {})
    {
        CUploadRun r(*list, view, stats.get());
        r.Start(state, publishOn);
        QVERIFY(!r.IsRunning());
    }
    void runStopping(const std::function<bool(const QString&)>& when)
    {
        CUploadRun r(*list, view, stats.get());
        view.onStep = [&](const QString& step) {
            if (when(step))
                r.RequestStop();
        };
        r.Start(StatePublishNow, {});
        view.onStep = {};
    }
    QJsonArray posts() { return standin.posts(); }
    int savedRows()
    {
        UploadList saved;
        saved.LoadListedUploads();
        return saved.count();
    }
    QString linkAttribute(const QString& id, const char* name)
    {
        return LinkAttribute(FindLink(id), name);
    }
    // The ids of the stand-in's posts with that caption, oldest first.
    QStringList postsWithCaption(const QString& caption)
    {
        QStringList ids;
        for (const QJsonValue& p : posts())
            if (p.toObject().value(QStringLiteral("caption")).toString() == caption)
                ids.append(p.toObject().value(QStringLiteral("id")).toString());
        return ids;
    }
    // A post made on the blog behind the run's back.
    QString postDirectly(const QString& caption, const QString& tags, const QByteArray& bytes)
    {
        QString id;
        if (!WritePost(SET_GroupName, SET_EMail, SET_Password, caption, tags, {}, StatePublishNow, {},
                       bytes, {}, nullptr, id))
            return {};
        return id;
    }
    int writes() { return int(standin.requests(QStringLiteral("write")).size()); }
    // The first row's write dropped after the service made its post.
    void loseTheFirstReply()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'drop','when':'reply'}")));
        run();
        QCOMPARE(list->count(), 1);
        QCOMPARE(writes(), 1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--account"), QStringLiteral("a@b.c:pw"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:mainblog:Main Blog"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:plainyes:Plain Yes"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:plainno:Plain No")}),
                 qPrintable(standin.errorOutput()));
        QVERIFY(test::pointProxyAt(standin.port()));
    }

    void init()
    {
        QVERIFY(test::openFreshGroup(profile.root()));
        sources = profile.root() + QStringLiteral("/sources");
        QDir(sources).removeRecursively();
        ResetSettingsToDefaults();
        SET_Timeout = 20000;
        QVERIFY(standin.clearFaults());
        QVERIFY(standin.clearRequests());
        list = std::make_unique<UploadList>();
        stats = std::make_unique<CStatistics>(SET_DataPath + QStringLiteral("/Settings.INI"));
        view.clear();
    }

    void cleanup()
    {
        list.reset();
        stats.reset();
    }

    void aFullRun()
    {
        test::ScriptedPrompter prompter;
        const QByteArray a = test::someBytes(50000, 1), b = test::someBytes(70000, 2);
        queueFile(QStringLiteral("a.jpg"), a, QStringLiteral("Cap A\r\nline two"), QStringLiteral("t1, \"t 2\""));
        queueFile(QStringLiteral("keep.jpg"), test::someBytes(10));
        list->SetChecked(1, false);
        const QString keptCopy = list->item(1).FileName;
        const QString url = QStringLiteral("http://pictures.example.org/p/sunset.jpg?s=1#top");
        queueLink(url, QStringLiteral("From the web"));
        queueFile(QStringLiteral("b.jpg"), b);
        const int baseBefore = GetLinksCount();
        const qint64 postsBefore = posts().size();

        run();

        const QJsonArray all = posts();
        QCOMPARE(all.size(), postsBefore + 3);
        const QJsonObject pa = all.at(postsBefore).toObject(), pl = all.at(postsBefore + 1).toObject(),
                          pb = all.at(postsBefore + 2).toObject();
        QCOMPARE(pa.value(QStringLiteral("caption")).toString(), QStringLiteral("Cap A\r\nline two"));
        QCOMPARE(pa.value(QStringLiteral("tags")).toArray().size(), 2);
        QCOMPARE(pa.value(QStringLiteral("dataSha256")).toString(), sha256(a));
        QCOMPARE(pa.value(QStringLiteral("state")).toString(), QStringLiteral("published"));
        QCOMPARE(pl.value(QStringLiteral("source")).toString(), url);
        QCOMPARE(pb.value(QStringLiteral("dataSha256")).toString(), sha256(b));
        const QJsonObject linkWrite = standin.requests(QStringLiteral("write")).at(1).toObject();
        QVERIFY(test::StandIn::fieldNames(linkWrite).contains(QStringLiteral("source")));
        QVERIFY(!test::StandIn::fieldNames(linkWrite).contains(QStringLiteral("data")));

        QCOMPARE(GetLinksCount(), baseBefore + 3);
        const QStringList ids = {pa.value(QStringLiteral("id")).toString(), pl.value(QStringLiteral("id")).toString(),
                                 pb.value(QStringLiteral("id")).toString()};
        QCOMPARE(GetLinksList(), QStringList({ids[0] + QStringLiteral(" :: a.jpg"),
                                              ids[1] + QStringLiteral(" :: sunset.jpg"),
                                              ids[2] + QStringLiteral(" :: b.jpg")}));
        xhXMLDocument saved;
        QVERIFY(test::LoadDurableBase(saved));
        QCOMPARE(int(saved.SelectNodes(QStringLiteral("/Links/Link[@Resolved='True']")).size()), 3);
        for (const QString& id : ids) {
            QCOMPARE(linkAttribute(id, "UserName"), tsGetFullUserName(true));
            QVERIFY(IsLinkResolved(id));
            QVERIFY(QFile(GetThumbnailFileName(id)).size() > 0);
        }
        QCOMPARE(test::readAll(GetPictureFileName(ids[0])), a);
        QVERIFY(!QFile::exists(GetPictureFileName(ids[1])));
        QCOMPARE(test::readAll(GetPictureFileName(ids[2])), b);

        // The unchecked row stays, alone in the queue and in its folder.
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0).OriginalFileName, QStringLiteral("keep.jpg"));
        QVERIFY(!list->item(0).Selected);
        QCOMPARE(savedRows(), 1);
        QCOMPARE(test::entriesOf(SET_UploadsPath), QStringList{tsGetFileName(keptCopy)});

        QCOMPARE(view.positions, QStringList({QStringLiteral("Picture 1 of 3"), QStringLiteral("Picture 2 of 3"),
                                              QStringLiteral("Picture 3 of 3")}));
        QCOMPARE(view.steps.mid(0, 3), QStringList({QStringLiteral("Uploading picture..."),
                                                    QStringLiteral("Resolving post ") + ids[0] + QStringLiteral("..."),
                                                    QStringLiteral("Downloading thumbnail for post ") + ids[0] +
                                                        QStringLiteral("...")}));
        QCOMPARE(view.steps.last(), QStringLiteral("All done..."));
        QCOMPARE(view.selected, QList<int>({-1, 0, 1, 1}));
        QVERIFY(!view.states.contains(1) && !view.states.contains(2));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));
        QVERIFY(stats->CurrentSentBytes > a.size() + b.size());
        QVERIFY(stats->CurrentReceivedBytes > 0);
    }

    void nothingChecked()
    {
        test::ScriptedPrompter prompter;
        run(); // an empty list: nothing at all
        QVERIFY(prompter.messages().isEmpty());
        queueLink(QStringLiteral("http://x.org/a.jpg"));
        list->SetAllChecked(false);
        run();
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("No elements was checked. Nothing to upload.")});
        QVERIFY(view.steps.isEmpty());
        QVERIFY(standin.requests().isEmpty());
    }

    void stateAndPublishDateAreSent()
    {
        test::ScriptedPrompter prompter;
        queueLink(QStringLiteral("http://x.org/a.jpg"));
        run(StatePublishOn, QStringLiteral("2030-01-01T13:34:00"));
        const QJsonObject write = standin.requests(QStringLiteral("write")).first().toObject();
        QCOMPARE(test::StandIn::fieldBytes(write, QStringLiteral("state")), QByteArray("queue"));
        QCOMPARE(test::StandIn::fieldBytes(write, QStringLiteral("publish-on")), QByteArray("2030-01-01T13:34:00"));
        QCOMPARE(list->count(), 0);
    }

    void refusedPostKeepsTheRow()
    {
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("a.jpg"), test::someBytes(500));
        queueFile(QStringLiteral("b.jpg"), test::someBytes(500));
        const QList<UploadItem> before = list->items();
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'status','status':400,'body':'Invalid post state: x'}")));
        const int linksBefore = GetLinksCount();
        const qint64 postsBefore = posts().size();
        run();
        QCOMPARE(posts().size(), postsBefore);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't send post. Invalid post state: x")));
        QCOMPARE(list->items(), before);
        QVERIFY(QFile::exists(before.first().FileName));
        QCOMPARE(view.states.last(), 2);
        QCOMPARE(GetLinksCount(), linksBefore);
        // The run ended: the second row was not tried.
        QCOMPARE(standin.requests(QStringLiteral("write")).size(), 1);
    }

    void aStopDuringTheWriteKeepsTheRow()
    {
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("a.jpg"), test::someBytes(400000), QStringLiteral("Stopped"));
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'slow','readBytes':16384,'readDelayMs':50}")));
        const qint64 postsBefore = posts().size();
        runStopping([](const QString& step) { return step == u"Uploading picture..."; });
        QCOMPARE(list->count(), 1);
        QVERIFY(QFile::exists(list->item(0).FileName));
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't send post.")));
        QCOMPARE(view.states.last(), 2);
        QCOMPARE(posts().size(), postsBefore);
        // A stop asked for after the last request does not leak into the next run.
        CUploadRun r(*list, view, nullptr);
        r.RequestStop();
        prompter.clear();
        r.Start(StatePublishNow, {});
        QCOMPARE(list->count(), 0);
        QCOMPARE(posts().size(), postsBefore + 1);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
    }

    // A picture with no caption, tags or address can be told from another
    // such post only by the user: the run asks, and No (the default) posts again.
    void aPlainLostPostIsAskedAbout_data()
    {
        QTest::addColumn<QString>("blog");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("postsAfter");
        QTest::newRow("Yes, it is") << "plainyes" << int(IDYES) << 1;
        QTest::newRow("No, post again") << "plainno" << int(IDNO) << 2;
    }
    void aPlainLostPostIsAskedAbout()
    {
        QFETCH(QString, blog);
        QFETCH(int, answer);
        // A blog of its own, so the only plain post of the time is the lost one.
        QVERIFY(test::openFreshGroup(profile.root(), blog + QStringLiteral(".tumblr.com")));
        list = std::make_unique<UploadList>();
        test::ScriptedPrompter prompter;
        queueLink(QStringLiteral("http://pictures.example.org/plain.jpg"));
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'drop','when':'reply'}")));
        run();
        const QString lost = posts().last().toObject().value(QStringLiteral("id")).toString();
        QCOMPARE(list->count(), 1);
        prompter.clear();
        prompter.queue(answer);
        run();
        const Message question = prompter.messages().first();
        QCOMPARE(question.style, int(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        QVERIFY(question.text.contains(QStringLiteral("http://%1.tumblr.com/post/%2").arg(blog, lost)));
        QCOMPARE(list->count(), 0);
        QStringList onBlog;
        for (const QJsonValue& p : posts())
            if (p.toObject().value(QStringLiteral("blog")).toString() == blog)
                onBlog.append(p.toObject().value(QStringLiteral("id")).toString());
        QTEST(int(onBlog.size()), "postsAfter");
        QCOMPARE(GetLinksList(), QStringList{onBlog.last() + QStringLiteral(" :: plain.jpg")});
    }

    // A write whose reply was lost after the service made the post: the row
    // stays, marked on disk before the request went, and the next run finds
    // the post on the blog and records it instead of posting the picture twice.
    void aLostReplyIsFoundNotPostedAgain_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("publishOn");
        QTest::newRow("picture, published") << false << int(StatePublishNow) << QString();
        QTest::newRow("link, draft") << true << int(StateDraft) << QString();
        QTest::newRow("picture, publish on") << false << int(StatePublishOn) << QStringLiteral("2030-01-01T13:34:00");
        QTest::newRow("link, private") << true << int(StatePrivate) << QString();
    }
    void aLostReplyIsFoundNotPostedAgain()
    {
        QFETCH(bool, link);
        QFETCH(int, state);
        QFETCH(QString, publishOn);
        test::ScriptedPrompter prompter;
        const QString caption = QStringLiteral("Lost <b>reply</b> &amp; found: ") + QString::fromLatin1(QTest::currentDataTag());
        const QString tags = QStringLiteral("lost, \"Found Again\"");
        PostBoxes boxes{caption, tags, QStringLiteral("http://click.example.org/"), false};
        const QByteArray picture = test::pictureBytes(64, 48, qRgb(200, 40, 40));
        QString path = QStringLiteral("http://pictures.example.org/lost.jpg");
        if (!link) {
            path = sources + QStringLiteral("/lost.jpg");
            QVERIFY(test::writeFile(path, picture));
        }
        QVERIFY(list->PasteToList(path, false, true, boxes));
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'drop','when':'reply'}")));
        int markedState = -1;
        view.onStep = [&](const QString& step) {
            if (step == u"Uploading picture...") {
                UploadList saved;
                saved.LoadListedUploads();
                markedState = saved.item(0).UnconfirmedState;
            }
        };
        CUploadRun(*list, view, nullptr).Start(state, publishOn);
        view.onStep = {};
        // Marked on disk before the request went, so even a killed run looks first.
        QCOMPARE(markedState, state);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't send post.")));
        const QStringList made = postsWithCaption(caption);
        QCOMPARE(made.size(), 1);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0).UnconfirmedState, state);
        QCOMPARE(GetLinksCount(), 0);

        // Started again, from a fresh load of the queue as after a restart.
        list = std::make_unique<UploadList>();
        list->LoadListedUploads();
        prompter.clear();
        CUploadRun(*list, view, nullptr).Start(state, publishOn);
        QCOMPARE(postsWithCaption(caption), made);
        QCOMPARE(writes(), 1);
        QCOMPARE(list->count(), 0);
        QCOMPARE(savedRows(), 0);
        QCOMPARE(GetLinksList(), QStringList{made.first() + QStringLiteral(" :: lost.jpg")});
        QVERIFY(IsLinkResolved(made.first()));
        QVERIFY(QFile(GetThumbnailFileName(made.first())).size() > 0);
        QCOMPARE(QFile::exists(GetPictureFileName(made.first())), !link);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        const QJsonObject check = standin.requests(QStringLiteral("read")).at(0).toObject();
        QCOMPARE(check.value(QStringLiteral("query")).toString(), QString());
        QCOMPARE(test::StandIn::fieldBytes(check, QStringLiteral("state")),
                 ListStateOfCode(state).toUtf8());
    }

    // Posts made on the blog since the lost one push it off the first page
    // of the newest posts: the search reads on.
    void theLostPostIsFoundPastTheFirstPage()
    {
        test::ScriptedPrompter prompter;
        queueLink(QStringLiteral("http://pictures.example.org/deep.jpg"), QStringLiteral("Deep"));
        loseTheFirstReply();
        for (int i = 0; i < kNewestPostsPage + 5; ++i)
            QVERIFY(!postDirectly(QStringLiteral("Filler %1").arg(i), {}, test::someBytes(100, i)).isEmpty());
        QVERIFY(standin.clearRequests());
        run();
        QCOMPARE(writes(), 0);
        const QStringList deep = postsWithCaption(QStringLiteral("Deep"));
        QCOMPARE(deep.size(), 1);
        QCOMPARE(GetLinksList(), QStringList{deep.first() + QStringLiteral(" :: deep.jpg")});
        const QJsonArray reads = standin.requests(QStringLiteral("read"));
        QVERIFY(reads.size() >= 3); // two pages at least, then the read-back
        QCOMPARE(test::StandIn::fieldBytes(reads.at(1).toObject(), QStringLiteral("start")),
                 QByteArray::number(kNewestPostsPage));
    }

    // The run recorded the post, then died before the row went: the base
    // already holds the post, so nothing is asked of the service.
    void aPostRecordedBeforeACrashIsNotPostedAgain()
    {
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("crash.jpg"), test::someBytes(900, 5), QStringLiteral("Crash"));
        const QString bound = HighestPostID();
        const QDateTime sent = QDateTime::currentDateTimeUtc();
        const QString id = postDirectly(QStringLiteral("Crash"), {}, test::someBytes(900, 5));
        QVERIFY(!id.isEmpty());
        QVERIFY(AddLink(id, QStringLiteral("crash.jpg"), QStringLiteral("someone")));
        QVERIFY(SaveLinksBase());
        list->SetUnconfirmedWrite(0, StatePublishNow, bound, sent);
        QVERIFY(standin.clearRequests());
        run();
        QCOMPARE(writes(), 0);
        QCOMPARE(standin.requests(QStringLiteral("read")).size(), 1); // the read-back, by id
        QCOMPARE(GetLinksCount(), 1);
        QVERIFY(IsLinkResolved(id));
        QCOMPARE(list->count(), 0);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
    }

    // Posts that look like the lost one but are not it are left alone: other
    // tags, another picture size, or a post the base holds for another row.
    void onlyTheLostPostIsTaken()
    {
        test::ScriptedPrompter prompter;
        const QByteArray picture = test::pictureBytes(64, 48, qRgb(10, 90, 200));
        queueFile(QStringLiteral("twin.jpg"), picture, QStringLiteral("Twin"), QStringLiteral("t"));
        list->SetUnconfirmedWrite(0, StatePublishNow, HighestPostID(), QDateTime::currentDateTimeUtc());
        const QString otherTags = postDirectly(QStringLiteral("Twin"), QStringLiteral("other"), picture);
        const QString otherSize = postDirectly(QStringLiteral("Twin"), QStringLiteral("t"),
                                               test::pictureBytes(50, 50, qRgb(10, 90, 200)));
        const QString anotherRow = postDirectly(QStringLiteral("Twin"), QStringLiteral("t"), picture);
        QVERIFY(!otherTags.isEmpty() && !otherSize.isEmpty() && !anotherRow.isEmpty());
        QVERIFY(AddLink(anotherRow, QStringLiteral("twin-2.jpg"), QStringLiteral("someone")));
        QVERIFY(standin.clearRequests());
        run();
        QCOMPARE(writes(), 1);
        const QStringList twins = postsWithCaption(QStringLiteral("Twin"));
        QCOMPARE(twins.size(), 4);
        QCOMPARE(GetLinksList().last(), twins.last() + QStringLiteral(" :: twin.jpg"));
        QCOMPARE(list->count(), 0);
    }

    // The blog cannot be read to look for the lost post: Abort keeps the row
    // and its mark, Retry reads again and finds it, Ignore posts anyway.
    void lostPostCheckFails_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("postsAfter");
        QTest::addColumn<int>("rowsAfter");
        QTest::newRow("Abort") << int(IDABORT) << 1 << 1;
        QTest::newRow("Retry") << int(IDRETRY) << 1 << 0;
        QTest::newRow("Ignore") << int(IDIGNORE) << 2 << 0;
    }
    void lostPostCheckFails()
    {
        QFETCH(int, answer);
        test::ScriptedPrompter prompter;
        const QString caption = QStringLiteral("Unchecked ") + QString::fromLatin1(QTest::currentDataTag());
        queueLink(QStringLiteral("http://pictures.example.org/unchecked.jpg"), caption);
        loseTheFirstReply();
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':500}")));
        prompter.clear();
        prompter.queue(answer);
        run();
        QVERIFY(prompter.messages().first().text.startsWith(
            QStringLiteral("The last try to post this picture lost its connection before the service answered")));
        QVERIFY(prompter.messages().first().text.contains(QStringLiteral("Internal Server Error")));
        QTEST(int(postsWithCaption(caption).size()), "postsAfter");
        QTEST(list->count(), "rowsAfter");
        QCOMPARE(savedRows(), list->count());
        if (list->count() == 1) {
            QCOMPARE(list->item(0).UnconfirmedState, int(StatePublishNow));
            QCOMPARE(view.states.last(), 2);
        } else {
            QCOMPARE(GetLinksList().first().section(u' ', 0, 0), postsWithCaption(caption).last());
        }
    }

    void unreadableFile()
    {
        test::HookedPrompter prompter;
        queueFile(QStringLiteral("a.jpg"), test::someBytes(500));
        const QString copy = list->item(0).FileName;
        const QByteArray bytes = test::readAll(copy);
        QVERIFY(QFile::remove(copy));
        prompter.queue(IDCANCEL);
        run();
        QCOMPARE(prompter.messages().size(), 1);
        QCOMPARE(prompter.last().style, int(MB_RETRYCANCEL | MB_ICONCRITICAL));
        QVERIFY(prompter.last().text.startsWith(copy + QStringLiteral("\r\n\r\nCan't read file.")));
        QCOMPARE(list->count(), 1);
        QVERIFY(list->item(0).Selected);
        QCOMPARE(view.states.last(), 2);
        QVERIFY(standin.requests(QStringLiteral("write")).isEmpty());

        // Retry once the file is back: posted.
        prompter.onAsk = [&] { test::writeFile(copy, bytes); };
        prompter.queue(IDRETRY);
        run();
        QCOMPARE(list->count(), 0);
        QCOMPARE(posts().last().toObject().value(QStringLiteral("dataSha256")).toString(), sha256(bytes));
    }

    void emptyFileEndsTheRunQuietly()
    {
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("empty.jpg"), QByteArray());
        queueLink(QStringLiteral("http://x.org/a.jpg"));
        run();
        QVERIFY(prompter.messages().isEmpty());
        QCOMPARE(list->count(), 2);
        QCOMPARE(view.states.last(), 2);
        QVERIFY(standin.requests().isEmpty());
    }

    void lookupFailure_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("Abort") << int(IDABORT) << false;
        QTest::newRow("Ignore") << int(IDIGNORE) << true;
    }
    void lookupFailure()
    {
        QFETCH(int, answer);
        QFETCH(bool, goesOn);
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("a.jpg"), test::someBytes(500));
        queueLink(QStringLiteral("http://x.org/next.jpg"));
        const QString copy = list->item(0).FileName;
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':500}")));
        const qint64 postsBefore = posts().size();
        prompter.queue(answer);
        run();
        QVERIFY(prompter.messages().first().text.startsWith(QStringLiteral("Can't download blog's XML file.")));
        const QString id = posts().at(postsBefore).toObject().value(QStringLiteral("id")).toString();
        // The post exists: recorded unresolved, and its row is gone for good.
        QCOMPARE(GetLinksList().first(), id + QStringLiteral(" :: a.jpg"));
        QVERIFY(!IsLinkResolved(id));
        QVERIFY(!QFile::exists(copy));
        QCOMPARE(list->count(), goesOn ? 0 : 1);
        QCOMPARE(savedRows(), list->count());
        QCOMPARE(view.states.contains(2), !goesOn);
        QCOMPARE(standin.requests(QStringLiteral("write")).size(), goesOn ? 2 : 1);
    }

    void unreadableReplyIsReadAgain()
    {
        test::ScriptedPrompter prompter;
        queueLink(QStringLiteral("http://x.org/a.jpg"));
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'nonxml'}")));
        prompter.queue(IDRETRY);
        run();
        QVERIFY(prompter.messages().first().text.startsWith(QStringLiteral("Can't load received XML data.")));
        QCOMPARE(standin.requests(QStringLiteral("read")).size(), 2);
        QVERIFY(IsLinkResolved(posts().last().toObject().value(QStringLiteral("id")).toString()));
        QVERIFY(view.states.contains(1));
        QCOMPARE(list->count(), 0);
    }

    void thumbnailFailure_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("Ignore") << int(IDIGNORE) << true;
        QTest::newRow("Abort") << int(IDABORT) << false;
    }
    void thumbnailFailure()
    {
        QFETCH(int, answer);
        QFETCH(bool, goesOn);
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("a.jpg"), test::someBytes(800));
        queueLink(QStringLiteral("http://x.org/next.jpg"));
        const QByteArray bytes = test::readAll(list->item(0).FileName);
        QVERIFY(standin.addFault(json("{'endpoint':'picture','kind':'status','status':500}")));
        const qint64 postsBefore = posts().size();
        prompter.queue(answer);
        run();
        const QString id = posts().at(postsBefore).toObject().value(QStringLiteral("id")).toString();
        const Message asked = prompter.messages().first();
        QCOMPARE(asked.style, int(MB_ABORTRETRYIGNORE | MB_ICONCRITICAL));
        QVERIFY(asked.text.startsWith(GetThumbnailURL(id) + QStringLiteral("\r\n\r\nCan't download thumbnail.\r\n\r\n")));
        QVERIFY(view.states.contains(1));
        QVERIFY(!QFile::exists(GetThumbnailFileName(id)));
        QVERIFY(IsLinkResolved(id));
        QCOMPARE(list->count(), goesOn ? 0 : 1);
        QCOMPARE(savedRows(), list->count());
        // A skipped thumbnail finishes the row: the picture still reaches the base.
        QCOMPARE(QFile::exists(GetPictureFileName(id)), goesOn);
        if (goesOn)
            QCOMPARE(test::readAll(GetPictureFileName(id)), bytes);
        else
            QCOMPARE(view.states.last(), 2);
    }

    void thumbnailThatCannotBeSaved()
    {
        test::ScriptedPrompter prompter;
        queueLink(QStringLiteral("http://x.org/a.jpg"));
        QString thumbnail;
        view.onStep = [&](const QString& step) {
            if (step.startsWith(QStringLiteral("Downloading thumbnail"))) {
                thumbnail = GetThumbnailFileName(postIdOf(step));
                QDir().mkpath(thumbnail);
            }
        };
        prompter.queue(IDCANCEL);
        run();
        QVERIFY(!thumbnail.isEmpty());
        QCOMPARE(prompter.messages().size(), 2);
        QVERIFY(prompter.messages().first().text.startsWith(thumbnail + QStringLiteral("\r\n\r\nCan't save downloaded thumbnail.")));
        QCOMPARE(prompter.messages().first().style, int(MB_RETRYCANCEL | MB_ICONCRITICAL));
        QCOMPARE(list->count(), 0);
        QCOMPARE(prompter.last().text, QStringLiteral("All done ^_^v"));
    }

    void copyIntoTheBaseFails()
    {
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("a.jpg"), test::someBytes(800));
        queueFile(QStringLiteral("b.jpg"), test::someBytes(900));
        const QString source = list->item(0).FileName;
        QString target;
        view.onStep = [&](const QString& step) {
            if (target.isEmpty() && step.startsWith(QStringLiteral("Downloading thumbnail"))) {
                target = GetPictureFileName(postIdOf(step));
                QDir().mkpath(target);
            }
        };
        QFile::remove(logFilePath());
        run();
        QCOMPARE(prompter.messages().size(), 2);
        QCOMPARE(prompter.messages().first().text,
                 source + QStringLiteral("\r\n\r\nCan't copy uploaded file to base. You can import it manually later.\r\n\r\n") + target);
        QCOMPARE(prompter.messages().first().icon(), int(MB_ICONCRITICAL));
        QCOMPARE(list->count(), 0);
        QString log;
        QVERIFY(FileObject::readText(logFilePath(), log));
        for (const QString& line : {QStringLiteral("frmUploader::CopyLocalImageToBase() ==>"),
                                    QStringLiteral("   SourceFileName: ") + source,
                                    QStringLiteral("   TargetFileName: ") + target,
                                    QStringLiteral("   RC:             0")})
            QVERIFY2(log.contains(line), qPrintable(line));
        QVERIFY(!log.contains(QStringLiteral("   RC:             1")));
    }
};

QTEST_GUILESS_MAIN(TestUploadRun)
#include "test_uploadrun.moc"
