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
#include "service/postsubmit.h"
#include "support/statistics.h"
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

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--account"), QStringLiteral("a@b.c:pw"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:mainblog:Main Blog")}),
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
        queueFile(QStringLiteral("a.jpg"), test::someBytes(400000));
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
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
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
