// Renders each window of the program, with sample data in a throw-away
// profile, to PNG files: the pictures the README shows.
#include "base/linkbase.h"
#include "core/group.h"
#include "core/password.h"
#include "core/settings.h"
#include "gui/frmgroupselector.h"
#include "gui/frmhistory.h"
#include "gui/frmoverview.h"
#include "gui/frmproxy.h"
#include "gui/frmsettings.h"
#include "gui/links/frmaddpostbyid.h"
#include "gui/links/frmcustomizetemplates.h"
#include "gui/links/frmfind.h"
#include "gui/links/frmpictureslist.h"
#include "gui/links/frmuserguide.h"
#include "gui/links/lstpictures.h"
#include "gui/upload/frmbatch.h"
#include "gui/upload/frmbatchurls.h"
#include "gui/upload/frmuploader.h"
#include "gui/resources.h"
#include "gui/windowhelper.h"
#include "links/linksrules.h"
#include "platform/fileio.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/proxysettings.h"
#include "platform/settingsstore.h"
#include "service/secretstore.h"
#include "service/serviceconfig.h"
#include "service/oauthsignin.h"
#include "standin.h"
#include "support/history.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

#include <cstdio>
#include <memory>

using namespace ruvia;

namespace {
QString g_outDir;

void save(QWidget* w, const QString& name)
{
    w->show();
    QApplication::processEvents();
    const QString path = g_outDir + u'/' + name + QStringLiteral(".png");
    if (!w->grab().save(path))
        std::fprintf(stderr, "can't write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
    w->hide();
}

// Stands for the desktop's secret store, holding nothing.
class ShownSecretStore : public SecretStore {
public:
    Result Read(const QString&, QByteArray& value, QString*) override
    {
        value.clear();
        return Missing;
    }
    bool Write(const QString&, const QByteArray&, QString*) override { return false; }
    bool Remove(const QString&, QString*) override { return true; }
    QString Description() const override { return KeychainSecretStore().Description(); }
};

const QStringList kGroups = {QStringLiteral("Demo Blog | demoblog.tumblr.com"),
                             QStringLiteral("Demo Side Blog | demoside.tumblr.com"),
                             QStringLiteral("Holiday Pictures | holidays.example.org")};

void sampleData()
{
    SettingsStore::writeText(QString(), QStringLiteral("E-Mail"), QStringLiteral("demo@example.com"));
    SettingsStore::writeText(QString(), QStringLiteral("Password"), EncodePassword(QStringLiteral("demo")));
    SettingsStore::writeText(QString(), QStringLiteral("Groups"), kGroups.join(QStringLiteral("\r\n")));
    const qint32 sent[] = {734003200, 15728640, 0};
    const qint32 received[] = {52428800, 1048576, 0};
    for (int i = 0; i < kGroups.size(); ++i) {
        const QString folder = GetGroupDataPath(kGroups.at(i));
        QDir().mkpath(folder);
        const QString ini = tsBuildFileName(folder, QStringLiteral("Settings.INI"));
        tsWriteLongToINI(QStringLiteral("Statistics"), QStringLiteral("Total sent bytes"), sent[i], ini);
        tsWriteLongToINI(QStringLiteral("Statistics"), QStringLiteral("Total received bytes"), received[i], ini);
        QString uploads = QStringLiteral("<Uploads>");
        for (int k = 0; k < (i == 0 ? 7 : i == 2 ? 2 : 0); ++k)
            uploads += QStringLiteral("<UploadItem/>");
        FileObject::writeText(tsBuildFileName(folder, QStringLiteral("Uploads.XML")),
                              uploads + QStringLiteral("</Uploads>"));
    }
}
// A picture file to queue: a few soft shapes in the given colour.
QString samplePicture(const QString& folder, const QString& name, QColor colour)
{
    QImage image(480, 320, QImage::Format_RGB32);
    image.fill(colour.lighter(150));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawEllipse(60, 60, 200, 200);
    p.setBrush(colour.darker(140));
    p.drawRect(240, 140, 180, 140);
    p.end();
    const QString path = folder + u'/' + name;
    image.save(path);
    return path;
}

// The two batch windows over the upload window: a folder of holiday pictures
// with most of them chosen, and a list of addresses about to be inserted.
void batchWindows(frmUploader& uploader, const QString& root)
{
    const QString folder = root + QStringLiteral("/Holiday pictures");
    QDir().mkpath(folder);
    const char* names[] = {"Beach.jpg", "Boats.jpg", "Cliffs.png", "Dunes.jpg", "Harbour.jpg",
                           "Market.jpg", "Old town.png", "Sunset.jpg"};
    for (int i = 0; i < 8; ++i)
        samplePicture(folder, QString::fromLatin1(names[i]), QColor::fromHsv(i * 40, 120, 200));
    FileObject::writeText(folder + QStringLiteral("/notes.txt"), QStringLiteral("not a picture"));
    tsWriteStringToINI(QStringLiteral("Recent Directories"), QStringLiteral("Last Batch Directory"), folder,
                       GetGroupSettingsFile());
    {
        frmBatch batch(&uploader, uploader);
        auto* files = batch.findChild<QListWidget*>(QStringLiteral("lstFiles"));
        files->item(2)->setSelected(false);
        files->item(6)->setSelected(false);
        save(&batch, QStringLiteral("batch"));
    }
    FileObject::writeText(tsBuildFileName(SET_DataPath, QStringLiteral("Batch URLs Data.TXT")),
                          QStringLiteral("http://pictures.example.org/gallery/harbour-at-night.jpg\r\n"
                                         "http://pictures.example.org/gallery/old-bridge.jpg\r\n"
                                         "https://photos.example.net/2026/06/lavender-field.png\r\n"
                                         "http://pictures.example.org/gallery/windmill.jpg\r\n"));
    frmBatchURLs urls(&uploader, uploader);
    save(&urls, QStringLiteral("batch-urls"));
}

// The upload window with a queue, then the same window during a run against
// the stand-in, whose writes are answered late so the run can be seen.
void uploadWindows(const QString& pictures)
{
    const QString entry = kGroups.at(0);
    SET_GroupName = GetGroupName(entry);
    SET_DataPath = GetGroupDataPath(entry);
    SET_UploadsPath = GetGroupUploadsPath(entry);
    SET_EMail = QStringLiteral("demo@example.com");
    SET_Password = QStringLiteral("demo");
    QFile::remove(tsBuildFileName(SET_DataPath, QStringLiteral("Uploads.XML")));
    if (!OpenLinksBase())
        return;

    test::StandIn standin;
    const bool served = standin.start(
        {QStringLiteral("--demo"), QStringLiteral("--fault"),
         QStringLiteral("{\"endpoint\":\"write\",\"kind\":\"delay\",\"always\":true,"
                        "\"ms\":1500}")});
    ProxySettings proxy;
    proxy.enabled = served;
    proxy.host = test::StandIn::host();
    proxy.port = standin.port();
    proxy.Save();

    frmUploader w(nullptr, nullptr);
    auto* caption = w.findChild<QPlainTextEdit*>(QStringLiteral("txtCaption"));
    auto* tags = w.findChild<QLineEdit*>(QStringLiteral("txtTags"));
    const struct {
        const char* file;
        QColor colour;
        const char* caption;
        const char* tags;
    } queue[] = {{"Harbour at dawn.jpg", QColor(70, 120, 190), "Harbour at dawn", "sea, morning"},
                 {"Old town.png", QColor(190, 120, 70), "Old town, from the tower", "town"},
                 {"Market day.jpg", QColor(90, 160, 90), "Market day", "people, colour"},
                 {"Lighthouse.jpg", QColor(200, 190, 80), "The lighthouse", "sea"}};
    for (const auto& q : queue) {
        caption->setPlainText(QString::fromUtf8(q.caption));
        tags->setText(QString::fromUtf8(q.tags));
        w.PasteToList(samplePicture(pictures, QString::fromUtf8(q.file), q.colour), false, false);
    }
    caption->setPlainText(QStringLiteral("Found on the web"));
    tags->setText(QStringLiteral("web"));
    w.PasteToList(QStringLiteral("http://pictures.example.org/gallery/sunset.jpg"), false, false);
    w.List().SetChecked(2, false);
    w.SaveListedUploads();
    save(&w, QStringLiteral("upload"));
    batchWindows(w, pictures);
    if (!served) {
        std::fprintf(stderr, "no stand-in: the run in progress is not shown\n");
        return;
    }
    w.show();
    QTimer::singleShot(700, &w, [&w] {
        save(&w, QStringLiteral("upload-run"));
        w.show();
        w.findChild<QPushButton*>(QStringLiteral("cmdStop"))->click();
    });
    w.findChild<QPushButton*>(QStringLiteral("cmdUpload"))->click();
    w.hide();
}
// The links window on the demo content: the stand-in's demo blog and the
// profile the demo tool makes of it, as scripts/run shows them.
void linksWindows()
{
    test::StandIn standin;
    if (!standin.start({QStringLiteral("--demo")})) {
        std::fprintf(stderr, "no stand-in: the links window is not shown\n");
        return;
    }
    QProcess tool;
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/ruvia-demoprofile"),
               {QStringLiteral("--port"), QString::number(standin.port())});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
        std::fprintf(stderr, "the demo profile was not made: %s\n", tool.readAllStandardError().constData());
        return;
    }
    LoadSettings();
    SET_EMail = QStringLiteral("demo@example.com");
    SET_Password = QStringLiteral("demo");
    if (!OpenGroupFolders(QStringLiteral("Demo Blog | demoblog.tumblr.com")) || !OpenLinksBase())
        return;
    CHistory searches;
    searches.InitFileName(SET_DataPath, QStringLiteral("Search History.DAT"));
    for (const QString& e : {QStringLiteral("harbour"), QStringLiteral("IMG_*.JPG"), QStringLiteral("sunset")})
        searches.Add(e);
    searches.SaveHistory();

