// The upload queue: Uploads.XML, the uploads folder, side files and the
// tags rule, without a window.
#include "scriptedprompter.h"
#include "scriptedshell.h"
#include "servicefixture.h"
#include "testenv.h"
#include "uploadfixture.h"

#include "platform/inifile.h"
#include "platform/shell.h"
#include "platform/textutil.h"
#include "platform/xmldocument.h"
#include "upload/postproperties.h"
#include "upload/uploadfiles.h"
#include "upload/uploadlist.h"

#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimeZone>

using namespace ruvia;

namespace {
const QString kCantCopy = QStringLiteral("Can't copy file to uploads folder.");

QString uploadsXml(const QString& items)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Uploads Group=\"g\">") +
           items + QStringLiteral("</Uploads>");
}

UploadItem row(const QString& fileName, const QString& original, const QString& sizeText,
               qint32 sizeBytes = 0)
{
    UploadItem it;
    it.FileName = fileName;
    it.OriginalFileName = original;
    it.SizeText = sizeText;
    it.SizeBytes = sizeBytes;
    return it;
}

} // namespace

class TestUploadList : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QString sources;

    QString source(const QString& name, const QByteArray& bytes)
    {
        const QString path = sources + u'/' + name;
        test::writeFile(path, bytes);
        return path;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(test::openFreshGroup(profile.root()));
        sources = profile.root() + QStringLiteral("/sources");
        QDir(sources).removeRecursively();
        QDir().mkpath(sources);
        ResetSettingsToDefaults();
        shell().SetClipboardText(QString());
    }

    void loadRules_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<int>("sizeBytes");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("caption");
        // {U}: the uploads folder; queued.JPG there holds 5 bytes.
        QTest::newRow("in-folder form, no Selected")
            << "<UploadItem><FileName>*\\queued.JPG</FileName></UploadItem>"
            << "{U}/queued.JPG" << "queued.JPG" << "5 bytes" << 5 << true << "";
        QTest::newRow("further backslash kept")
            << "<UploadItem Selected='False'><FileName>*\\sub\\queued.JPG</FileName></UploadItem>"
            << "*\\sub\\queued.JPG" << "queued.JPG" << "FNF" << 0 << false << "";
        QTest::newRow("URL")
            << "<UploadItem Selected=' true '><FileName>http://x.org/a/b.jpg?q=1</FileName></UploadItem>"
            << "http://x.org/a/b.jpg?q=1" << "/b.jpg?q=1" << "--" << 0 << true << "";
        QTest::newRow("missing file, -1")
            << "<UploadItem Selected='-1'><OriginalFileName>Mine.png</OriginalFileName>"
               "<FileName>/nowhere/x.png</FileName></UploadItem>"
            << "/nowhere/x.png" << "Mine.png" << "FNF" << 0 << true << "";
        QTest::newRow("yes is not true")
            << "<UploadItem Selected='yes'><FileName>http://x.org/c</FileName></UploadItem>"
            << "http://x.org/c" << "/c" << "--" << 0 << false << "";
        QTest::newRow("LF caption")
            << "<UploadItem Selected='1'><FileName>http://x.org/d</FileName>"
               "<Caption>one\ntwo</Caption></UploadItem>"
            << "http://x.org/d" << "/d" << "--" << 0 << true << "one\r\ntwo";
        QTest::newRow("file:// is a path")
            << "<UploadItem><FileName>file:///tmp/x.jpg</FileName></UploadItem>"
            << "file:///tmp/x.jpg" << "x.jpg" << "FNF" << 0 << true << "";
    }
    void loadRules()
    {
        QFETCH(QString, item);
        QFETCH(QString, fileName);
        test::ScriptedPrompter prompter;
        QVERIFY(test::writeFile(SET_UploadsPath + QStringLiteral("/queued.JPG"), "12345"));
        QVERIFY(FileObject::writeText(UploadList::UploadsFile(), uploadsXml(item)));
        UploadList list;
        list.LoadListedUploads();
        QCOMPARE(list.count(), 1);
        const UploadItem& it = list.item(0);
        QCOMPARE(it.FileName, fileName.replace(QStringLiteral("{U}"), SET_UploadsPath));
        QTEST(it.OriginalFileName, "original");
        QTEST(it.SizeText, "sizeText");
        QTEST(int(it.SizeBytes), "sizeBytes");
        QTEST(it.Selected, "selected");
        QTEST(it.Caption, "caption");
        QCOMPARE(list.TotalSizeBytes(), qint64(it.SizeBytes));
        QVERIFY(prompter.messages().isEmpty());
    }

    void oldNameIsMovedOnce()
    {
        const QString old = SET_DataPath + QStringLiteral("/Uplods.XML");
        QVERIFY(FileObject::writeText(old, uploadsXml(QStringLiteral(
                                                "<UploadItem><FileName>http://x.org/old</FileName></UploadItem>"))));
        UploadList list;
        list.LoadListedUploads();
        QCOMPARE(list.count(), 1);
        QVERIFY(!QFile::exists(old));
        // With both present the current file wins and the old one stays.
        QVERIFY(FileObject::writeText(old, uploadsXml({})));
        list.LoadListedUploads();
        QCOMPARE(list.count(), 1);
        QVERIFY(QFile::exists(old));
    }

    void damagedFileIsReportedAndLeftAlone()
    {
        test::ScriptedPrompter prompter;
        QVERIFY(FileObject::writeText(UploadList::UploadsFile(), QStringLiteral("<Uploads><UploadItem>")));
        UploadList list;
        list.ListAddItem(row(QStringLiteral("http://x.org/a"), QStringLiteral("/a"), QStringLiteral("--")));
        list.LoadListedUploads();
        QCOMPARE(list.count(), 0);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(UploadList::UploadsFile() +
                                                QStringLiteral("\r\n\r\nCan't load uploads list.\r\n\r\n")));
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        QCOMPARE(test::readAll(UploadList::UploadsFile()), QByteArray("<Uploads><UploadItem>"));
    }

    // A row whose write may have made a post keeps that mark across runs; a
    // mark that is not a state and a post ID is dropped.
    void unconfirmedWriteMark_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("after");
        const QString at = QStringLiteral(" UnconfirmedAt='2026-12-10T20:14:28Z'");
        QTest::newRow("marked") << QStringLiteral("UnconfirmedState='2' UnconfirmedAfter='431830023'") + at << 2 << "431830023";
        QTest::newRow("empty base") << QStringLiteral("UnconfirmedState='0' UnconfirmedAfter='0'") + at << 0 << "0";
        QTest::newRow("not an ID") << QStringLiteral("UnconfirmedState='0' UnconfirmedAfter='12a'") + at << -1 << "";
        QTest::newRow("no ID") << QStringLiteral("UnconfirmedState='1'") + at << -1 << "";
        QTest::newRow("no time") << "UnconfirmedState='1' UnconfirmedAfter='5'" << -1 << "";
        QTest::newRow("not a time") << "UnconfirmedState='1' UnconfirmedAfter='5' UnconfirmedAt='soon'" << -1 << "";
        QTest::newRow("negative state") << QStringLiteral("UnconfirmedState='-3' UnconfirmedAfter='5'") + at << -1 << "";
        QTest::newRow("no mark") << "" << -1 << "";
    }
    void unconfirmedWriteMark()
    {
        QFETCH(QString, attributes);
        QFETCH(int, state);
        QVERIFY(FileObject::writeText(UploadList::UploadsFile(),
                                      uploadsXml(QStringLiteral("<UploadItem %1><FileName>http://x.org/a</FileName>"
                                                                "</UploadItem>").arg(attributes))));
        UploadList list;
        list.LoadListedUploads();
        QCOMPARE(list.count(), 1);
        QTEST(list.item(0).UnconfirmedState, "state");
        QTEST(list.item(0).UnconfirmedAfter, "after");
        QCOMPARE(list.item(0).UnconfirmedAt,
                 state < 0 ? QDateTime() : QDateTime(QDate(2026, 12, 10), QTime(20, 14, 28), QTimeZone::utc()));

        // Cleared, it is gone from the file.
        list.SetUnconfirmedWrite(0, -1, QStringLiteral("7"), QDateTime::currentDateTimeUtc());
        QVERIFY(list.SaveListedUploads());
        UploadList again;
        again.LoadListedUploads();
        QCOMPARE(again.item(0).UnconfirmedState, -1);
        QCOMPARE(again.item(0).UnconfirmedAfter, QString());
    }

    void saveWritesTheDataModel()
    {
        UploadList list;
        // The uploads folder spelled in another letter case still gives the "*\" form.
        const QString inFolder = SET_UploadsPath.toUpper() + QStringLiteral("/{A}.JPG");
        list.ListAddItem({inFolder, QStringLiteral("a.jpg"), QStringLiteral("1 bytes"), 1,
                          QStringLiteral("c"), QStringLiteral("t"), QStringLiteral("u"), false, -1, {}, {}});
        list.ListAddItem(row(SET_UploadsPath + QStringLiteral("/sub/b.png"), QStringLiteral("b.png"),
                             QStringLiteral("FNF")));
        list.ListAddItem(row(QStringLiteral("http://x.org/c.gif"), QStringLiteral("/c.gif"),
                             QStringLiteral("--")));
        QVERIFY(list.SaveListedUploads());

        xhXMLDocument doc;
        QVERIFY(doc.Load(UploadList::UploadsFile()));
        QCOMPARE(doc.GetText(QStringLiteral("/Uploads/@Group")), test::kTestGroup);
        const auto items = doc.SelectNodes(QStringLiteral("/Uploads/UploadItem"));
        QCOMPARE(int(items.size()), 3);
        QStringList childNames;
        for (pugi::xml_node c : items[0].node().children())
            childNames.append(QString::fromUtf8(c.name()));
        QCOMPARE(childNames.join(u','), QStringLiteral("OriginalFileName,FileName,Caption,Tags,ClickThroughURL"));
        auto text = [&](int i, const char* child) {
            return QString::fromUtf8(items[i].node().child(child).text().get());
        };
        QCOMPARE(QString::fromUtf8(items[0].node().attribute("Selected").value()), QStringLiteral("False"));
        QCOMPARE(QString::fromUtf8(items[1].node().attribute("Selected").value()), QStringLiteral("True"));
        QCOMPARE(text(0, "FileName"), QStringLiteral("*\\{A}.JPG"));
        QCOMPARE(text(0, "Caption"), QStringLiteral("c"));
        QCOMPARE(text(1, "FileName"), SET_UploadsPath + QStringLiteral("/sub/b.png"));
        QCOMPARE(text(2, "FileName"), QStringLiteral("http://x.org/c.gif"));
        QCOMPARE(text(2, "OriginalFileName"), QStringLiteral("/c.gif"));
    }

    void textsRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quotes and backslashes") << "He said \"hi\" & 'bye' \\n C:\\dir\\";
        QTest::newRow("line breaks") << "first\r\n\r\nthird\r\n";
        QTest::newRow("non-ASCII") << QStringLiteral("Caf\u00e9 \u65e5\u672c \U0001F600 \u00a0");
        QTest::newRow("markup") << "<b>bold</b> &amp; ]]> <![CDATA[x]]>";
        QTest::newRow("blanks only") << "   ";
        QTest::newRow("blanks around") << "  a, \"b c\"\t";
        QTest::newRow("control") << QStringLiteral("a\x01z");
    }
    void textsRoundTrip()
    {
        QFETCH(QString, text);
        UploadList list;
        UploadItem item{QStringLiteral("http://x.org/") + QString::fromLatin1(QUrl::toPercentEncoding(text)),
                        QStringLiteral("/") + text, QStringLiteral("--"), 0, text, text, text, true,
                        3, QStringLiteral("431830023"),
                        QDateTime(QDate(2026, 12, 10), QTime(20, 14, 28), QTimeZone::utc())};
        item.AltText = text;
        list.ListAddItem(item);
        QVERIFY(list.SaveListedUploads());
        UploadList again;
        again.LoadListedUploads();
        QCOMPARE(again.count(), 1);
        QCOMPARE(again.item(0), item);

        PostProperties p{text, text, true, text, 3, text.trimmed(), text};
        const QString ini = SET_DataPath + QStringLiteral("/Settings.INI");
        QVERIFY(SavePostProperties(ini, p));
        QCOMPARE(LoadPostProperties(ini), p);
    }

    void altTextInTheFile_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("altText");
        const QString a4095(4095, u'a');
        auto element = [](const QString& text) { return QStringLiteral("<AltText>") + text + QStringLiteral("</AltText>"); };
        QTest::newRow("older list without it") << QString() << QString();
        QTest::newRow("empty") << QStringLiteral("<AltText/>") << QString();
        QTest::newRow("LF breaks") << element(QStringLiteral("one\ntwo")) << QStringLiteral("one\r\ntwo");
        QTest::newRow("blanks and markup kept")
            << element(QStringLiteral("  a &lt;b&gt; \u00e9\u65e5 ")) << QStringLiteral("  a <b> \u00e9\u65e5 ");
        QTest::newRow("longer than the limit") << element(QString(5000, u'x')) << QString(kAltTextLimit, u'x');
        QTest::newRow("cut inside a surrogate pair") << element(a4095 + QStringLiteral("\U0001F600")) << a4095;
        QTest::newRow("cut inside a line break") << element(a4095 + QStringLiteral("\r\nb")) << a4095;
    }
    void altTextInTheFile()
    {
        QFETCH(QString, element);
        QFETCH(QString, altText);
        test::ScriptedPrompter prompter;
        QVERIFY(FileObject::writeText(UploadList::UploadsFile(),
                                      uploadsXml(QStringLiteral("<UploadItem><FileName>http://x.org/a.jpg</FileName>"
                                                                "<Caption>cap</Caption>") +
                                                 element + QStringLiteral("</UploadItem>"))));
        UploadList list;
        list.LoadListedUploads();
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.item(0).AltText, altText);
        QCOMPARE(list.item(0).Caption, QStringLiteral("cap"));

        QVERIFY(list.SaveListedUploads());
        xhXMLDocument doc;
        QVERIFY(doc.Load(UploadList::UploadsFile()));
        QCOMPARE(int(doc.SelectNodes(QStringLiteral("/Uploads/UploadItem/AltText")).size()),
                 altText.isEmpty() ? 0 : 1);
        UploadList again;
        again.LoadListedUploads();
        QCOMPARE(again.items(), list.items());
        QVERIFY(prompter.messages().isEmpty());
    }

    void postPropertiesStoredForm()
    {
        const QString ini = SET_DataPath + QStringLiteral("/Settings.INI");
        QVERIFY(SavePostProperties(ini, {QStringLiteral("a\"b\\c\r\nd"), QStringLiteral("x"), true,
                                         QStringLiteral("http://u/'q'"), 2, QStringLiteral("2010-01-01 \"13:34\"")}));
        QString text;
        QVERIFY(FileObject::readText(ini, text));
        QVERIFY(text.contains(QStringLiteral("[Post Properties]")));
        QVERIFY(text.contains(QStringLiteral("Last Caption=\"a\\\"b\\\\c\\r\\nd\"")));
        QVERIFY(text.contains(QStringLiteral("Tags From Caption=True")));
        QVERIFY(text.contains(QStringLiteral("Last Click-Through URL=\"http://u/\\'q\\'\"")));
        QVERIFY(text.contains(QStringLiteral("Last State Index=2")));
        QVERIFY(text.contains(QStringLiteral("Publish Post On=2010-01-01 \\\"13:34\\\"")));
        // A missing file reads as the defaults.
        QCOMPARE(LoadPostProperties(ini + QStringLiteral(".none")), PostProperties());
    }

    void saveFailureReported()
    {
        test::ScriptedPrompter prompter;
        QVERIFY(QDir().mkpath(UploadList::UploadsFile()));
        UploadList list;
        list.ListAddItem(row(QStringLiteral("http://x.org/a"), QStringLiteral("/a"), QStringLiteral("--")));
        QVERIFY(!list.SaveListedUploads());
        QCOMPARE(list.count(), 1);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(UploadList::UploadsFile() +
                                                QStringLiteral("\r\n\r\nCan't save uploads list.")));
        QCOMPARE(prompter.last().style, int(MB_ICONCRITICAL));
    }

    void pastingAFile()
    {
        test::ScriptedPrompter prompter;
        const QString file = source(QStringLiteral("Holiday Pic.jpeg"), test::someBytes(3000));
        UploadList list;
        list.LoadHistories();
        PostBoxes boxes{QStringLiteral("Sea, sun\r\nand more"), QStringLiteral("typed"),
                        QStringLiteral("http://click.example.org/"), true,
                        QStringLiteral("Waves\r\n") + QString(kAltTextLimit, u'w')};
        QVERIFY(list.PasteToList(QStringLiteral("  ") + file + QStringLiteral("\r\n"), false, true, boxes));
        QCOMPARE(list.count(), 1);
        const UploadItem& it = list.item(0);
        QVERIFY(QRegularExpression(QStringLiteral("^\\{[0-9A-F-]{36}\\}\\.JPEG$"))
                    .match(tsGetFileName(it.FileName)).hasMatch());
        QVERIFY(IsFileInFolder(it.FileName, SET_UploadsPath));
        QCOMPARE(test::readAll(it.FileName), test::readAll(file));
        QCOMPARE(it.OriginalFileName, QStringLiteral("Holiday Pic.jpeg"));
        QCOMPARE(it.SizeBytes, 3000);
        QCOMPARE(it.SizeText, QStringLiteral("2.92 KB"));
        QCOMPARE(it.Caption, QStringLiteral("Sea, sun\r\nand more"));
        QCOMPARE(it.Tags, QStringLiteral("\"Sea, sun\""));
        QCOMPARE(it.ClickThroughURL, QStringLiteral("http://click.example.org/"));
        QCOMPARE(it.AltText, boxes.altText.left(kAltTextLimit));
        QVERIFY(it.Selected);
        // The rule wrote the tags box; the typed tags went into the history first.
        QCOMPARE(boxes.tags, QStringLiteral("\"Sea, sun\""));
        QCOMPARE(list.tagsHistory.Entries(), QStringList{QStringLiteral("typed")});
        QCOMPARE(list.captionHistory.Entries(), QStringList{boxes.caption});
        QCOMPARE(list.urlsHistory.Entries(), QStringList{boxes.clickThroughUrl});
        QCOMPARE(list.altTextHistory.Entries(), QStringList{boxes.altText});
        list.SaveHistories();
        QVERIFY(QFile::exists(SET_DataPath + QStringLiteral("/Alt Text History.DAT")));
        UploadList saved;
        saved.LoadListedUploads();
        QCOMPARE(saved.items(), list.items());
        QVERIFY(prompter.messages().isEmpty());
    }

    void descriptionSideFile_data()
    {
        QTest::addColumn<bool>("ask");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("applied");
        QTest::newRow("read without asking") << false << 0 << true;
        QTest::newRow("asked, OK") << true << int(IDOK) << true;
        QTest::newRow("asked, Cancel") << true << int(IDCANCEL) << false;
    }
    void descriptionSideFile()
    {
        QFETCH(bool, ask);
        QFETCH(int, answer);
        QFETCH(bool, applied);
        test::ScriptedPrompter prompter;
        if (ask)
            prompter.queue(answer);
        SET_AskBeforeApplyDescription = ask;
        const QString file = source(QStringLiteral("p.png"), test::someBytes(10));
        const QString side = file + QStringLiteral(".RuviaDescription");
        QVERIFY(FileObject::writeText(side, QStringLiteral("From the side file / #1\nsecond line")));
        UploadList list;
        PostBoxes boxes{QStringLiteral("box caption"), {}, {}, true};
        QVERIFY(list.PasteToList(file, false, false, boxes));
        QCOMPARE(list.item(0).Caption, applied ? QStringLiteral("From the side file / #1\r\nsecond line")
                                               : QStringLiteral("box caption"));
        QCOMPARE(list.item(0).Tags, applied ? QStringLiteral("From the side file - 1") : QStringLiteral("box caption"));
        QCOMPARE(boxes.caption, QStringLiteral("box caption"));
        QCOMPARE(prompter.messages().size(), ask ? 1 : 0);
        if (ask) {
            QCOMPARE(prompter.last().text, side + QStringLiteral("\r\n\r\nRead caption from this file?"));
            QCOMPARE(prompter.last().style, int(MB_OKCANCEL | MB_ICONINFORMATION));
        }
    }

    void unreadableSideFileKeepsTheBoxCaption()
    {
        test::ScriptedPrompter prompter;
        prompter.queue({IDRETRY, IDCANCEL});
        const QString file = source(QStringLiteral("p.png"), test::someBytes(10));
        const QString side = file + QStringLiteral(".RuviaDescription");
        QVERIFY(FileObject::writeText(side, QStringLiteral("secret")));
        QVERIFY(QFile::setPermissions(side, {}));
        // Root reads anything: the read is made as an ordinary user.
        for (const QString& dir : {profile.root(), sources})
            QVERIFY(QFile::setPermissions(dir, QFile::permissions(dir) | QFile::ExeOther));
        QString caption = QStringLiteral("box caption");
        bool read = true;
        QVERIFY(test::runUnprivileged([&] {
            read = ReadDescriptionFile(file, caption);
            return true;
        }));
        QVERIFY(!read);
        QCOMPARE(caption, QStringLiteral("box caption"));
        QCOMPARE(prompter.messages().size(), 2);
        QVERIFY(prompter.last().text.startsWith(side + QStringLiteral("\r\n\r\nCan't read description file.")));
        QCOMPARE(prompter.last().style, int(MB_RETRYCANCEL | MB_ICONCRITICAL));
    }

    void pastingEdgeCases_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("treatAsFile");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("original");
        QTest::newRow("missing file") << "/nowhere/x.jpg" << "" << false << "" << "";
        QTest::newRow("line break inside: a path") << "http://x.org/a\nb.jpg" << "" << false << "" << "";
        QTest::newRow("file:// is never a URL") << "file:///etc/hostname" << "" << false << "" << "";
        QTest::newRow("empty clipboard") << "" << "   " << true << "" << "";
        QTest::newRow("URL") << " http://pics.example.org/a/b.jpg?x=1 " << "" << false
                             << "http://pics.example.org/a/b.jpg?x=1" << "/b.jpg?x=1";
        QTest::newRow("URL forced as a file") << "http://pics.example.org/b.jpg" << "" << true << "" << "";
        QTest::newRow("clipboard file") << "" << " {SRC} " << true << "{COPY}" << "c.gif";
    }
    void pastingEdgeCases()
    {
        QFETCH(QString, text);
        QFETCH(QString, clipboard);
        QFETCH(bool, treatAsFile);
        QFETCH(QString, fileName);
        test::ScriptedPrompter prompter;
        const QString file = source(QStringLiteral("c.gif"), test::someBytes(7));
        shell().SetClipboardText(clipboard.replace(QStringLiteral("{SRC}"), file));
        UploadList list;
        PostBoxes boxes{QStringLiteral("cap"), QStringLiteral("tags"), {}, false};
        const bool added = list.PasteToList(text, treatAsFile, false, boxes);
        QCOMPARE(added, !fileName.isEmpty());
        QCOMPARE(list.count(), added ? 1 : 0);
        QVERIFY(prompter.messages().isEmpty());
        if (!added) {
            QVERIFY(test::entriesOf(SET_UploadsPath).isEmpty());
            return;
        }
        if (fileName == u"{COPY}") {
            QVERIFY(IsFileInFolder(list.item(0).FileName, SET_UploadsPath));
            QVERIFY(list.item(0).FileName.endsWith(QStringLiteral(".GIF")));
        } else {
            QCOMPARE(list.item(0).FileName, fileName);
            QCOMPARE(list.item(0).SizeText, QStringLiteral("--"));
            QVERIFY(test::entriesOf(SET_UploadsPath).isEmpty());
        }
        QTEST(list.item(0).OriginalFileName, "original");
        QCOMPARE(list.item(0).Tags, QStringLiteral("tags"));
    }

    void tagsFromCaption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tags");
        QTest::newRow("comma") << "Sea, sun\r\nsecond" << "\"Sea, sun\"";
        QTest::newRow("slash and number sign") << "a/b #1" << "a-b 1";
        QTest::newRow("quotes, bars, backslashes") << "\"q\" x|y\\z" << "q x-y-z";
        QTest::newRow("LF only") << "one\ntwo, three" << "one";
        QTest::newRow("empty") << "" << "";
    }
    void tagsFromCaption()
    {
        QFETCH(QString, caption);
        QTEST(TagsFromCaption(caption), "tags");
    }

    void copyCutOffLeavesNoPartialFile()
    {
        test::HookedPrompter prompter;
        const QByteArray bytes = test::someBytes(3 * 1024 * 1024);
        const QString file = source(QStringLiteral("big.jpg"), bytes);
        QVERIFY(QDir().mkpath(SET_UploadsPath));
        test::FileSizeLimit limit;
        limit.set(256 * 1024);
        // The first failure is answered Cancel: nothing was made.
        prompter.queue(IDCANCEL);
        QCOMPARE(CopyToUploadsFolder(file), QString());
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(file + QStringLiteral("\r\n\r\n") + kCantCopy));
        QCOMPARE(prompter.last().style, int(MB_RETRYCANCEL | MB_ICONCRITICAL));
        QCOMPARE(test::entriesOf(SET_UploadsPath), QStringList());

        // Retry once the disk has room again: one whole copy.
        prompter.onAsk = [&limit] { limit.lift(); };
        limit.set(256 * 1024);
        prompter.queue(IDRETRY);
        const QString copy = CopyToUploadsFolder(file);
        QVERIFY(!copy.isEmpty());
        QCOMPARE(test::entriesOf(SET_UploadsPath), QStringList{tsGetFileName(copy)});
        QCOMPARE(test::readAll(copy), bytes);

        // Through the list: Cancel adds no row.
        prompter.onAsk = {};
        QFile::remove(copy);
        limit.set(256 * 1024);
        prompter.queue(IDCANCEL);
        UploadList list;
        PostBoxes boxes;
        QVERIFY(!list.PasteToList(file, false, true, boxes));
        QCOMPARE(list.count(), 0);
        QCOMPARE(test::entriesOf(SET_UploadsPath), QStringList());
    }

    void clipboardPictureCutOff()
    {
        test::HookedPrompter prompter;
        test::ScriptedShell shell;
        // Noise, so the PNG cannot shrink below the limit.
        QImage picture(700, 700, QImage::Format_RGB32);
        QRandomGenerator noise(7);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, noise.generate());
        shell.clipboardImage = picture;
        QVERIFY(QDir().mkpath(SET_UploadsPath));
        test::FileSizeLimit limit;
        limit.set(256 * 1024);
        UploadList list;
        PostBoxes boxes;
        prompter.queue(IDCANCEL);
        QVERIFY(!list.PasteToList(QString(), true, true, boxes));
        QCOMPARE(list.count(), 0);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY2(prompter.last().text.contains(QStringLiteral("Can't save clipboard picture to uploads folder.")),
                 qPrintable(prompter.last().text));
        QCOMPARE(prompter.last().style, int(MB_RETRYCANCEL | MB_ICONCRITICAL));
        QCOMPARE(test::entriesOf(SET_UploadsPath), QStringList());

        prompter.onAsk = [&limit] { limit.lift(); };
        limit.set(256 * 1024);
        prompter.queue(IDRETRY);
        QVERIFY(list.PasteToList(QString(), true, true, boxes));
        QCOMPARE(list.count(), 1);
        QCOMPARE(test::entriesOf(SET_UploadsPath), QStringList{tsGetFileName(list.item(0).FileName)});
        QCOMPARE(QImage(list.item(0).FileName, "PNG"), picture);
    }

    void removingRows()
    {
        test::ScriptedPrompter prompter;
        UploadList list;
        PostBoxes boxes;
        QVERIFY(list.PasteToList(source(QStringLiteral("a.jpg"), test::someBytes(1000)), false, false, boxes));
        QVERIFY(list.PasteToList(QStringLiteral("http://x.org/b.jpg"), false, false, boxes));
        list.ListAddItem(row(SET_UploadsPath + QStringLiteral("/gone.jpg"), QStringLiteral("gone.jpg"),
                             QStringLiteral("FNF")));
        QVERIFY(list.PasteToList(source(QStringLiteral("d.jpg"), test::someBytes(24)), false, false, boxes));
        QCOMPARE(list.TotalSizeBytes(), 1024);
        QCOMPARE(list.InfoText(), QStringLiteral("4 / 4 [1.00 KB]"));
        const QString first = list.item(0).FileName;

        list.SetChecked(1, false);
        QCOMPARE(list.FindCheckedItem(0), 1);
        QCOMPARE(list.FindCheckedItem(2), 3);
        QCOMPARE(list.InfoText(), QStringLiteral("3 / 4 [1.00 KB]"));

        list.RemoveListItem(3); // the row loaded as "FNF": nothing to delete, nothing to say
        list.RemoveListItem(1);
        QVERIFY(!QFile::exists(first));
        QCOMPARE(list.TotalSizeBytes(), 24);
        list.RemoveListItem(1); // the link item
        list.RemoveListItem(5); // out of range
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.InfoText(), QStringLiteral("1 / 1 [24 bytes]"));
        QVERIFY(prompter.messages().isEmpty());
        QCOMPARE(list.FindCheckedItem(2), 0);
    }

    void filesOutsideTheUploadsFolderAreNeverDeleted()
    {
        test::ScriptedPrompter prompter;
        const QString outside = source(QStringLiteral("mine.jpg"), "original");
        UploadList list;
        list.ListAddItem(row(outside, QStringLiteral("mine.jpg"), QStringLiteral("8 bytes"), 8));
        list.RemoveListItem(1);
        QCOMPARE(list.count(), 0);
        QCOMPARE(test::readAll(outside), QByteArray("original"));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral(
                                       "frmUploader::DeleteFileInLocalFolder()\r\nFileName not in "
                                       "SET_UploadsPath!\r\n\r\nPlease report this to developer!")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
    }
};

QTEST_GUILESS_MAIN(TestUploadList)
#include "test_uploadlist.moc"
