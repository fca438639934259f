// The upload window, offscreen: its controls, keys, stored values and the
// run as the user drives it, against the stand-in service.
#include "linksfixture.h"
#include "guitest.h"
#include "scriptedfiledialogs.h"
#include "scriptedprompter.h"
#include "scriptedshell.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"
#include "uploadfixture.h"

#include "gui/upload/frmuploader.h"
#include "core/group.h"
#include "gui/windowhelper.h"
#include "platform/inifile.h"
#include "platform/settingsstore.h"
#include "platform/shell.h"
#include "platform/textutil.h"
#include "service/postsubmit.h"
#include "support/statistics.h"
#include "upload/postproperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QDir>
#include <QHeaderView>
#include <QImageReader>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTreeView>

#include <functional>

using namespace ruvia;
using test::child;
using test::json;

namespace {

class RecordingShell : public Shell {
public:
    RecordingShell() { setShell(this); }
    ~RecordingShell() override { setShell(nullptr); }
    bool Open(const QString& pathOrUrl) override
    {
        opened.append(pathOrUrl);
        return opens;
    }
    void SetClipboardText(const QString& text) override { clipboard = text; }
    QString ClipboardText() const override { return clipboard; }
    QStringList opened;
    QString clipboard;
    bool opens = true;
};

// Runs check every 10 ms while a run is going on, until it returns true.
void whileRunning(frmUploader& w, std::function<bool()> check)
{
    auto* timer = new QTimer(&w);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        if (check())
            timer->deleteLater();
    });
    timer->start(10);
}

QStringList displayed(QTreeView* view, int column)
{
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out.append(view->model()->index(r, column).data().toString());
    return out;
}

} // namespace

