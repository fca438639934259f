// The batch windows, offscreen, over a real upload window: what they list and
// show, their keys, and the items they queue in it.
#include "guitest.h"
#include "scriptedfiledialogs.h"
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "testenv.h"
#include "uploadfixture.h"

#include "gui/upload/frmbatch.h"
#include "gui/upload/frmbatchurls.h"
#include "gui/upload/frmuploader.h"
#include "platform/inifile.h"
#include "platform/waitcursor.h"
#include "upload/uploadlist.h"

#include <QCompleter>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace ruvia;
using test::child;

namespace {

QStringList column(UploadList& list, int col)
{
    QStringList out;
    for (int r = 0; r < list.count(); ++r)
        out.append(list.index(r, col).data().toString());
    return out;
}

QStringList selectedNames(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            out.append(list->item(i)->text());
    return out;
}

QStringList allNames(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

} // namespace

class TestFrmBatch : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QString folder;

    void touch(const QString& name, const QByteArray& bytes = "x")
    {
        QVERIFY(test::writeFile(folder + u'/' + name, bytes));
    }
    void storeFolder(const QString& path)
    {
        QVERIFY(tsWriteStringToINI(QStringLiteral("Recent Directories"), QStringLiteral("Last Batch Directory"), path,
                                   GetGroupSettingsFile()));
    }
    static int savedRows()
    {
        UploadList saved;
        saved.LoadListedUploads();
        return saved.count();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(FileObject::writeText(profile.configHome() + QStringLiteral("/user-dirs.dirs"),
                                      QStringLiteral("XDG_DOCUMENTS_DIR=\"%1/documents\"\n").arg(profile.root())));
        QVERIFY(QDir().mkpath(profile.root() + QStringLiteral("/documents")));
    }

    void init()
    {
        QVERIFY(test::openFreshGroup(profile.root()));
        ResetSettingsToDefaults();
        folder = profile.root() + QStringLiteral("/pictures");
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
    }

    void folderWindowOnLoad()
    {
        test::ScriptedPrompter prompter;
        frmUploader up(nullptr, nullptr);
        {
            // No stored folder: the documents folder.
            frmBatch w(&up, up);
            QCOMPARE(child<QLineEdit>(&w, "txtPath")->text(), tsGetSpecialFolder(CSIDL_PERSONAL));
            QCOMPARE(w.windowTitle(), QStringLiteral("Batch mode :: 0 :: Ruvia"));
            QVERIFY(!child<QPushButton>(&w, "cmdCreatePhoto")->isEnabled());
        }
        for (const char* n : {"b.Png", "a.JPG", "notes.txt", "k.jp", "l.pe", "m.if"})
            touch(QString::fromLatin1(n));
        storeFolder(folder);
        frmBatch w(&up, up);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(child<QLabel>(&w, "lblNote")->text(),
                 QStringLiteral("You must specify caption, tags and group at main dialog. Here you can only select folder!"));
        auto* path = child<QLineEdit>(&w, "txtPath");
        auto* files = child<QListWidget>(&w, "lstFiles");
        auto* create = child<QPushButton>(&w, "cmdCreatePhoto");
        QCOMPARE(path->text(), folder);
        QCOMPARE(allNames(files), QStringList({QStringLiteral("a.JPG"), QStringLiteral("b.Png")}));
        QCOMPARE(selectedNames(files), allNames(files));
        QCOMPARE(w.windowTitle(), QStringLiteral("Batch mode :: 2 :: Ruvia"));
        QCOMPARE(create->text(), QStringLiteral("Create posts"));
        QVERIFY(create->isEnabled());
        QCOMPARE(child<QPushButton>(&w, "cmdBatchPathHistory")->text(), QStringLiteral("History"));
        // Completion offers folders only.
        auto* model = qobject_cast<QFileSystemModel*>(path->completer()->model());
        QVERIFY(model);
        QVERIFY(!(model->filter() & QDir::Files));
        QVERIFY(model->filter() & QDir::Dirs);

        // The default button is Create posts, except while the box has the focus.
        files->setFocus();
        QVERIFY(create->isDefault());
        path->setFocus();
        QVERIFY(!create->isDefault());
        files->setFocus();
        QVERIFY(create->isDefault());

        // Selection drives the button; Ctrl+A in the list selects every entry.
        files->clearSelection();
        QVERIFY(!create->isEnabled());
        QTest::keyClick(files, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectedNames(files), allNames(files));
        QVERIFY(create->isEnabled());
        QVERIFY(prompter.messages().isEmpty());
    }

