// ruvia-demoprofile: fills a profile for trying the program against the
// stand-in (ruvia-standin --demo): the login window opens pre-filled with the
// demo account and its groups, and the demo blog's link base holds that
// blog's posts, most of them resolved, with thumbnails and a few pictures.
//
// It writes where XDG_CONFIG_HOME and XDG_DATA_HOME point and refuses to run
// without them, so the user's own profile is never touched.
#include "base/linkbase.h"
#include "core/group.h"
#include "core/password.h"
#include "core/settings.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/fileio.h"
#include "platform/httprequest.h"
#include "platform/prompter.h"
#include "platform/proxysettings.h"
#include "platform/requestfields.h"
#include "platform/settingsstore.h"
#include "platform/textutil.h"
#include "service/postlookup.h"
#include "service/requestframe.h"
#include "service/serviceconfig.h"
#include "service/v2account.h"
#include "support/history.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace ruvia;

namespace {

const QString kEmail = QStringLiteral("demo@example.com");
const QString kPassword = QStringLiteral("demo");
const QString kBlog = QStringLiteral("demoblog");
const QString kHost = QStringLiteral("demoblog.tumblr.com");

// Which of the blog's posts (by their place, oldest first) are left for the
// program's own commands: not resolved, no thumbnail, the picture downloaded.
bool leftUnresolved(int i) { return i % 8 == 6; }
bool withoutThumbnail(int i) { return i == 3 || i == 19; }
bool withPicture(int i) { return i == 0 || i == 2 || i == 9 || i == 16; }

QString uploaderName(int i)
{
    static const QStringList others{QStringLiteral("anna@STUDIO-PC"),
                                    QStringLiteral("mark@laptop-7q2k"),
                                    QStringLiteral("photos@atelier"), QString()};
    return i % 5 == 4 ? others.at((i / 5) % others.size()) : tsGetFullUserName(true);
}

void say(const QString& text)
{
    std::fprintf(stderr, "ruvia-demoprofile: %s\n", text.toLocal8Bit().constData());
}

// Every question is a failure here: it is printed and answered with the
// button that gives up.
class GiveUpPrompter : public Prompter {
public:
    int asked = 0;
    int ask(const Message& message) override
    {
        ++asked;
        say(message.text);
        const QList<int> answers = message.answers();
        for (int giveUp : {IDCANCEL, IDABORT, IDNO})
            if (answers.contains(giveUp))
                return giveUp;
        return answers.first();
    }
};

bool isUserProfile()
{
    const QString home = QDir::homePath();
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (config.isEmpty() || data.isEmpty())
        return true;
    const auto same = [](const QString& a, const QString& b) {
        return QDir::cleanPath(QDir(a).absolutePath()) == QDir::cleanPath(QDir(b).absolutePath());
    };
    return same(config, home + QStringLiteral("/.config"))
        || same(data, home + QStringLiteral("/.local/share"));
}

// The stand-in's list of every stored post, from its control interface.
QJsonArray standinPosts(int port)
{
    HTTPRequest request;
    request.Send(QStringLiteral("127.0.0.1"), port, QStringLiteral("GET"),
                 QStringLiteral("/_standin/posts"), QStringLiteral("HTTP/1.1"), {}, {},
                 kServiceTimeoutMs, HTTPRequest::GetAgentString(), nullptr);
    if (request.HasFailed()) {
        say(QStringLiteral("no stand-in on port %1: %2").arg(port).arg(request.GetRequestErrorText()));
        return {};
    }
    return QJsonDocument::fromJson(request.GetResponseBody()).array();
}

// A plain GET through the profile's proxy, as the program downloads.
bool download(const QString& url, const QString& path)
{
    QString host;
    QString target;
    int port = 0;
    if (url.isEmpty() || path.isEmpty() || !HTTPRequest::ParseURL(url, host, port, target)) {
        say(QStringLiteral("nothing to download to ") + path);
        return false;
    }
    HTTPRequest request;
    SendServiceRequest(request, host, port, QStringLiteral("GET"), target, kServiceTimeoutMs,
                       RequestFields(), nullptr);
    if (request.HasFailed() || request.GetStatusCode() != 200) {
        say(url + QStringLiteral(": ") + request.GetRequestErrorText());
        return false;
    }
    QString error;
    if (!FileObject::writeBytes(path, request.GetResponseBody(), &error)) {
        say(path + QStringLiteral(": ") + error);
        return false;
    }
    return true;
}

bool fillLinksBase(const QJsonArray& posts, const QString& entry)
{
    if (!OpenGroupFolders(entry))
        return false;
    SET_EMail = kEmail;
    SET_Password = kPassword;
    bool ok = OpenLinksBase();
    if (ok)
        CreateLinksBase();
    QStringList ids;
    for (const QJsonValue& v : posts) {
        const QJsonObject post = v.toObject();
        if (!ok || post.value(QStringLiteral("blog")).toString() != kBlog)
            continue;
        const int i = int(ids.size());
        const QString id = post.value(QStringLiteral("id")).toString();
        ids.append(id);
        AddLink(id, post.value(QStringLiteral("originalFileName")).toString(), uploaderName(i));
        if (leftUnresolved(i))
            continue;
        // Read back as the program reads a post it has just uploaded.
        QByteArray reply;
        PostLinks links;
        ok = ReadPost(SET_GroupName, SET_EMail, SET_Password, id, nullptr, reply) == LookupSuccess
          && !reply.isEmpty() && ParsePostReply(reply, links) == LookupSuccess
          && ResolveLink(id, links);
    }
    // Folded, so the profile starts with Links.XML holding the whole base.
    ok = ok && !ids.isEmpty() && FoldLinksBase();
    int resolved = 0;
    int thumbnails = 0;
    int pictures = 0;
    for (int i = 0; ok && i < ids.size(); ++i) {
        const QString& id = ids.at(i);
        if (!IsLinkResolved(id))
            continue;
        ++resolved;
        if (withoutThumbnail(i))
            QFile::remove(GetThumbnailFileName(id)); // from an earlier run
        else if ((ok = download(GetThumbnailURL(id), GetThumbnailFileName(id))))
            ++thumbnails;
        if (ok && withPicture(i) && (ok = download(GetPictureURL(id), GetPictureFileName(id))))
            ++pictures;
    }
    if (ok)
        std::printf("%s: %d posts, %d of them resolved, %d thumbnails, %d pictures\n",
                    qPrintable(SET_DataPath), int(ids.size()), resolved, thumbnails, pictures);
    ReleaseGroupLock();
    return ok;
}

// What the batch windows open on: a folder of pictures (and a note that is
// not one) remembered as the last batch folder, and a few picture addresses
// with a line that is no address. The stand-in makes up a picture for each
// address, so inserting and uploading them works offline.
bool fillBatchInputs(const QString& pictures)
{
    if (!QDir().mkpath(pictures))
        return false;
    const char* names[] = {"Beach.jpg", "Boats.jpg", "Cliffs.png", "Dunes.jpg", "Harbour.jpg", "Old town.png"};
    for (int i = 0; i < 6; ++i) {
        QImage image(640, 480, QImage::Format_RGB32);
        const QColor colour = QColor::fromHsv(i * 50, 110, 210);
        image.fill(colour.lighter(140));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour.darker(130));
        p.drawEllipse(80 + i * 30, 90, 260, 260);
        p.end();
        if (!image.save(pictures + u'/' + QString::fromLatin1(names[i])))
            return false;
    }
    return FileObject::writeText(pictures + QStringLiteral("/notes.txt"), QStringLiteral("Not a picture: not listed."))
        && tsWriteStringToINI(QStringLiteral("Recent Directories"), QStringLiteral("Last Batch Directory"), pictures,
                              GetGroupSettingsFile())
        && FileObject::writeText(tsBuildFileName(SET_DataPath, QStringLiteral("Batch URLs Data.TXT")),
                                 QStringLiteral("http://pictures.example.org/gallery/harbour-at-night.jpg\r\n"
                                                "http://pictures.example.org/gallery/old-bridge.jpg\r\n"
                                                "this line is no address and stays in the box\r\n"
                                                "https://photos.example.net/2026/06/lavender-field.png"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ruvia-demoprofile"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Fills the profile named by XDG_CONFIG_HOME and XDG_DATA_HOME with the "
                       "demo account of the stand-in listening on PORT."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("The stand-in's port."),
                                        QStringLiteral("PORT"));
    parser.addOption(portOption);
    const QCommandLineOption serviceOption(
        QStringLiteral("service"),
        QStringLiteral("Only point the browser sign-in at the stand-in on PORT (its demo "
                       "application's key and secret); the stand-in's port changes each start."));
    parser.addOption(serviceOption);
    parser.process(app);
    bool portOk = false;
    const int port = parser.value(portOption).toInt(&portOk);
    if (!portOk || port <= 0 || port > 65535) {
        say(QStringLiteral("--port wants the stand-in's port"));
        return 2;
    }
    if (isUserProfile()) {
        say(QStringLiteral("set XDG_CONFIG_HOME and XDG_DATA_HOME to a profile of its own"));
        return 2;
    }
    GiveUpPrompter prompter;
    setPrompter(&prompter);

    if (parser.isSet(serviceOption)) {
        ServiceConfig config;
        config.apiAddress = QStringLiteral("http://127.0.0.1:%1").arg(port);
        config.signInAddress = config.apiAddress;
        config.clientId = QStringLiteral("demo-client");
        return config.Save() && V2Account::SaveClientSecret(config.clientId,
                                                            QStringLiteral("demo-secret"))
            ? 0
            : 1;
    }

    ProxySettings proxy;
    proxy.enabled = true;
    proxy.host = QStringLiteral("127.0.0.1");
    proxy.port = port;
    QString groups;
    if (!proxy.Save() || !ParseGroupList(Authenticate(kEmail, kPassword, nullptr), groups))
        return 1;
    QString entry;
    for (const QString& line : groups.split(QStringLiteral("\r\n")))
        if (GetGroupName(line) == kHost)
            entry = line;
    if (entry.isEmpty()) {
        say(QStringLiteral("the demo account has no group ") + kHost);
        return 1;
    }
    const QJsonArray posts = standinPosts(port);
    if (posts.isEmpty() || !fillLinksBase(posts, entry))
        return 1;
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!fillBatchInputs(dataHome + QStringLiteral("/Demo pictures"))) {
        say(QStringLiteral("the batch folder and addresses could not be written"));
        return 1;
    }

    // What the login window keeps when it closes.
    if (!SettingsStore::WriteValues({
            {QString(), QStringLiteral("E-Mail"), KindText, kEmail},
            {QString(), QStringLiteral("Password"), KindText, EncodePassword(kPassword)},
            {QString(), QStringLiteral("Groups"), KindText, groups},
            {QString(), QStringLiteral("Last Group"), KindText, entry},
        }))
        return 1;
    CHistory emails;
    emails.InitFileName(QString(), QStringLiteral("E-Mail History.DAT"));
    emails.LoadHistory();
    emails.Add(kEmail);
    emails.SaveHistory();
    return prompter.asked == 0 ? 0 : 1;
}
