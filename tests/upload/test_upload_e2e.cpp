// From files on disk to resolved posts: log in against the stand-in, open
// the group, queue pictures and links in the upload window, restart, upload.
#include "linksfixture.h"
#include "guitest.h"
#include "scriptedfiledialogs.h"
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"
#include "uploadfixture.h"

#include "core/password.h"
#include "gui/frmgroupselector.h"
#include "gui/links/frmpictureslist.h"
#include "gui/links/lstpictures.h"
#include "gui/upload/frmuploader.h"
#include "platform/settingsstore.h"
#include "platform/textutil.h"
#include "support/statistics.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include <functional>
#include <memory>

using namespace ruvia;
using test::child;

namespace {
const QString kDemoMain = QStringLiteral("Demo Blog | demoblog.tumblr.com");

frmPicturesList* openLinksWindow() { return test::visibleWindow<frmPicturesList>(); }

// The upload window as the links window opens it: modal over it, with the
// group's traffic counters, the list refilled when the base grew. Returns
// once it has closed.
void withUploadWindow(frmPicturesList* links, const std::function<void(frmUploader*)>& action)
{
    test::onNextModal([&](QWidget* modal) {
        auto* uploader = qobject_cast<frmUploader*>(modal);
        QVERIFY(uploader);
        action(uploader);
        QTest::keyClick(uploader, Qt::Key_Escape);
    });
    links->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(links));
    QTest::keyClick(links->list(), Qt::Key_F6);
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}
} // namespace

