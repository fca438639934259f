// The batches from a folder and from URLs without their windows: which files
// are listed and in what order, the remembered folder, the queueing, and the
// URL lines.
#include "scriptedprompter.h"
#include "testenv.h"
#include "uploadfixture.h"

#include "platform/inifile.h"
#include "platform/waitcursor.h"
#include "upload/batchfolder.h"
#include "upload/batchurls.h"
#include "upload/uploadqueue.h"

#include <QFile>

using namespace ruvia;

namespace {

const QString kRecent = QStringLiteral("Recent Directories");
const QString kLastFolder = QStringLiteral("Last Batch Directory");

struct Paste {
    QString text;
    bool treatAsFile;
    bool saveList;
    bool waiting;
};

// Records what a batch hands to the upload window, and whether the wait
// cursor was up at the time.
class RecordingQueue : public IUploadQueue {
public:
    RecordingQueue() { setWaitCursorHandler([this](bool on) { waiting = on; }); }
    ~RecordingQueue() override { setWaitCursorHandler({}); }
    bool PasteToList(const QString& text, bool treatAsFile, bool saveList) override
    {
        pastes.append({text, treatAsFile, saveList, waiting});
        return true;
    }
    bool SaveListedUploads() override
    {
        savedAfter.append(int(pastes.size()));
        return true;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Paste& p : pastes)
            out.append(p.text);
        return out;
    }
    QList<Paste> pastes;
    QList<int> savedAfter;
    bool waiting = false;
};

class FakeList : public ListSelection {
public:
    explicit FakeList(QList<bool> selected) : selected(std::move(selected)) {}
    int count() const override { return int(selected.size()); }
    bool isSelected(int index) const override { return selected.at(index); }
    void selectRange(int first, int last, bool select) override
    {
        for (int i = first; i <= last; ++i)
            selected[i] = select;
    }
    QList<bool> selected;
};

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QString folder;

    void touch(const QString& name) { QVERIFY(test::writeFile(folder + u'/' + name, "x")); }

