// The upload window, offscreen, with an account of API v2 against the
// stand-in on loopback: the picture description that reaches the service,
// and the post states such an account can make.
#include "guitest.h"
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"
#include "uploadfixture.h"
#include "v2fixture.h"

#include "gui/upload/frmuploader.h"
#include "service/postsubmit.h"
#include "upload/postproperties.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

using namespace ruvia;
using test::child;

namespace {

// The post the create request asked for.
QJsonObject createdPost(const QJsonValue& request)
{
    return QJsonDocument::fromJson(test::StandIn::fieldBytes(request.toObject(), QStringLiteral("json")))
        .object();
}

QJsonObject imageBlock(const QJsonObject& post)
{
    for (const QJsonValue& block : post.value(QStringLiteral("content")).toArray())
        if (block.toObject().value(QStringLiteral("type")).toString() == u"image")
            return block.toObject();
    return {};
}

QList<int> stateCodes(QComboBox* states)
{
    QList<int> codes;
    for (int i = 0; i < states->count(); ++i)
        codes.append(states->itemData(i).toInt());
    return codes;
}

} // namespace

class TestFrmUploaderV2 : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    std::shared_ptr<V2Account> account;
    QString sources;

    QString picture(const QString& name, int seed)
    {
        const QString path = sources + u'/' + name;
        test::writeFile(path, test::pictureBytes(100 + seed, 80, qRgb(200, 20 * seed, 40)));
        return path;
    }
    int savedRows()
    {
        UploadList saved;
        saved.LoadListedUploads();
        return saved.count();
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
        SET_HideTroublesomeStates = false;
        sources = profile.root() + QStringLiteral("/sources");
        account = test::signInAsCurrent(standin);
        QVERIFY(account);
        QVERIFY(standin.clearFaults());
        QVERIFY(standin.clearRequests());
    }

    void cleanup()
    {
        SetCurrentAccount(nullptr);
        SET_GroupId.clear();
    }

    void theDescriptionSurvivesReopeningAndIsSent()
    {
        test::ScriptedPrompter prompter;
        const QString stored = QStringLiteral("A red circle\r\non white, \u65e5\u672c");
        {
            frmUploader w(nullptr, nullptr);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            auto* box = child<QPlainTextEdit>(&w, "txtAltText");
            QVERIFY(box->isEnabled());
            QVERIFY(!box->placeholderText().isEmpty());
            QVERIFY(!box->placeholderText().contains(QStringLiteral("Not sent")));
            QCOMPARE(box->toolTip(), box->placeholderText());
            box->setFocus();
            QTest::keyClicks(box, QStringLiteral("A red circle"));
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClicks(box, QStringLiteral("on white, "));
            // As an input method commits it: key clicks carry Latin-1 only.
            box->insertPlainText(QStringLiteral("\u65e5\u672c"));
            QVERIFY(w.PasteToList(picture(QStringLiteral("circle.jpg"), 1), false, true));
            QCOMPARE(w.List().item(0).AltText, stored);
            w.close();
        }
        frmUploader w(nullptr, nullptr);
        w.show();
        QCOMPARE(w.List().count(), 1);
        QCOMPARE(w.List().item(0).AltText, stored);
        auto* box = child<QPlainTextEdit>(&w, "txtAltText");
        QCOMPARE(box->toPlainText(), QStringLiteral("A red circle\non white, \u65e5\u672c"));
        // Only the queued row can carry the description now.
        box->clear();
        child<QPushButton>(&w, "cmdUpload")->click();
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        const QJsonArray creates = standin.requests(QStringLiteral("create"));
        QCOMPARE(creates.size(), 1);
        QCOMPARE(imageBlock(createdPost(creates.first())).value(QStringLiteral("alt_text")).toString(), stored);
        QCOMPARE(w.List().count(), 0);
    }

    void withoutADescriptionNoneIsSent()
    {
        test::ScriptedPrompter prompter;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(w.PasteToList(picture(QStringLiteral("plain.jpg"), 2), false, true));
        child<QPushButton>(&w, "cmdUpload")->click();
        const QJsonArray creates = standin.requests(QStringLiteral("create"));
        QCOMPARE(creates.size(), 1);
        const QJsonObject image = imageBlock(createdPost(creates.first()));
        QVERIFY(!image.isEmpty());
        QVERIFY(!image.contains(QStringLiteral("alt_text")));
    }

    void theStatesAndTheDateFormAreTheAccounts()
    {
        frmUploader w(nullptr, nullptr);
        w.show();
        auto* states = child<QComboBox>(&w, "cboPostState");
        QCOMPARE(stateCodes(states), account->PostStates());
        QVERIFY(!stateCodes(states).contains(StateSubmission));
        QCOMPARE(states->findText(QStringLiteral("Make submission")), -1);
        QCOMPARE(states->currentData().toInt(), int(StatePublishNow));
        auto* publishOn = child<QLineEdit>(&w, "txtPublishOn");
        QCOMPARE(publishOn->toolTip(), account->PublishDateForm());
        QCOMPARE(publishOn->placeholderText(), QStringLiteral("2026-12-24 18:30"));
        QVERIFY(publishOn->toolTip().contains(QStringLiteral("this computer's time zone")));
    }

    void aRememberedSubmissionIsShownAndRefused()
    {
        test::ScriptedPrompter prompter;
        PostProperties p;
        p.stateIndex = StateIndexOfCode(StateSubmission, false);
        QVERIFY(SavePostProperties(GetGroupSettingsFile(), p));
        {
            frmUploader w(nullptr, nullptr);
            w.show();
            auto* states = child<QComboBox>(&w, "cboPostState");
            QCOMPARE(states->currentText(), QStringLiteral("Make submission"));
            QCOMPARE(states->currentData().toInt(), int(StateSubmission));
            QVERIFY(w.PasteToList(picture(QStringLiteral("kept.jpg"), 3), false, true));
            child<QPushButton>(&w, "cmdUpload")->click();
            QCOMPARE(prompter.messages().size(), 1);
            QVERIFY2(prompter.last().text.contains(QStringLiteral("no longer takes \"submission\" posts")),
                     qPrintable(prompter.last().text));
            QCOMPARE(standin.requests(QStringLiteral("create")).size(), 0);
            QCOMPARE(w.List().count(), 1);
            QCOMPARE(w.List().item(0).UnconfirmedState, -1);
            QCOMPARE(savedRows(), 1);
            w.close();
        }
        // Still the choice at the next opening; another state then posts the row.
        frmUploader w(nullptr, nullptr);
        w.show();
        auto* states = child<QComboBox>(&w, "cboPostState");
        QCOMPARE(states->currentData().toInt(), int(StateSubmission));
        states->setCurrentIndex(states->findData(int(StateDraft)));
        prompter.clear();
        child<QPushButton>(&w, "cmdUpload")->click();
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        const QJsonArray creates = standin.requests(QStringLiteral("create"));
        QCOMPARE(creates.size(), 1);
        QCOMPARE(createdPost(creates.first()).value(QStringLiteral("state")).toString(), QStringLiteral("draft"));
        QCOMPARE(w.List().count(), 0);
    }
};

QTEST_MAIN(TestFrmUploaderV2)
#include "test_frmuploader_v2.moc"