class TestUploadEndToEnd : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;

    // Logs in with the stored account and proceeds into the demo blog.
    frmPicturesList* logIn(std::unique_ptr<frmGroupSelector>& login)
    {
        login = std::make_unique<frmGroupSelector>();
        login->show();
        child<QPushButton>(login.get(), "cmdPostsList")->click();
        return openLinksWindow();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--demo")}), qPrintable(standin.errorOutput()));
        QVERIFY(test::pointProxyAt(standin.port()));
    }

    void queueRestartUpload()
    {
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        SettingsStore::writeText(QString(), QStringLiteral("E-Mail"), QStringLiteral("demo@example.com"));
        SettingsStore::writeText(QString(), QStringLiteral("Password"), EncodePassword(QStringLiteral("demo")));
        SettingsStore::writeText(QString(), QStringLiteral("Groups"), kDemoMain);
        SettingsStore::writeText(QString(), QStringLiteral("Last Group"), kDemoMain);

        const QString pictures = profile.root() + QStringLiteral("/Pictures");
        const QByteArray beach = test::pictureBytes(640, 480, qRgb(30, 120, 220));
        const QByteArray sunset = test::pictureBytes(800, 600, qRgb(240, 120, 30));
        const QByteArray plain = test::pictureBytes(320, 240, qRgb(90, 200, 90), "PNG");
        QVERIFY(test::writeFile(pictures + QStringLiteral("/beach.jpg"), beach));
        QVERIFY(test::writeFile(pictures + QStringLiteral("/sunset.jpg"), sunset));
        QVERIFY(test::writeFile(pictures + QStringLiteral("/plain.png"), plain));
        QVERIFY(FileObject::writeText(pictures + QStringLiteral("/beach.jpg.RuviaDescription"),
                                      QStringLiteral("Beach at noon\nwritten beside the picture")));
        const QString firstUrl = QStringLiteral("http://pictures.example.org/a/first.jpg?size=big");
        const QString secondUrl = QStringLiteral("http://pictures.example.org/b/second.jpg#top");
        const qint64 postsBefore = standin.posts().size();

        std::unique_ptr<frmGroupSelector> login;
        frmPicturesList* links = logIn(login);
        QVERIFY(links);
        QCOMPARE(SET_GroupName, QStringLiteral("demoblog.tumblr.com"));
        withUploadWindow(links, [&](frmUploader* w) {
            auto* caption = child<QPlainTextEdit>(w, "txtCaption");
            auto* tags = child<QLineEdit>(w, "txtTags");
            auto* tasks = child<QTreeView>(w, "lvTasks");
            caption->setPlainText(QStringLiteral("Holiday"));
            tags->setText(QStringLiteral("holiday, sea"));
            child<QLineEdit>(w, "txtClickThroughURL")->setText(QStringLiteral("http://click.example.org/"));
            dialogs.queue(pictures + QStringLiteral("/beach.jpg"));
            QTest::keyClick(tasks, Qt::Key_Insert);
            caption->setPlainText(QStringLiteral("Sunset, red sky\nsecond line"));
            child<QCheckBox>(w, "chkTagsFromCaption")->setChecked(true);
            dialogs.queue(pictures + QStringLiteral("/sunset.jpg"));
            QTest::keyClick(tasks, Qt::Key_Insert);
            QCOMPARE(tags->text(), QStringLiteral("\"Sunset, red sky\""));
            child<QCheckBox>(w, "chkTagsFromCaption")->setChecked(false);
            caption->setPlainText(QStringLiteral("Plain"));
            tags->setText(QStringLiteral("green"));
            dialogs.queue(pictures + QStringLiteral("/plain.png"));
            QTest::keyClick(tasks, Qt::Key_Insert);
            caption->setPlainText(QStringLiteral("From the web"));
            // As the batch window hands over addresses.
            QVERIFY(w->PasteToList(firstUrl, false, false));
            QVERIFY(w->PasteToList(secondUrl, false, false));
            QVERIFY(w->SaveListedUploads());
            w->List().SetChecked(4, false);
            QCOMPARE(w->List().count(), 5);
        });
        QVERIFY(prompter.messages().isEmpty());

        // The program ends and starts again.
        links->close();
        login.reset();
        links = logIn(login);
        QVERIFY(links);
        CStatistics* statistics = links->Statistics();
        QVERIFY(statistics);

        withUploadWindow(links, [&](frmUploader* w) {
            const UploadList& list = w->List();
            QCOMPARE(list.count(), 5);
            QCOMPARE(list.item(0).Caption, QStringLiteral("Beach at noon\r\nwritten beside the picture"));
            QCOMPARE(list.item(0).Tags, QStringLiteral("holiday, sea"));
            QCOMPARE(list.item(1).Caption, QStringLiteral("Sunset, red sky\r\nsecond line"));
            QCOMPARE(list.item(1).Tags, QStringLiteral("\"Sunset, red sky\""));
            QCOMPARE(list.item(3).FileName, firstUrl);
            QVERIFY(list.item(3).Selected);
            QVERIFY(!list.item(4).Selected);
            QCOMPARE(child<QPlainTextEdit>(w, "txtCaption")->toPlainText(), QStringLiteral("From the web"));
            w->List().SetChecked(4, true);
            child<QPushButton>(w, "cmdUpload")->click();
            QCOMPARE(list.count(), 0);
        });
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});

        const QJsonArray posts = standin.posts();
        QCOMPARE(posts.size(), postsBefore + 5);
        auto post = [&](int i) { return posts.at(postsBefore + i).toObject(); };
        auto field = [&](int i, const char* name) { return post(i).value(QString::fromLatin1(name)); };
        QCOMPARE(field(0, "caption").toString(), QStringLiteral("Beach at noon\r\nwritten beside the picture"));
        QCOMPARE(field(0, "dataSha256").toString(), sha256(beach));
        QCOMPARE(field(0, "linkUrl").toString(), QStringLiteral("http://click.example.org/"));
        QCOMPARE(field(0, "blog").toString(), QStringLiteral("demoblog"));
        QCOMPARE(field(1, "tags").toArray().first().toString(), QStringLiteral("Sunset, red sky"));
        QCOMPARE(field(1, "dataSha256").toString(), sha256(sunset));
        QCOMPARE(field(2, "dataSha256").toString(), sha256(plain));
        QCOMPARE(field(2, "tags").toArray().first().toString(), QStringLiteral("green"));
        QCOMPARE(field(3, "source").toString(), firstUrl);
        QCOMPARE(field(4, "source").toString(), secondUrl);
        QCOMPARE(field(4, "caption").toString(), QStringLiteral("From the web"));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(field(i, "state").toString(), QStringLiteral("published"));

        // The base as written: five resolved links under the uploader's name.
        xhXMLDocument base;
        QVERIFY(test::LoadDurableBase(base));
        const auto nodes = base.SelectNodes(QStringLiteral("/Links/Link"));
        QCOMPARE(int(nodes.size()), 5);
        const QStringList names = {QStringLiteral("beach.jpg"), QStringLiteral("sunset.jpg"), QStringLiteral("plain.png"),
                                   QStringLiteral("first.jpg"), QStringLiteral("second.jpg")};
        for (int i = 0; i < 5; ++i) {
            const pugi::xml_node link = nodes[i].node();
            const QString id = field(i, "id").toString();
            QCOMPARE(LinkAttribute(link, "PostID"), id);
            QCOMPARE(LinkAttribute(link, "OriginalFileName"), names.at(i));
            QCOMPARE(LinkAttribute(link, "UserName"), tsGetFullUserName(true));
            QCOMPARE(LinkAttribute(link, "Resolved"), QStringLiteral("True"));
            QVERIFY(!LinkAttribute(link, "PostURL").isEmpty());
            QVERIFY2(QFile(GetThumbnailFileName(id)).size() > 0, qPrintable(id));
            QCOMPARE(QFile::exists(GetPictureFileName(id)), i < 3);
        }
        QCOMPARE(test::readAll(GetPictureFileName(field(0, "id").toString())), beach);
        QCOMPARE(test::readAll(GetPictureFileName(field(2, "id").toString())), plain);

        QCOMPARE(test::entriesOf(SET_UploadsPath), QStringList());
        xhXMLDocument queue;
        QVERIFY(queue.Load(SET_DataPath + QStringLiteral("/Uploads.XML")));
        QCOMPARE(int(queue.SelectNodes(QStringLiteral("/Uploads/UploadItem")).size()), 0);
        QVERIFY(statistics->CurrentSentBytes > beach.size() + sunset.size() + plain.size());
        QVERIFY(statistics->CurrentReceivedBytes > 0);

        // The links window lists the new posts once the upload window has closed.
        QCOMPARE(links->list()->count(), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(links->list()->itemText(i), field(i, "id").toString() + QStringLiteral(" :: ") + names.at(i));
        links->close();
        QVERIFY(!IsGroupLockHeld());
    }
};

QTEST_MAIN(TestUploadEndToEnd)
#include "test_upload_e2e.moc"