    void choosingAFolder()
    {
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        touch(QStringLiteral("a.jpg"));
        const QString other = profile.root() + QStringLiteral("/other");
        QDir(other).removeRecursively();
        QVERIFY(test::writeFile(other + QStringLiteral("/x.gif"), "x"));
        QVERIFY(test::writeFile(other + QStringLiteral("/y.gif"), "x"));
        storeFolder(folder);
        {
            CHistory history;
            history.InitFileName(SET_DataPath, QStringLiteral("Batch Path History.DAT"));
            history.Add(other);
            history.SaveHistory();
        }
        frmUploader up(nullptr, nullptr);
        frmBatch w(&up, up);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* path = child<QLineEdit>(&w, "txtPath");
        auto* files = child<QListWidget>(&w, "lstFiles");

        // Enter lists what was typed, trimmed.
        path->setFocus();
        path->setText(QStringLiteral("  ") + other + QStringLiteral(" "));
        QTest::keyClick(path, Qt::Key_Return);
        QCOMPARE(path->text(), other);
        QCOMPARE(path->selectedText(), other);
        QCOMPARE(allNames(files), QStringList({QStringLiteral("x.gif"), QStringLiteral("y.gif")}));
        QCOMPARE(up.List().count(), 0);

        // F5 lists afresh.
        QVERIFY(test::writeFile(other + QStringLiteral("/w.gif"), "x"));
        QTest::keyClick(files, Qt::Key_F5);
        QCOMPARE(allNames(files).size(), 3);
        QCOMPARE(w.windowTitle(), QStringLiteral("Batch mode :: 3 :: Ruvia"));

        // A missing folder: the message, an empty list, and the path stays.
        const QString missing = other + QStringLiteral("/gone");
        path->setText(missing);
        QTest::keyClick(path, Qt::Key_Return);
        QCOMPARE(prompter.texts(), QStringList{missing + QStringLiteral("\r\n\r\nDirectory was not found.")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        QCOMPARE(files->count(), 0);
        QCOMPARE(path->text(), missing);
        QVERIFY(!child<QPushButton>(&w, "cmdCreatePhoto")->isEnabled());

        // Browse: the picker starts in the box's folder; a choice is listed and the list takes the focus.
        dialogs.queue(folder);
        child<QPushButton>(&w, "cmdBrowse")->click();
        QVERIFY(dialogs.last().folder);
        QCOMPARE(dialogs.last().options.title, QStringLiteral("Choose directory with pictures to be converted in batch."));
        QCOMPARE(dialogs.last().options.initialFolder, missing);
        QCOMPARE(path->text(), folder);
        QCOMPARE(allNames(files), QStringList{QStringLiteral("a.jpg")});
        QCOMPARE(QApplication::focusWidget(), files);
        dialogs.queue(QString());
        child<QPushButton>(&w, "cmdBrowse")->click();
        QCOMPARE(path->text(), folder);

        // An entry taken from the history is listed.
        test::onNextModal([&](QWidget* modal) {
            auto* list = child<QListWidget>(modal, "lstHistory");
            QCOMPARE(allNames(list), QStringList{other});
            list->setCurrentRow(0);
            child<QPushButton>(modal, "cmdOk")->click();
        });
        child<QPushButton>(&w, "cmdBatchPathHistory")->click();
        QCOMPARE(path->text(), other);
        QCOMPARE(allNames(files).size(), 3);

        // Esc closes; the folder and the history are kept for the next time.
        QTest::keyClick(files, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(tsReadStringFromINI(QStringLiteral("Recent Directories"), QStringLiteral("Last Batch Directory"), {},
                                     GetGroupSettingsFile()),
                 other);
        QCOMPARE(prompter.messages().size(), 1);
    }

    void createPostsQueuesEveryFileOnceInOrder()
    {
        test::ScriptedPrompter prompter;
        QStringList names;
        for (int i = 0; i < 500; ++i) {
            names.append(QStringLiteral("p%1.jpg").arg(i, 3, 10, QChar(u'0')));
            touch(names.last());
        }
        storeFolder(folder);
        frmUploader up(nullptr, nullptr);
        QVERIFY(up.PasteToList(QStringLiteral("http://x.org/first.jpg"), false, true));
        child<QPlainTextEdit>(&up, "txtCaption")->setPlainText(QStringLiteral("Holiday"));
        frmBatch w(&up, up);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* path = child<QLineEdit>(&w, "txtPath");
        auto* files = child<QListWidget>(&w, "lstFiles");
        QCOMPARE(allNames(files), names);

        // Rows when the wait cursor went up and when it came down.
        int depth = 0;
        QList<int> cursorRows;
        setWaitCursorHandler([&](bool on) {
            if (on ? depth++ == 0 : --depth == 0)
                cursorRows.append(up.List().count());
        });
        // Ctrl+Enter in the box puts the listed folder back and creates the posts.
        path->setFocus();
        path->setText(QStringLiteral("/somewhere/else"));
        QTest::keyClick(path, Qt::Key_Return, Qt::ControlModifier);
        setWaitCursorHandler({});
        QCOMPARE(path->text(), folder);
        QCOMPARE(cursorRows, QList<int>({1, 501}));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));
        QCOMPARE(column(up.List(), UploadList::ColFileName), QStringList{QStringLiteral("/first.jpg")} + names);
        QCOMPARE(column(up.List(), UploadList::ColCaption).last(), QStringLiteral("Holiday"));
        QCOMPARE(test::entriesOf(SET_UploadsPath).size(), 500);
        QCOMPARE(savedRows(), 501);
        QCOMPARE(selectedNames(files), QStringList());
        QVERIFY(!child<QPushButton>(&w, "cmdCreatePhoto")->isEnabled());
    }

    void vanishedAndUncopyableFilesAreSkipped()
    {
        test::HookedPrompter prompter;
        const QString big = folder + QStringLiteral("/b.jpg");
        for (const char* n : {"a.jpg", "c.jpg", "d.jpg"})
            touch(QString::fromLatin1(n));
        touch(QStringLiteral("b.jpg"), test::someBytes(3 * 1024 * 1024));
        storeFolder(folder);
        frmUploader up(nullptr, nullptr);
        frmBatch w(&up, up);
        QCOMPARE(child<QListWidget>(&w, "lstFiles")->count(), 4);
        QVERIFY(QFile::remove(folder + QStringLiteral("/d.jpg")));

        // b.jpg cannot be written whole: Retry fails again, Cancel skips it alone.
        test::FileSizeLimit limit;
        limit.set(256 * 1024);
        int asked = 0;
        prompter.onAsk = [&] {
            if (++asked == 2)
                limit.lift();
        };
        prompter.queue({IDRETRY, IDCANCEL});
        child<QPushButton>(&w, "cmdCreatePhoto")->click();
        limit.lift();
        const QString cantCopy = big + QStringLiteral("\r\n\r\nCan't copy file to uploads folder.");
        QCOMPARE(prompter.messages().size(), 3);
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(prompter.messages().at(i).text.startsWith(cantCopy), qPrintable(prompter.messages().at(i).text));
            QCOMPARE(prompter.messages().at(i).style, int(MB_RETRYCANCEL | MB_ICONCRITICAL));
        }
        QCOMPARE(prompter.last().text, QStringLiteral("All done ^_^v"));
        QCOMPARE(column(up.List(), UploadList::ColFileName), QStringList({QStringLiteral("a.jpg"), QStringLiteral("c.jpg")}));
        QCOMPARE(test::entriesOf(SET_UploadsPath).size(), 2);
        QCOMPARE(savedRows(), 2);
    }

