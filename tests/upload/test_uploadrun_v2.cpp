// The upload run with an account of API v2, against the stand-in on
// loopback: rows posted and read back into the base, and a run that meets
// an expired or refused sign-in, a limit of the service or a lost reply.
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"
#include "uploadfixture.h"
#include "v2fixture.h"

#include "service/postsubmit.h"
#include "upload/lostpost.h"
#include "upload/uploadlist.h"
#include "upload/uploadrun.h"

#include <QFile>
#include <QJsonArray>

#include <functional>
#include <memory>

using namespace ruvia;
using test::json;

namespace {

class RowView : public IUploadRunView {
public:
    void ShowProgress(const QString&) override {}
    void ShowRunPosition(const QString&) override {}
    void SetStatusColor(int) override {}
    void SelectRow(int row) override
    {
        if (onRow && row >= 0)
            onRow(++rowsStarted);
    }
    void UpdateControls() override {}
    // Called with 1, 2, ... as each row's turn comes.
    std::function<void(int)> onRow;
    int rowsStarted = 0;
};

} // namespace

class TestUploadRunV2 : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    std::shared_ptr<V2Account> account;
    std::unique_ptr<UploadList> list;
    RowView view;
    QString sources;

    void queueFile(const QString& name, int seed, const QString& caption = {})
    {
        const QString path = sources + u'/' + name;
        QVERIFY(test::writeFile(path, test::pictureBytes(120 + seed, 90, qRgb(20 * seed, 90, 160))));
        PostBoxes boxes{caption.isEmpty() ? name : caption, QStringLiteral("v2, run"), {}, false};
        QVERIFY(list->PasteToList(path, false, true, boxes));
    }
    void run(int state = StatePublishNow, const QString& publishOn = {})
    {
        CUploadRun(*list, view, nullptr).Start(state, publishOn);
    }
    int creates() { return int(standin.requests(QStringLiteral("create")).size()); }
    QStringList postIds()
    {
        QStringList ids;
        for (const QJsonValue& p : standin.posts())
            ids.append(p.toObject().value(QStringLiteral("id")).toString());
        return ids;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start(test::v2StandInArgs()), qPrintable(standin.errorOutput()));
        test::useSecretFile(profile.configHome());
    }

    void init()
    {
        QVERIFY(test::openFreshGroup(profile.root()));
        ResetSettingsToDefaults();
        SET_Timeout = 20000;
        sources = profile.root() + QStringLiteral("/sources");
        account = test::signInAsCurrent(standin);
        QVERIFY(account);
        QVERIFY(standin.clearFaults());
        QVERIFY(standin.clearRequests());
        list = std::make_unique<UploadList>();
        view.onRow = {};
        view.rowsStarted = 0;
    }

    void cleanup()
    {
        SetCurrentAccount(nullptr);
        SET_GroupId.clear();
        list.reset();
    }

    void filesAndAddressesGoIntoTheBase()
    {
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("a.jpg"), 1);
        run();
        QCOMPARE(list->count(), 0);
        const QString first = postIds().last();
        // A picture address: the first post's 500 picture on the stand-in.
        PostBoxes boxes{QStringLiteral("From an address"), {}, {}, false};
        QVERIFY(list->PasteToList(LinkPictureURL(FindLink(first), "500"), false, true, boxes));
        run();
        QCOMPARE(list->count(), 0);
        const QStringList ids = postIds().mid(postIds().size() - 2);
        QCOMPARE(GetLinksCount(), 2);
        for (const QString& id : ids) {
            // Ids past 2^53, in the base exactly as the service made them.
            QVERIFY(id.toULongLong() > (1ULL << 53));
            QVERIFY(FindLink(id));
            QVERIFY(IsLinkResolved(id));
            for (const QString& size : PostLinks::Sizes())
                QVERIFY2(!LinkPictureURL(FindLink(id), size.toLatin1().constData()).isEmpty(),
                         qPrintable(id + u' ' + size));
            QVERIFY(QFile(GetThumbnailFileName(id)).size() > 0);
        }
        QCOMPARE(prompter.texts(), QStringList({QStringLiteral("All done ^_^v"), QStringLiteral("All done ^_^v")}));
    }

    void anExpiredTokenMidRunIsRenewed()
    {
        test::ScriptedPrompter prompter;
        for (int i = 1; i <= 3; ++i)
            queueFile(QStringLiteral("e%1.jpg").arg(i), i);
        view.onRow = [&](int row) {
            if (row == 2)
                standin.control("POST", QStringLiteral("/_standin/tokens/expire"));
        };
        const int before = int(postIds().size());
        run();
        QCOMPARE(list->count(), 0);
        QCOMPARE(int(postIds().size()), before + 3);
        // One write refused, renewed, repeated: nothing posted twice.
        QCOMPARE(creates(), 4);
        QCOMPARE(standin.requests(QStringLiteral("token")).size(), 1);
        QCOMPARE(GetLinksCount(), 3);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
    }

    void aRunStopsAndKeepsItsRows_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused renewal") << QByteArray("revoke") << "sign in again";
        QTest::newRow("daily upload limit") << QByteArray("{'endpoint':'create','kind':'v2error','status':403,'code':8004}")
                                            << "daily limit of picture uploads";
        QTest::newRow("rate limit") << QByteArray("{'endpoint':'create','kind':'v2error','status':429}")
                                    << "rate limit";
    }
    void aRunStopsAndKeepsItsRows()
    {
        QFETCH(QByteArray, fault);
        QFETCH(QString, message);
        test::ScriptedPrompter prompter;
        for (int i = 1; i <= 3; ++i)
            queueFile(QStringLiteral("s%1.jpg").arg(i), i);
        view.onRow = [&](int row) {
            if (row != 2)
                return;
            if (fault == "revoke")
                standin.control("POST", QStringLiteral("/_standin/tokens/revoke"));
            else
                QVERIFY(standin.addFault(json(fault.constData())));
        };
        const int before = int(postIds().size());
        run();
        QCOMPARE(int(postIds().size()), before + 1);
        QCOMPARE(list->count(), 2);
        UploadList saved;
        saved.LoadListedUploads();
        QCOMPARE(saved.count(), 2);
        QCOMPARE(saved.item(0).UnconfirmedState, -1);
        QCOMPARE(GetLinksCount(), 1);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY2(prompter.last().text.contains(message), qPrintable(prompter.last().text));
    }

    void aLostReplyIsFoundNotPostedAgain_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("publishOn");
        QTest::newRow("published") << int(StatePublishNow) << QString();
        QTest::newRow("publish on") << int(StatePublishOn) << QStringLiteral("2031-01-01 13:34");
        QTest::newRow("draft") << int(StateDraft) << QString();
        QTest::newRow("private") << int(StatePrivate) << QString();
    }
    void aLostReplyIsFoundNotPostedAgain()
    {
        QFETCH(int, state);
        QFETCH(QString, publishOn);
        test::ScriptedPrompter prompter;
        queueFile(QStringLiteral("lost.jpg"), 4,
                  QStringLiteral("Lost and found: ") + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(standin.addFault(json("{'endpoint':'create','kind':'drop','when':'reply'}")));
        const int before = int(postIds().size());
        run(state, publishOn);
        QCOMPARE(int(postIds().size()), before + 1);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0).UnconfirmedState, state);
        const QString made = postIds().last();

        // After a restart: the queue from disk, the post looked for first.
        list = std::make_unique<UploadList>();
        list->LoadListedUploads();
        prompter.clear();
        run(state, publishOn);
        QCOMPARE(int(postIds().size()), before + 1);
        QCOMPARE(creates(), 1);
        QCOMPARE(list->count(), 0);
        QCOMPARE(GetLinksList(), QStringList{made + QStringLiteral(" :: lost.jpg")});
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
    }
};

QTEST_GUILESS_MAIN(TestUploadRunV2)
#include "test_uploadrun_v2.moc"