private Q_SLOTS:
    void initTestCase()
    {
        // Where this desktop's documents folder is.
        QVERIFY(FileObject::writeText(profile.configHome() + QStringLiteral("/user-dirs.dirs"),
                                      QStringLiteral("XDG_DOCUMENTS_DIR=\"%1/documents\"\n").arg(profile.root())));
    }

    void init()
    {
        QVERIFY(test::openFreshGroup(profile.root()));
        folder = profile.root() + QStringLiteral("/pictures");
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
    }

    void pictureNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("listed");
        for (const char* n : {"a.jpg", "b.JPG", "c.Png", "d.jpeg", "e.jpe", "f.jfif", "g.gif", "h.bmp", "i.dib",
                              "j.rle", "two.dots.png", "no ext.txt.jpg"})
            QTest::newRow(n) << QString::fromLatin1(n) << true;
        for (const char* n : {"k.jp", "l.pe", "m.if", "n.txt", "noextension", "o.", "p.jpg.txt", "q.gif|png",
                              "r.jpgx", "s.|jpg|", "t.tiff"})
            QTest::newRow(n) << QString::fromLatin1(n) << false;
    }
    void pictureNames()
    {
        QFETCH(QString, name);
        QTEST(IsPictureFileName(name), "listed");
    }

    void listingKeepsPicturesInOrder()
    {
        for (const char* n : {"b.jpg", "C.GIF", "a.jpg", "A.png", "X.jpg", "x.jpg", "notes.txt", "d.jp", ".hidden.jpg"})
            touch(QString::fromLatin1(n));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/folder.jpg")));
        QVERIFY(QFile::link(folder + QStringLiteral("/gone.jpg"), folder + QStringLiteral("/dead link.jpg")));
        QVERIFY(QFile::link(folder + QStringLiteral("/b.jpg"), folder + QStringLiteral("/link.jpg")));
        QStringList names;
        QVERIFY(ListPictureFiles(folder, names));
        QCOMPARE(names, QStringList({QStringLiteral("a.jpg"), QStringLiteral("A.png"), QStringLiteral("b.jpg"),
                                     QStringLiteral("C.GIF"), QStringLiteral("link.jpg"), QStringLiteral("X.jpg"),
                                     QStringLiteral("x.jpg")}));
        QVERIFY(ListPictureFiles(folder + QStringLiteral("/folder.jpg"), names));
        QCOMPARE(names, QStringList());
    }

    void unreadableFolderIsReported()
    {
        test::ScriptedPrompter prompter;
        touch(QStringLiteral("a.jpg"));
        QVERIFY(QFile::setPermissions(folder, QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(profile.root(), QFile::permissions(profile.root()) | QFile::ExeOther));
        CBatchFolder batch;
        QString error;
        QStringList names{QStringLiteral("stale")};
        bool listed = true;
        // Root reads anything: the listing is made as an ordinary user.
        QVERIFY(test::runUnprivileged([&] {
            listed = ListPictureFiles(folder, names, &error);
            return batch.SetCurrentPath(folder);
        }));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(!listed);
        QVERIFY(names.isEmpty());
        QVERIFY(!error.isEmpty());
        QCOMPARE(batch.Files(), QStringList());
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(folder + QStringLiteral("\r\n\r\nCat't get picture files list.")));
        QVERIFY(prompter.last().text.contains(error));
        QCOMPARE(prompter.last().style, int(MB_ICONCRITICAL));
    }

    void caption()
    {
        QCOMPARE(BatchCaption(0), QStringLiteral("Batch mode :: 0 :: Ruvia"));
        QCOMPARE(BatchCaption(5000), QStringLiteral("Batch mode :: 5000 :: Ruvia"));
    }

    void setCurrentPath()
    {
        test::ScriptedPrompter prompter;
        touch(QStringLiteral("a.jpg"));
        CBatchFolder batch;
        QVERIFY(batch.SetCurrentPath(QStringLiteral(" \t") + folder + QStringLiteral(" \r\n")));
        QCOMPARE(batch.CurrentPath(), folder);
        QCOMPARE(batch.Files(), QStringList{QStringLiteral("a.jpg")});
        QVERIFY(!batch.SetCurrentPath(QStringLiteral("  \r\n")));
        QCOMPARE(batch.CurrentPath(), folder);
        QCOMPARE(batch.Files(), QStringList{QStringLiteral("a.jpg")});
        QVERIFY(prompter.messages().isEmpty());

        // A missing folder stays current and is what the window stores.
        const QString missing = folder + QStringLiteral("/nowhere");
        QVERIFY(batch.SetCurrentPath(missing));
        QCOMPARE(prompter.texts(), QStringList{missing + QStringLiteral("\r\n\r\nDirectory was not found.")});
        QCOMPARE(prompter.last().style, int(MB_ICONCRITICAL));
        QCOMPARE(batch.Files(), QStringList());
        QCOMPARE(batch.CurrentPath(), missing);
        batch.Unload();
        QCOMPARE(tsReadStringFromINI(kRecent, kLastFolder, {}, GetGroupSettingsFile()), missing);
    }

    void firstFolder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("documents");
        QTest::addColumn<QString>("expected");
        QTest::newRow("stored, with blanks") << "  {F}  " << true << "{F}";
        QTest::newRow("stored but missing") << "{F}/gone" << true << "{F}/gone";
        QTest::newRow("none: documents") << "" << true << "{D}";
        QTest::newRow("none, no documents folder: home") << "" << false << "{H}";
    }
    void firstFolder()
    {
        QFETCH(QString, stored);
        QFETCH(bool, documents);
        QFETCH(QString, expected);
        const QString docs = tsGetSpecialFolder(CSIDL_PERSONAL);
        QCOMPARE(docs, profile.root() + QStringLiteral("/documents"));
        QDir(docs).removeRecursively();
        if (documents)
            QVERIFY(QDir().mkpath(docs));
        auto expand = [&](QString t) {
            return t.replace(QStringLiteral("{F}"), folder).replace(QStringLiteral("{D}"), docs)
                .replace(QStringLiteral("{H}"), QDir::homePath());
        };
        QVERIFY(tsWriteStringToINI(kRecent, kLastFolder, expand(stored), GetGroupSettingsFile()));
        CBatchFolder batch;
        QCOMPARE(batch.Load(), expand(expected));
        QCOMPARE(batch.History().FileName(), SET_DataPath + QStringLiteral("/Batch Path History.DAT"));
    }

    void historyKeptBetweenUses()
    {
        test::ScriptedPrompter prompter;
        RecordingQueue queue;
        touch(QStringLiteral("a.jpg"));
        {
            CBatchFolder batch;
            batch.Load();
            batch.SetCurrentPath(folder);
            FakeList list({true});
            batch.CreateItems(list, queue);
            batch.Unload();
        }
        CBatchFolder batch;
        QCOMPARE(batch.Load(), folder);
        QCOMPARE(batch.History().Entries(), QStringList{folder});
    }

    void createItems()
    {
        test::ScriptedPrompter prompter;
        RecordingQueue queue;
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            touch(QString::fromLatin1(n));
        CBatchFolder batch;
        batch.SetCurrentPath(folder + u'/');
        FakeList list({false, true, false, true});
        QCOMPARE(batch.CreateItems(list, queue), 2);
        // Each file once, in list order, the list written once after them all.
        QCOMPARE(queue.texts(), QStringList({folder + QStringLiteral("/b.jpg"), folder + QStringLiteral("/d.jpg")}));
        for (const Paste& p : queue.pastes) {
            QVERIFY(!p.treatAsFile);
            QVERIFY(!p.saveList);
            QVERIFY(p.waiting);
        }
        QCOMPARE(queue.savedAfter, QList<int>{2});
        QCOMPARE(list.selected, QList<bool>({false, false, false, false}));
        QCOMPARE(batch.History().Entries(), QStringList{folder + u'/'});
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});
        QCOMPARE(prompter.last().style, int(MB_ICONINFORMATION));
        QVERIFY(!queue.waiting);
    }

    void urlLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("valid");
        QTest::addColumn<QString>("rejected");
        QTest::newRow("blank lines") << " \r\n\t\r\n\r\n" << QStringList() << "";
        QTest::newRow("two URLs and words")
            << "http://a.org/1.jpg\r\nsome plain words\r\nhttps://b.org/2.png" << QStringList{QStringLiteral("http://a.org/1.jpg"), QStringLiteral("https://b.org/2.png")}
            << "some plain words\r\n";
        QTest::newRow("file:// rejected") << "file:///home/me/x.jpg\r\nFILE://x" << QStringList()
                                          << "file:///home/me/x.jpg\r\nFILE://x\r\n";
        QTest::newRow("trimmed") << "  http://a.org/1.jpg \t" << QStringList{QStringLiteral("http://a.org/1.jpg")} << "";
        QTest::newRow("tab inside") << "http://a.org/1\t.jpg" << QStringList() << "http://a.org/1\t.jpg\r\n";
        QTest::newRow("no scheme") << "www.example.org/a.jpg\r\n/home/a.jpg\r\nh:x" << QStringList()
                                   << "www.example.org/a.jpg\r\n/home/a.jpg\r\nh:x\r\n";
    }
    void urlLines()
    {
        QFETCH(QString, text);
        const BatchUrlLines lines = SplitBatchUrls(text);
        QTEST(lines.valid, "valid");
        QTEST(lines.rejected, "rejected");
        QCOMPARE(HasBatchUrls(text), !lines.valid.isEmpty() || !lines.rejected.isEmpty());
    }

    void insertUrls()
    {
        RecordingQueue queue;
        const QString left =
            InsertBatchUrls(QStringLiteral("http://a.org/1.jpg\r\nwords\r\n\r\n http://b.org/2.jpg\r\nmore words\r\n"),
                            queue);
        QCOMPARE(queue.texts(), QStringList({QStringLiteral("http://a.org/1.jpg"), QStringLiteral("http://b.org/2.jpg")}));
        for (const Paste& p : queue.pastes) {
            QVERIFY(!p.treatAsFile);
            QVERIFY(!p.saveList);
            QVERIFY(p.waiting);
        }
        QCOMPARE(queue.savedAfter, QList<int>{2});
        QCOMPARE(left, QStringLiteral("words\r\nmore words"));
        QVERIFY(!queue.waiting);
        QCOMPARE(BatchUrlsNotice(false), QStringLiteral("All done ^_^v"));
        QCOMPARE(BatchUrlsNotice(true),
                 QStringLiteral("All done ^_^v\r\n\r\nSome lines contains invalid URLs. Please fix them."));
    }

    void urlsTextFile()
    {
        test::ScriptedPrompter prompter;
        QCOMPARE(BatchUrlsFile(), SET_DataPath + QStringLiteral("/Batch URLs Data.TXT"));
        QCOMPARE(LoadBatchUrlsText(), QString());
        const QString text = QStringLiteral("http://a.org/\u00e9t\u00e9.jpg\r\nno\u00a0break \U0001F600\r\n") +
                             QChar(0) + QStringLiteral("\t\u4e2d\r\n");
        QVERIFY(SaveBatchUrlsText(text));
        QCOMPARE(LoadBatchUrlsText(), text);
        QVERIFY(prompter.messages().isEmpty());

        // A folder where the file should be: both ways fail and say so.
        QVERIFY(QFile::remove(BatchUrlsFile()));
        QVERIFY(QDir().mkpath(BatchUrlsFile()));
        QVERIFY(!SaveBatchUrlsText(text));
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(BatchUrlsFile() + QStringLiteral("\r\n\r\nCan't save URLs list.")));
        QCOMPARE(prompter.last().style, int(MB_ICONCRITICAL));
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "test_batch.moc"