    void urlsWindow()
    {
        test::ScriptedPrompter prompter;
        frmUploader up(nullptr, nullptr);
        child<QPlainTextEdit>(&up, "txtCaption")->setPlainText(QStringLiteral("Found"));
        frmBatchURLs w(&up, up);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("Ruvia :: URLs mode"));
        QCOMPARE(child<QLabel>(&w, "lblNote")->text(),
                 QStringLiteral("You must specify caption, tags and group at main dialog. Here you can only paste URLs!"));
        auto* box = child<QPlainTextEdit>(&w, "txtURLs");
        auto* insert = child<QPushButton>(&w, "cmdCreatePhoto");
        QCOMPARE(insert->text(), QStringLiteral("Insert URLs"));
        QCOMPARE(box->toPlainText(), QString());
        QVERIFY(!insert->isEnabled());
        box->setPlainText(QStringLiteral("  \n\t\n\n"));
        QVERIFY(!insert->isEnabled());

        box->setPlainText(QStringLiteral("http://a.org/1.jpg\nsome plain words\n  https://b.org/pics/2.png \n"
                                         "file:///home/me/3.jpg\n\n"));
        QVERIFY(insert->isEnabled());
        // The box's own Ctrl+A takes the whole text.
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box->textCursor().selectedText().size(), box->toPlainText().size());
        insert->click();
        QCOMPARE(column(up.List(), UploadList::ColFileName), QStringList({QStringLiteral("/1.jpg"), QStringLiteral("/2.png")}));
        QCOMPARE(column(up.List(), UploadList::ColFullFileName),
                 QStringList({QStringLiteral("http://a.org/1.jpg"), QStringLiteral("https://b.org/pics/2.png")}));
        QCOMPARE(column(up.List(), UploadList::ColSize), QStringList({QStringLiteral("--"), QStringLiteral("--")}));
        QCOMPARE(column(up.List(), UploadList::ColCaption), QStringList({QStringLiteral("Found"), QStringLiteral("Found")}));
        QCOMPARE(savedRows(), 2);
        QCOMPARE(box->toPlainText(), QStringLiteral("some plain words\nfile:///home/me/3.jpg"));
        QCOMPARE(prompter.texts(),
                 QStringList{QStringLiteral("All done ^_^v\r\n\r\nSome lines contains invalid URLs. Please fix them.")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));

        // All valid: the box empties and the notice is the short one.
        box->setPlainText(QStringLiteral("http://c.org/3.gif"));
        insert->click();
        QCOMPARE(up.List().count(), 3);
        QCOMPARE(box->toPlainText(), QString());
        QVERIFY(!insert->isEnabled());
        QCOMPARE(prompter.last().text, QStringLiteral("All done ^_^v"));
    }

    void urlsTextKeptBetweenUses()
    {
        test::ScriptedPrompter prompter;
        frmUploader up(nullptr, nullptr);
        const QString text = QStringLiteral("http://a.org/\u00e9t\u00e9.jpg\r\nno\u00a0break \u4e2d\u6587 \U0001F600\r\n"
                                            "\r\n  trailing blanks  \r\n");
        {
            frmBatchURLs w(&up, up);
            w.show();
            child<QPlainTextEdit>(&w, "txtURLs")->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            QCOMPARE(w.BoxText(), text);
            QTest::keyClick(child<QPlainTextEdit>(&w, "txtURLs"), Qt::Key_Escape);
            QVERIFY(!w.isVisible());
        }
        QString stored;
        QVERIFY(FileObject::readText(SET_DataPath + QStringLiteral("/Batch URLs Data.TXT"), stored));
        QCOMPARE(stored, text);
        frmBatchURLs again(&up, up);
        auto* box = child<QPlainTextEdit>(&again, "txtURLs");
        QCOMPARE(again.BoxText(), text);
        QCOMPARE(box->textCursor().position(), 0);
        QVERIFY(child<QPushButton>(&again, "cmdCreatePhoto")->isEnabled());
        QVERIFY(prompter.messages().isEmpty());
    }
};

QTEST_MAIN(TestFrmBatch)
#include "test_frmbatch.moc"