    auto* w = new frmPicturesList(nullptr);
    w->show();
    auto* list = w->list();
    list->selectionModel()->clearSelection();
    list->setCurrentIndex(2);
    list->selectRange(2, 2, true);
    w->UpdateSlotsAndPreview(false);
    QTest::qWait(100);
    save(w, QStringLiteral("links"));
    w->show();
    {
        frmFind find(w);
        save(&find, QStringLiteral("find"));
    }
    {
        frmAddPostByID add(w);
        add.findChild<QLineEdit*>(QStringLiteral("txtPostID"))->setText(QStringLiteral("431830023"));
        save(&add, QStringLiteral("add-post"));
    }
    {
        frmCustomizeTemplates templates(w, w);
        templates.findChild<QListWidget*>(QStringLiteral("lstSlots"))->setCurrentRow(4);
        save(&templates, QStringLiteral("templates"));
    }
    w->show();
    // A download of several pictures, caught half-way.
    standin.addFault(QJsonObject{{QStringLiteral("endpoint"), QStringLiteral("picture")},
                                 {QStringLiteral("kind"), QStringLiteral("slow")},
                                 {QStringLiteral("chunkBytes"), 2048},
                                 {QStringLiteral("chunkDelayMs"), 40},
                                 {QStringLiteral("always"), true}});
    list->selectRange(2, 6, true);
    QTimer::singleShot(900, w, [w] {
        save(w, QStringLiteral("links-batch"));
        w->show();
        w->setCancelRequest(true);
    });
    w->findChild<QAction*>(QStringLiteral("mnuPictureMain11"))->trigger();
    standin.clearFaults();
    w->setPaintMode(true);
    save(w, QStringLiteral("paint-mode"));
    w->setPaintMode(false);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir profile;
    qputenv("XDG_DATA_HOME", (profile.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (profile.path() + QStringLiteral("/config")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(RUVIA_VERSION_MAJOR)
                                            .arg(RUVIA_VERSION_MINOR)
                                            .arg(RUVIA_VERSION_PATCH));
    g_outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
    QDir().mkpath(g_outDir);
    sampleData();
    LoadSettings();

    {
        frmGroupSelector login;
        save(&login, QStringLiteral("login"));
    }
    {
        CHistory history;
        for (const QString& e : {QStringLiteral("demo@example.com"), QStringLiteral("me@example.org"),
                                 QStringLiteral("pictures@example.net")})
            history.Add(e);
        frmHistory picker;
        FillListBox(history, picker.list());
        save(&picker, QStringLiteral("history"));
    }
    QComboBox groups;
    groups.addItems(kGroups);
    {
        frmUploadsCheck uploads;
        uploads.ShowUploads(&groups);
        save(&uploads, QStringLiteral("active-uploads"));
    }
    {
        frmTotalStatistics stats;
        stats.ShowStatistics(&groups);
        save(&stats, QStringLiteral("total-statistics"));
    }
    {
        frmSettings settings;
        auto* tabs = settings.findChild<QTabWidget*>(QStringLiteral("vsiMain"));
        const char* pages[] = {"settings-misc", "settings-pictures-list", "settings-uploading",
                               "settings-security"};
        for (int i = 0; i < 4; ++i) {
            tabs->setCurrentIndex(i);
            save(&settings, QString::fromLatin1(pages[i]));
        }
    }
    {
        // A made-up application; the store answers nothing, so no real
        // keychain is asked and no secret is shown.
        SetSecretStore(std::make_shared<ShownSecretStore>());
        ServiceConfig service = ServiceConfig::Load();
        service.clientId = QStringLiteral("q7LmZ3xR9tVbN2cW8yKp4HsJ6dFgA1eU5oTiE0rYwXnMzBvC3k");
        service.Save();
        frmSettings settings;
        auto* tabs = settings.findChild<QTabWidget*>(QStringLiteral("vsiMain"));
        tabs->setCurrentWidget(settings.findChild<QWidget*>(QStringLiteral("pageService")));
        settings.show();
        settings.findChild<QLineEdit*>(QStringLiteral("txtConsumerSecret"))
            ->setText(QStringLiteral("made-up-secret-for-the-picture"));
        save(&settings, QStringLiteral("settings-service"));
        SetSecretStore(nullptr);
    }
    {
        // Signed in through the browser: a made-up sign-in in a secret file
        // of this run's own profile.
        auto secrets = std::make_shared<FileSecretStore>(profile.path() + QStringLiteral("/Ruvia.secrets"));
        SetSecretStore(secrets);
        const ServiceConfig service = ServiceConfig::Load();
        OAuthTokens tokens;
        tokens.accessToken = QStringLiteral("made-up");
        tokens.refreshToken = QStringLiteral("made-up");
        tokens.expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600);
        tokens.account = QStringLiteral("demoblog");
        secrets->Write(QStringLiteral("tokens %1@%2").arg(service.clientId, QUrl(service.apiAddress).host()),
                       tokens.toJson());
        frmGroupSelector login;
        login.findChild<QComboBox*>(QStringLiteral("cboAccountKind"))->setCurrentIndex(0);
        save(&login, QStringLiteral("login-v2"));
        login.findChild<QComboBox*>(QStringLiteral("cboAccountKind"))->setCurrentIndex(1);
        SetSecretStore(nullptr);
    }
    {
        ProxySettings proxy;
        proxy.enabled = true;
        proxy.host = QStringLiteral("127.0.0.1");
        proxy.port = 8080;
        frmProxy dialog(proxy);
        save(&dialog, QStringLiteral("proxy"));
    }
    {
        std::unique_ptr<QDialog> about(
            CreateAboutBox(nullptr, resourcePicture(QStringLiteral("RUVIA_ABOUT_BOX_0000")), AboutDedication()));
        save(about.get(), QStringLiteral("about"));
    }
    if (const QString guide = UserGuidePath(); !guide.isEmpty()) {
        frmUserGuide* w = frmUserGuide::ShowGuide(guide, nullptr);
        w->resize(800, 600);
        save(w, QStringLiteral("user-guide"));
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    uploadWindows(profile.path());
    linksWindows();
    return 0;
}