class TestFrmUploader : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    QString sources;

    QString source(const QString& name, const QByteArray& bytes)
    {
        const QString path = sources + u'/' + name;
        test::writeFile(path, bytes);
        return path;
    }
    QString lastLinkId() { return GetLinksList().value(GetLinksCount() - 1).section(u' ', 0, 0); }
    int savedRows()
    {
        UploadList saved;
        saved.LoadListedUploads();
        return saved.count();
    }
    static QColor colourOf(QLabel* label) { return label->palette().color(QPalette::Window); }

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
    }

    void controlsOnLoad()
    {
        test::ScriptedPrompter prompter;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const char* name :
             {"itbMainInfo", "imgRuvia", "lvTasks", "cmdCheckAllItems", "cmdUncheckAllItems", "txtCaption",
              "cmdHistory", "txtTags", "cmdTagsHistory", "chkTagsFromCaption", "txtClickThroughURL",
              "cmdURLsHistory", "cboPostState", "txtPublishOn", "cmdAddFile", "cmdAddLink",
              "cmdBatchAddFiles", "cmdRemoveItems", "cmdUpload", "cmdStop", "lblResult", "pnlProgress",
              "lblProgress"})
            QVERIFY2(w.findChild<QWidget*>(QString::fromLatin1(name)), name);
        QCOMPARE(w.windowTitle(), QStringLiteral("Ruvia :: Upload mode :: mainblog.tumblr.com"));
        QCOMPARE(child<QCheckBox>(&w, "chkTagsFromCaption")->text(), QStringLiteral("Auto"));
        QVERIFY(!child<QLabel>(&w, "imgRuvia")->pixmap().isNull());
        QVERIFY(!child<QPushButton>(&w, "cmdCheckAllItems")->icon().isNull());
        QVERIFY(!child<QPushButton>(&w, "cmdUncheckAllItems")->icon().isNull());
        auto* tasks = child<QTreeView>(&w, "lvTasks");
        QStringList titles;
        for (int i = 0; i < tasks->model()->columnCount(); ++i)
            titles.append(tasks->model()->headerData(i, Qt::Horizontal).toString());
        QCOMPARE(titles, QStringList({QStringLiteral("File name"), QStringLiteral("Size"), QStringLiteral("Caption"),
                                      QStringLiteral("Tags"), QStringLiteral("Click-throught URL"),
                                      QStringLiteral("Full file name")}));
        QCOMPARE(tasks->columnWidth(0), Twips(2820));
        QCOMPARE(tasks->columnWidth(5), Twips(9000));
        QCOMPARE(tasks->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(child<QLabel>(&w, "lblTag0")->text(), QStringLiteral("Uploads:"));
        QCOMPARE(child<QLabel>(&w, "lblListInfo")->text(), QStringLiteral("0 / 0 [0 bytes]"));
        QCOMPARE(child<QLabel>(&w, "lblEMail")->text(), test::kTestEmail);
        QVERIFY(!child<QPushButton>(&w, "cmdUpload")->isEnabled());
        QVERIFY(!child<QPushButton>(&w, "cmdStop")->isEnabled());
        QVERIFY(!child<QPushButton>(&w, "cmdRemoveItems")->isEnabled());
        QVERIFY(child<QPushButton>(&w, "cmdAddFile")->isEnabled());
        QVERIFY(!child<QWidget>(&w, "pnlProgress")->isVisible());
        QCOMPARE(QApplication::focusWidget(), tasks);
        QCOMPARE(UploadStatusIndicator(), &w);
        w.close();
        QCOMPARE(UploadStatusIndicator(), nullptr);
        QVERIFY(prompter.messages().isEmpty());
    }

    void valuesKeptBetweenOpenings()
    {
        test::ScriptedPrompter prompter;
        const QString caption = QStringLiteral("Line \"one\" \\n\nl\u00ednea two");
        {
            frmUploader w(nullptr, nullptr);
            w.show();
            child<QPlainTextEdit>(&w, "txtCaption")->setPlainText(caption);
            child<QLineEdit>(&w, "txtTags")->setText(QStringLiteral(" a, 'b' "));
            child<QLineEdit>(&w, "txtClickThroughURL")->setText(QStringLiteral("http://c.example.org/?q=\"1\""));
            child<QComboBox>(&w, "cboPostState")->setCurrentIndex(1);
            child<QLineEdit>(&w, "txtPublishOn")->setText(QStringLiteral("2030-01-01 10:00"));
            child<QTreeView>(&w, "lvTasks")->setColumnWidth(2, 333);
            QVERIFY(w.PasteToList(QStringLiteral("http://pics.example.org/x.jpg"), false, false));
            child<QCheckBox>(&w, "chkTagsFromCaption")->setChecked(true);
            w.close();
        }
        QVERIFY(tsIsFileExist(SET_DataPath + QStringLiteral("/History.DAT")));
        QVERIFY(tsIsFileExist(SET_DataPath + QStringLiteral("/Click-Through URLs History.DAT")));
        frmUploader w(nullptr, nullptr);
        QCOMPARE(child<QPlainTextEdit>(&w, "txtCaption")->toPlainText(), caption);
        QCOMPARE(child<QLineEdit>(&w, "txtTags")->text(), QStringLiteral(" a, 'b' "));
        QVERIFY(child<QCheckBox>(&w, "chkTagsFromCaption")->isChecked());
        QCOMPARE(child<QLineEdit>(&w, "txtClickThroughURL")->text(), QStringLiteral("http://c.example.org/?q=\"1\""));
        QCOMPARE(child<QComboBox>(&w, "cboPostState")->currentIndex(), 1);
        QCOMPARE(child<QLineEdit>(&w, "txtPublishOn")->text(), QStringLiteral("2030-01-01 10:00"));
        QCOMPARE(child<QTreeView>(&w, "lvTasks")->columnWidth(2), 333);
        // The queue came back from Uploads.XML, its caption with CR LF breaks.
        QCOMPARE(w.List().count(), 1);
        QCOMPARE(w.List().item(0).Caption, QString(caption).replace(u'\n', QStringLiteral("\r\n")));
        QVERIFY(prompter.messages().isEmpty());
    }

    void stateList_data()
    {
        QTest::addColumn<bool>("hide");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("selected");
        QTest::newRow("hidden, index 1") << true << 1 << 2 << "Private";
        QTest::newRow("shown, index 1") << false << 1 << 6 << "Add to queue";
        QTest::newRow("shown, index 2") << false << 2 << 6 << "Publish on...";
        QTest::newRow("no such index") << true << 4 << 2 << "Publish now";
    }
    void stateList()
    {
        QFETCH(bool, hide);
        QFETCH(int, stored);
        QFETCH(QString, selected);
        SET_HideTroublesomeStates = hide;
        PostProperties p;
        p.stateIndex = stored;
        QVERIFY(SavePostProperties(GetGroupSettingsFile(), p));
        frmUploader w(nullptr, nullptr);
        w.show();
        auto* states = child<QComboBox>(&w, "cboPostState");
        auto* publishOn = child<QLineEdit>(&w, "txtPublishOn");
        QTEST(states->count(), "entries");
        QCOMPARE(states->currentText(), selected);
        const bool onDate = selected == u"Publish on...";
        QCOMPARE(publishOn->isVisible(), onDate);
        QCOMPARE(states->width(), Twips(onDate ? 1875 : 4335));
        QCOMPARE(publishOn->y(), states->y());
        QCOMPARE(publishOn->toolTip(),
                 QStringLiteral("Time to publish post. Set it in time zone selected in tumblelog's settings."));
        if (onDate) {
            publishOn->setText(QStringLiteral("tomorrow"));
            publishOn->setFocus();
            QTRY_COMPARE(publishOn->selectedText(), QStringLiteral("tomorrow"));
            states->setCurrentIndex(0);
            QVERIFY(!publishOn->isVisible());
            QCOMPARE(states->width(), Twips(4335));
        }
    }

    void altTextIsKeptButNotSent()
    {
        test::ScriptedPrompter prompter;
        SET_HideTroublesomeStates = false;
        const QString described = QStringLiteral("A grey cat\non a red sof\u00e1");
        {
            frmUploader w(nullptr, nullptr);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            auto* box = child<QPlainTextEdit>(&w, "txtAltText");
            QCOMPARE(child<QLabel>(&w, "lblAltText")->text(), QStringLiteral("Picture description (alt text):"));
            QCOMPARE(child<QLabel>(&w, "lblAltText")->buddy(), box);
            QCOMPARE(box->placeholderText(), QStringLiteral("Not sent with an API v1 account"));
            QCOMPARE(box->toolTip(), QStringLiteral("Not sent with an API v1 account"));
            QVERIFY(box->isEnabled());
            auto* states = child<QComboBox>(&w, "cboPostState");
            QList<int> codes;
            for (int i = 0; i < states->count(); ++i)
                codes.append(states->itemData(i).toInt());
            QCOMPARE(codes, QList<int>({StatePublishNow, StateQueue, StatePublishOn, StateDraft,
                                        StateSubmission, StatePrivate}));

            // The history button offers what earlier rows were described with.
            prompter.queue(IDOK);
            child<QPushButton>(&w, "cmdAltTextHistory")->click();
            QCOMPARE(prompter.texts(), QStringList{QStringLiteral("History empty.")});
            prompter.clear();
            box->setPlainText(described);
            QVERIFY(w.PasteToList(QStringLiteral("http://pics.example.org/cat.jpg"), false, true));
            QCOMPARE(w.List().item(0).AltText, QString(described).replace(u'\n', QStringLiteral("\r\n")));
            box->clear();
            test::onNextModal([](QWidget* picker) {
                QCOMPARE(picker->objectName(), QStringLiteral("frmHistory"));
                child<QPushButton>(picker, "cmdOk")->click();
            });
            child<QPushButton>(&w, "cmdAltTextHistory")->click();
            QCOMPARE(box->toPlainText(), described);

            child<QPushButton>(&w, "cmdUpload")->click();
            QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        }
        const QJsonArray writes = standin.requests(QStringLiteral("write"));
        QCOMPARE(writes.size(), 1);
        const QJsonObject write = writes.first().toObject();
        QCOMPARE(test::StandIn::fieldBytes(write, QStringLiteral("source")), QByteArray("http://pics.example.org/cat.jpg"));
        for (const QString& name : test::StandIn::fieldNames(write))
            QVERIFY2(!test::StandIn::fieldBytes(write, name).contains("grey cat"), qPrintable(name));
    }

    void theStateCodeIsPostedNotThePosition()
    {
        test::ScriptedPrompter prompter;
        SET_HideTroublesomeStates = true;
        frmUploader w(nullptr, nullptr);
        w.show();
        child<QComboBox>(&w, "cboPostState")->setCurrentIndex(1);
        QVERIFY(w.PasteToList(QStringLiteral("http://pics.example.org/x.jpg"), false, true));
        child<QPushButton>(&w, "cmdUpload")->click();
        const QJsonObject write = standin.requests(QStringLiteral("write")).first().toObject();
        QCOMPARE(test::StandIn::fieldBytes(write, QStringLiteral("private")), QByteArray("1"));
        QVERIFY(!test::StandIn::fieldNames(write).contains(QStringLiteral("state")));
    }

    void listKeysAndButtons()
    {
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        RecordingShell shell;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* tasks = child<QTreeView>(&w, "lvTasks");
        for (const char* url : {"http://x.org/a.jpg", "http://x.org/b.jpg", "http://x.org/c.jpg"})
            QVERIFY(w.PasteToList(QString::fromLatin1(url), false, false));
        tasks->setFocus();

        // Space gives every selected row the opposite of the focused row's check.
        w.List().SetChecked(1, false);
        tasks->selectionModel()->setCurrentIndex(w.List().index(1, 0), QItemSelectionModel::ClearAndSelect |
                                                                           QItemSelectionModel::Rows);
        tasks->selectionModel()->select(w.List().index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(tasks, Qt::Key_Space);
        QCOMPARE(w.List().CheckedCount(), 3);
        QTest::keyClick(tasks, Qt::Key_Space);
        QCOMPARE(w.List().CheckedCount(), 1);
        QCOMPARE(child<QLabel>(&w, "lblListInfo")->text(), QStringLiteral("1 / 3 [0 bytes]"));
        child<QPushButton>(&w, "cmdCheckAllItems")->click();
        QCOMPARE(w.List().CheckedCount(), 3);
        child<QPushButton>(&w, "cmdUncheckAllItems")->click();
        QCOMPARE(w.List().CheckedCount(), 0);

        QTest::keyClick(tasks, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(tasks->selectionModel()->selectedRows().size(), 3);
        QVERIFY(child<QPushButton>(&w, "cmdRemoveItems")->isEnabled());
        // Enter opens only a single selected row.
        QTest::keyClick(tasks, Qt::Key_Return);
        QVERIFY(shell.opened.isEmpty());
        tasks->selectionModel()->select(w.List().index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        prompter.queue(IDOK);
        QTest::keyClick(tasks, Qt::Key_Return);
        QCOMPARE(shell.opened, QStringList{QStringLiteral("http://x.org/a.jpg")});
        QCOMPARE(prompter.last().text, QStringLiteral("http://x.org/a.jpg\r\n\r\nDo you want to open this web site?"));

        // Delete removes the selected rows and saves at once.
        tasks->selectionModel()->select(w.List().index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(tasks, Qt::Key_Delete);
        QCOMPARE(displayed(tasks, 0), QStringList{QStringLiteral("/b.jpg")});
        QCOMPARE(savedRows(), 1);
        QVERIFY(!child<QPushButton>(&w, "cmdRemoveItems")->isEnabled());

        // Insert: the add-file dialog in its remembered folder, which it then remembers.
        const QString file = source(QStringLiteral("added.png"), test::someBytes(2048));
        QVERIFY(tsWriteStringToINI(QStringLiteral("Recent Directories"), QStringLiteral("Last Uploader Add File Directory"),
                                   QStringLiteral("/old/folder/"), GetGroupSettingsFile()));
        dialogs.queue(file);
        QTest::keyClick(tasks, Qt::Key_Insert);
        QCOMPARE(dialogs.last().options.initialFolder, QStringLiteral("/old/folder/"));
        QCOMPARE(dialogs.last().options.filter,
                 QStringLiteral("Pictures|*.JPG;*.JPE;*.JPEG;*.GIF;*.BMP;*.DIB;*.RLE;*.PNG|All files|*.*"));
        QCOMPARE(tsReadStringFromINI(QStringLiteral("Recent Directories"), QStringLiteral("Last Uploader Add File Directory"),
                                     {}, GetGroupSettingsFile()),
                 tsGetFilePath(file));
        QCOMPARE(displayed(tasks, 0).last(), QStringLiteral("added.png"));
        QCOMPARE(displayed(tasks, 1).last(), QStringLiteral("2.00 KB"));
        QCOMPARE(tasks->model()->index(1, UploadList::ColSize).data(UploadList::SizeBytesRole).toInt(), 2048);
        QCOMPARE(savedRows(), 2);
        dialogs.queue(QString());
        QTest::keyClick(tasks, Qt::Key_Insert);
        QCOMPARE(w.List().count(), 2);

        // Ctrl+Insert and cmdBatchAddFiles open the batch windows modally over this one.
        QStringList opened;
        auto closeModal = [&](QWidget* modal) {
            opened.append(modal->objectName());
            QCOMPARE(modal->parentWidget(), &w);
            modal->close();
        };
        test::onNextModal(closeModal);
        QTest::keyClick(tasks, Qt::Key_Insert, Qt::ControlModifier);
        test::onNextModal(closeModal);
        child<QPushButton>(&w, "cmdBatchAddFiles")->click();
        QCOMPARE(opened, QStringList({QStringLiteral("frmBatchURLs"), QStringLiteral("frmBatch")}));
    }

    void windowKeys()
    {
        test::ScriptedPrompter prompter;
        RecordingShell shell;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* tasks = child<QTreeView>(&w, "lvTasks");
        auto* caption = child<QPlainTextEdit>(&w, "txtCaption");
        auto* tags = child<QLineEdit>(&w, "txtTags");
        QTest::keyClick(tasks, Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), caption);
        QTest::keyClick(caption, Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), tasks);

        // Shift+Insert takes the clipboard as a file path, even where a box would paste it.
        shell.clipboard = source(QStringLiteral("clip.jpg"), test::someBytes(10));
        tags->setFocus();
        QTest::keyClick(tags, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(tags->text(), QString());
        QCOMPARE(w.List().count(), 1);
        QCOMPARE(w.List().item(0).OriginalFileName, QStringLiteral("clip.jpg"));
        QCOMPARE(savedRows(), 1);
        shell.clipboard = QStringLiteral("http://x.org/not-a-file.jpg");
        QTest::keyClick(tags, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w.List().count(), 1);

        // Ctrl+A in the caption box selects its text and types nothing.
        caption->setPlainText(QStringLiteral("some text"));
        caption->setFocus();
        QTest::keyClick(caption, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(caption->textCursor().selectedText(), QStringLiteral("some text"));

        w.List().SetAllChecked(false);
        QTest::keyClick(tasks, Qt::Key_F5);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("No elements was checked. Nothing to upload.")});
        QTest::keyClick(tasks, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    void doubleClickOpens_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("opened");
        QTest::newRow("web site, OK") << true << int(IDOK) << true << true;
        QTest::newRow("web site, Cancel") << true << int(IDCANCEL) << true << false;
        QTest::newRow("picture") << false << 0 << true << true;
        QTest::newRow("picture that can't be opened") << false << 0 << false << true;
    }
    void doubleClickOpens()
    {
        QFETCH(bool, link);
        QFETCH(int, answer);
        QFETCH(bool, opened);
        test::ScriptedPrompter prompter;
        RecordingShell shell;
        QFETCH(bool, opens);
        shell.opens = opens;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.PasteToList(link ? QStringLiteral("http://x.org/a.jpg") : source(QStringLiteral("p.jpg"), "x"), false, false));
        const QString target = w.List().item(0).FileName;
        if (answer)
            prompter.queue(answer);
        auto* tasks = child<QTreeView>(&w, "lvTasks");
        const QPoint at = tasks->visualRect(w.List().index(0, 2)).center();
        QTest::mouseClick(tasks->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tasks->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tasks->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(shell.opened, opened ? QStringList{target} : QStringList());
        if (!opens)
            QCOMPARE(prompter.last().text, target + QStringLiteral("\r\n\r\nCan't open picture."));
        QCOMPARE(prompter.pending(), 0);
    }

    void droppedFiles()
    {
        test::ScriptedPrompter prompter;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWidget* viewport = child<QTreeView>(&w, "lvTasks")->viewport();
        auto drop = [&](QMimeData* data) {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &enter);
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &dropped);
            return enter.isAccepted();
        };
        QMimeData text;
        text.setText(QStringLiteral("http://x.org/a.jpg"));
        QVERIFY(!drop(&text));
        QCOMPARE(w.List().count(), 0);

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(source(QStringLiteral("one.jpg"), "1")),
                       QUrl(QStringLiteral("http://x.org/web.jpg")),
                       QUrl::fromLocalFile(source(QStringLiteral("two.gif"), "22"))});
        QVERIFY(drop(&files));
        QCOMPARE(displayed(child<QTreeView>(&w, "lvTasks"), 0),
                 QStringList({QStringLiteral("one.jpg"), QStringLiteral("two.gif")}));
        QCOMPARE(savedRows(), 2);
        QCOMPARE(child<QLabel>(&w, "lblListInfo")->text(), QStringLiteral("2 / 2 [3 bytes]"));
    }

    void addFileTakesSeveralFiles()
    {
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        SET_AskBeforeApplyDescription = false;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        child<QPlainTextEdit>(&w, "txtCaption")->setPlainText(QStringLiteral("box caption"));
        child<QCheckBox>(&w, "chkTagsFromCaption")->setChecked(true);
        const QStringList files{source(QStringLiteral("c.png"), "333"), source(QStringLiteral("a.jpg"), "1"),
                                source(QStringLiteral("b.gif"), "22")};
        QVERIFY(test::writeFile(files.at(1) + QStringLiteral(".RuviaDescription"), "side, caption"));
        QSignalSpy saves(&w.List(), &UploadList::listSaved);
        dialogs.queue(files);
        QTest::keyClick(child<QTreeView>(&w, "lvTasks"), Qt::Key_Insert);

        QVERIFY(dialogs.last().many);
        QCOMPARE(displayed(child<QTreeView>(&w, "lvTasks"), 0),
                 QStringList({QStringLiteral("c.png"), QStringLiteral("a.jpg"), QStringLiteral("b.gif")}));
        QCOMPARE(saves.count(), 1);
        QCOMPARE(savedRows(), 3);
        for (const UploadItem& it : w.List().items())
            QVERIFY2(IsFileInFolder(it.FileName, SET_UploadsPath), qPrintable(it.FileName));
        QCOMPARE(w.List().item(0).Caption, QStringLiteral("box caption"));
        QCOMPARE(w.List().item(1).Caption, QStringLiteral("side, caption"));
        QCOMPARE(w.List().item(1).Tags, QStringLiteral("\"side, caption\""));
        // The tags rule ran for each file in turn, so the last one's caption shows.
        QCOMPARE(w.List().item(2).Tags, QStringLiteral("box caption"));
        QCOMPARE(child<QLineEdit>(&w, "txtTags")->text(), QStringLiteral("box caption"));
        QCOMPARE(w.List().captionHistory.Entries(),
                 QStringList({QStringLiteral("box caption"), QStringLiteral("side, caption")}));
        QCOMPARE(tsReadStringFromINI(QStringLiteral("Recent Directories"),
                                     QStringLiteral("Last Uploader Add File Directory"), {}, GetGroupSettingsFile()),
                 tsGetFilePath(files.first()));
        QVERIFY(prompter.messages().isEmpty());
    }

    void addFileStartsInPictures_data()
    {
        QTest::addColumn<bool>("pictures");
        QTest::addColumn<bool>("documents");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Pictures folder") << true << true << QStringLiteral("pics");
        QTest::newRow("no Pictures folder") << false << true << QStringLiteral("docs");
        QTest::newRow("neither") << false << false << QString();
    }
    void addFileStartsInPictures()
    {
        QFETCH(bool, pictures);
        QFETCH(bool, documents);
        QFETCH(QString, expected);
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        const QString pics = profile.root() + QStringLiteral("/pics");
        const QString docs = profile.root() + QStringLiteral("/docs");
        QDir(pics).removeRecursively();
        QDir(docs).removeRecursively();
        if (pictures)
            QVERIFY(QDir().mkpath(pics));
        if (documents)
            QVERIFY(QDir().mkpath(docs));
        const QString userDirs = profile.configHome() + QStringLiteral("/user-dirs.dirs");
        QVERIFY(test::writeFile(userDirs, QStringLiteral("XDG_PICTURES_DIR=\"%1\"\nXDG_DOCUMENTS_DIR=\"%2\"\n")
                                      .arg(pics, docs)
                                      .toUtf8()));
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        dialogs.queue(QString());
        child<QPushButton>(&w, "cmdAddFile")->click();
        QFile::remove(userDirs);
        QCOMPARE(dialogs.last().options.initialFolder,
                 expected.isEmpty() ? QDir::homePath() : profile.root() + u'/' + expected);
    }

    void clipboardPicture()
    {
        test::ScriptedPrompter prompter;
        test::ScriptedShell shell;
        CStatistics stats(GetGroupSettingsFile());
        frmUploader w(nullptr, &stats);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* tasks = child<QTreeView>(&w, "lvTasks");
        auto* tags = child<QLineEdit>(&w, "txtTags");
        QImage picture(37, 21, QImage::Format_RGB32);
        picture.fill(QColor(200, 30, 90));
        shell.clipboardImage = picture;

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        tags->setFocus();
        QTest::keyClick(tags, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w.List().count(), 1);
        QCOMPARE(tags->text(), QString());
        const UploadItem it = w.List().item(0);
        QVERIFY(IsFileInFolder(it.FileName, SET_UploadsPath));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\{[0-9A-F-]{36}\\}\\.PNG$")).match(tsGetFileName(it.FileName)).hasMatch(),
                 qPrintable(it.FileName));
        QImageReader reader(it.FileName);
        QCOMPARE(reader.format(), QByteArray("png"));
        const QImage back = reader.read();
        QCOMPARE(back.size(), picture.size());
        QCOMPARE(back.pixelColor(36, 20), QColor(200, 30, 90));
        const QRegularExpressionMatch name =
            QRegularExpression(QStringLiteral("^Clipboard picture (\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d)\\.png$"))
                .match(it.OriginalFileName);
        QVERIFY2(name.hasMatch(), qPrintable(it.OriginalFileName));
        const QDateTime stamp = QDateTime::fromString(name.captured(1), QStringLiteral("yyyy-MM-dd HH-mm-ss"));
        QVERIFY(stamp >= before && stamp <= QDateTime::currentDateTime());
        QCOMPARE(it.SizeBytes, int(QFileInfo(it.FileName).size()));
        QCOMPARE(savedRows(), 1);

        // Ctrl+V in the list does the same.
        tasks->setFocus();
        QTest::keyClick(tasks, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.List().count(), 2);
        QVERIFY(w.List().item(1).FileName != it.FileName);

        // Text on the clipboard is taken as before, the picture left alone.
        shell.clipboard = QStringLiteral("http://x.org/not-a-file.jpg");
        QTest::keyClick(tags, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w.List().count(), 2);
        shell.clipboard = source(QStringLiteral("clip.jpg"), "xyz");
        QTest::keyClick(tags, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w.List().count(), 3);
        QCOMPARE(w.List().item(2).OriginalFileName, QStringLiteral("clip.jpg"));

        // The picture posts like any file.
        w.List().SetChecked(1, false);
        w.List().SetChecked(2, false);
        child<QPushButton>(&w, "cmdUpload")->click();
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        QCOMPARE(GetLinksList(), QStringList{lastLinkId() + QStringLiteral(" :: ") + it.OriginalFileName});
        QCOMPARE(w.List().count(), 2);
        QVERIFY(!QFile::exists(it.FileName));
        const QJsonArray writes = standin.requests(QStringLiteral("write"));
        QCOMPARE(writes.size(), 1);
        const QByteArray posted = test::StandIn::fieldBytes(writes.first().toObject(), QStringLiteral("data"));
        QVERIFY(posted.startsWith("\x89PNG"));
        QCOMPARE(QImage::fromData(posted, "PNG").size(), picture.size());
    }

    void statusIndicator()
    {
        test::ScriptedPrompter prompter;
        frmUploader w(nullptr, nullptr);
        w.show();
        auto* result = child<QLabel>(&w, "lblResult");
        w.SetStatusColor(0);
        QCOMPARE(colourOf(result), QColor(0, 255, 0));
        SetUploadStatusColor(1); // as the post lookup does
        QCOMPARE(colourOf(result), QColor(255, 255, 0));
        QCOMPARE(result->text(), QStringLiteral("1"));
        w.SetStatusColor(1);
        QCOMPARE(result->text(), QStringLiteral("2"));
        w.SetStatusColor(2);
        QCOMPARE(colourOf(result), QColor(255, 0, 0));
        QCOMPARE(result->text(), QStringLiteral("2"));
        result->setText(QStringLiteral("x"));
        w.SetStatusColor(1);
        QCOMPARE(result->text(), QStringLiteral("1"));

        const QString dont = QStringLiteral("Don't click here! It's just indicate if any errors occured sending or receiving posts.");
        const QString secret = QStringLiteral("Ok. There is a secret in this prog. Open about box and drag icon to program title.");
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(result, Qt::LeftButton);
        QCOMPARE(prompter.texts(), QStringList({dont, dont, secret, dont}));
    }

    void aRunFromTheWindow()
    {
        test::ScriptedPrompter prompter;
        CStatistics stats(GetGroupSettingsFile());
        frmUploader w(nullptr, &stats);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            QVERIFY(w.PasteToList(source(QString::fromLatin1(name), test::someBytes(300000)), false, false));
        // Only the last row is checked: the two before it keep their places.
        w.List().SetChecked(0, false);
        w.List().SetChecked(1, false);
        // Long enough for the window to be looked at while it runs.
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'delay','ms':300}")));
        QStringList disabledDuringRun;
        bool panelShown = false;
        QString position;
        whileRunning(w, [&] {
            if (!w.IsUploading())
                return false;
            for (const char* name : {"txtCaption", "txtTags", "cboPostState", "lvTasks", "cmdAddFile", "cmdUpload",
                                     "cmdCheckAllItems", "cmdHistory", "chkTagsFromCaption"})
                if (!child<QWidget>(&w, name)->isEnabled())
                    disabledDuringRun.append(QString::fromLatin1(name));
            panelShown = child<QWidget>(&w, "pnlProgress")->isVisible() && child<QWidget>(&w, "cmdStop")->isEnabled();
            position = child<QLabel>(&w, "lblRunPosition")->text();
            return true;
        });
        child<QPushButton>(&w, "cmdUpload")->click();
        QCOMPARE(disabledDuringRun.size(), 9);
        QVERIFY(panelShown);
        QCOMPARE(position, QStringLiteral("Picture 1 of 1"));
        QVERIFY(!child<QWidget>(&w, "pnlProgress")->isVisible());
        QCOMPARE(child<QLabel>(&w, "lblProgress")->text(), QStringLiteral("All done..."));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        QCOMPARE(displayed(child<QTreeView>(&w, "lvTasks"), 0), QStringList({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
        QCOMPARE(colourOf(child<QLabel>(&w, "lblResult")), QColor(0, 255, 0));
        QCOMPARE(GetLinksList(), QStringList{lastLinkId() + QStringLiteral(" :: c.jpg")});
        QVERIFY(stats.CurrentSentBytes > 300000);
        QVERIFY(child<QPushButton>(&w, "cmdUpload")->isEnabled());
    }

    void uploadingSettings_data()
    {
        QTest::addColumn<bool>("resolve");
        QTest::addColumn<bool>("thumbnails");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<bool>("atto");
        QTest::newRow("all on") << true << true << true << true;
        QTest::newRow("resolve off") << false << true << true << true;
        QTest::newRow("thumbnails off") << true << false << true << true;
        QTest::newRow("copy off") << true << true << false << true;
        QTest::newRow("atto off") << true << true << true << false;
    }
    void uploadingSettings()
    {
        QFETCH(bool, resolve);
        QFETCH(bool, thumbnails);
        QFETCH(bool, copy);
        QFETCH(bool, atto);
        SET_ResolvePosts = resolve;
        SET_DownloadThumbnails = thumbnails;
        SET_CopyUploadedFileToBase = copy;
        SET_AttoFormat = atto;
        test::ScriptedPrompter prompter;
        frmUploader w(nullptr, nullptr);
        w.show();
        const QByteArray bytes = test::pictureBytes(300, 200, qRgb(200, 40, 40));
        QVERIFY(w.PasteToList(source(QStringLiteral("pic.jpg"), bytes), false, false));
        QVERIFY(w.PasteToList(QStringLiteral("http://pics.example.org/web.jpg"), false, false));
        child<QPushButton>(&w, "cmdUpload")->click();
        QCOMPARE(w.List().count(), 0);
        QCOMPARE(test::entriesOf(SET_UploadsPath), QStringList());
        const QStringList links = GetLinksList();
        QCOMPARE(links.size(), 2);
        const QString fileId = links.first().section(u' ', 0, 0), linkId = links.last().section(u' ', 0, 0);
        QCOMPARE(LinkAttribute(FindLink(fileId), "UserName"), tsGetFullUserName(atto));
        QCOMPARE(IsLinkResolved(fileId), resolve);
        QCOMPARE(standin.requests(QStringLiteral("read")).size(), resolve ? 2 : 0);
        QCOMPARE(standin.requests(QStringLiteral("picture")).size(), resolve && thumbnails ? 2 : 0);
        QCOMPARE(QFile::exists(GetThumbnailFileName(fileId)), resolve && thumbnails);
        if (resolve && copy)
            QCOMPARE(test::readAll(GetPictureFileName(fileId)), bytes);
        else
            QVERIFY(!QFile::exists(GetPictureFileName(fileId)));
        // A posted link item is never copied into the base.
        QVERIFY(!QFile::exists(GetPictureFileName(linkId)));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
    }

    void escapeDuringTheThumbnailStops()
    {
        test::ScriptedPrompter prompter;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.PasteToList(source(QStringLiteral("first.jpg"), test::someBytes(5000)), false, false));
        QVERIFY(w.PasteToList(source(QStringLiteral("second.jpg"), test::someBytes(5000)), false, true));
        const QString copy = w.List().item(0).FileName;
        QVERIFY(standin.addFault(json("{'endpoint':'picture','kind':'slow','chunkBytes':64,'chunkDelayMs':150,'delayMs':300}")));
        bool escaped = false;
        // The post is resolved before its thumbnail is fetched.
        whileRunning(w, [&] {
            if (GetLinksCount() == 0 || !IsLinkResolved(lastLinkId()))
                return false;
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Escape);
            escaped = true;
            return true;
        });
        child<QPushButton>(&w, "cmdUpload")->click();
        QVERIFY(escaped);
        QVERIFY(w.isVisible());
        QVERIFY(!w.IsUploading());
        QVERIFY(prompter.messages().isEmpty());
        QCOMPARE(colourOf(child<QLabel>(&w, "lblResult")), QColor(255, 0, 0));
        const QString id = lastLinkId();
        xhXMLDocument base;
        QVERIFY(test::LoadDurableBase(base));
        QCOMPARE(int(base.SelectNodes(QStringLiteral("/Links/Link[@Resolved='True']")).size()), 1);
        QVERIFY(!QFile::exists(GetThumbnailFileName(id)));
        // The posted row is gone from the window, the folder and the saved list;
        // the next one waits for another run.
        QCOMPARE(displayed(child<QTreeView>(&w, "lvTasks"), 0), QStringList{QStringLiteral("second.jpg")});
        QVERIFY(!QFile::exists(copy));
        QCOMPARE(savedRows(), 1);
        QCOMPARE(standin.requests(QStringLiteral("write")).size(), 1);
    }

    void droppedConnectionDuringTheWrite()
    {
        test::ScriptedPrompter prompter;
        frmUploader w(nullptr, nullptr);
        w.show();
        const QByteArray bytes = test::someBytes(100000, 5);
        // A caption of its own: no earlier test's post can pass for it.
        child<QPlainTextEdit>(&w, "txtCaption")->setPlainText(QStringLiteral("Dropped during the write"));
        QVERIFY(w.PasteToList(source(QStringLiteral("drop.jpg"), bytes), false, true));
        const UploadItem queued = w.List().item(0);
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'drop'}")));
        const qint64 postsBefore = standin.posts().size();
        child<QPushButton>(&w, "cmdUpload")->click();
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't send post.")));
        // The row stays, marked as a write that may have made its post.
        UploadItem marked = queued;
        marked.UnconfirmedState = StatePublishNow;
        marked.UnconfirmedAfter = QStringLiteral("0");
        marked.UnconfirmedAt = w.List().item(0).UnconfirmedAt;
        QVERIFY(marked.UnconfirmedAt.isValid());
        QCOMPARE(w.List().items(), QList<UploadItem>{marked});
        QCOMPARE(test::readAll(queued.FileName), bytes);
        QCOMPARE(savedRows(), 1);
        QCOMPARE(colourOf(child<QLabel>(&w, "lblResult")), QColor(255, 0, 0));
        QCOMPARE(standin.requests(QStringLiteral("write")).size(), 1);
        QCOMPARE(standin.requests(QStringLiteral("write")).first().toObject().value(QStringLiteral("status")).toInt(), 0);
        QCOMPARE(standin.posts().size(), postsBefore);
        QCOMPARE(GetLinksCount(), 0);

        // The next run posts it once.
        prompter.clear();
        child<QPushButton>(&w, "cmdUpload")->click();
        QCOMPARE(standin.requests(QStringLiteral("write")).size(), 2);
        QCOMPARE(standin.posts().size(), postsBefore + 1);
        QCOMPARE(GetLinksCount(), 1);
        QCOMPARE(w.List().count(), 0);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
    }

    void closingIsRefusedWhileRunning()
    {
        test::ScriptedPrompter prompter;
        frmUploader w(nullptr, nullptr);
        w.show();
        QVERIFY(w.PasteToList(source(QStringLiteral("big.jpg"), test::someBytes(600000)), false, true));
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'slow','readBytes':32768,'readDelayMs':50}")));
        bool stillShown = false;
        whileRunning(w, [&] {
            if (!w.IsUploading())
                return false;
            w.close();
            stillShown = w.isVisible();
            return true;
        });
        child<QPushButton>(&w, "cmdUpload")->click();
        QVERIFY(stillShown);
        QVERIFY(w.isVisible());
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't send post.")));
        QCOMPARE(w.List().count(), 1);
        w.close();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestFrmUploader)
#include "test_frmuploader.moc"
