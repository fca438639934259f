// The kill loop: a child process saves a group's link base (a change
// appended to Links.Journal, and every eighth time the journal folded into
// Links.XML), Uploads.XML, Settings.INI and a history file, and the global
// settings, over and over; the parent kills it with SIGKILL at random
// moments (most land inside a save; some are aimed just after the start of
// a journal append or of a fold), opens the group again as the program
// does, and checks that every file parses and holds the generation saved
// last or the one being saved, and that nothing of an interrupted save is
// left. Uploads.XML is built and saved the way an upload list is: a new
// document through xhXMLDocument.
//
//   killloop [--kills N] [--seed S]
//
// Prints "kills: N, damaged: 0, lost: 0, stale_left: 0"; exits 1 when a
// figure after kills is not 0.
#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "platform/fileio.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/settingsstore.h"
#include "platform/textrules.h"
#include "platform/xmldocument.h"
#include "support/history.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using namespace ruvia;

namespace {

const QString kGroup = QStringLiteral("Kill Loop | killloop-%1.example.com");
constexpr int kLinks = 300;
constexpr int kUploadItems = 60;
constexpr int kHistoryEntries = 100;
const QStringList kFiles{QStringLiteral("Links.XML"), QStringLiteral("Uploads.XML"),
                         QStringLiteral("Settings.INI"), QStringLiteral("History.DAT"),
                         QStringLiteral("Ruvia.ini")};

// Any question asked means a save failed or a file was refused.
class CountingPrompter : public Prompter {
public:
    int asked = 0;
    int ask(const Message& m) override
    {
        ++asked;
        std::fprintf(stderr, "killloop: asked: %s\n", qPrintable(m.text.left(300)));
        return m.answers().contains(IDCANCEL) ? IDCANCEL : m.defaultAnswer();
    }
};

PostLinks linksOf(qint64 generation)
{
    PostLinks links;
    for (int i = 0; i < PostLinks::PostURL; ++i)
        links[i] = QStringLiteral("http://1.media.example.org/tumblr_k%1_%2.jpg")
                       .arg(generation)
                       .arg(PostLinks::Sizes().at(i));
    links[PostLinks::PostURL] = QStringLiteral("http://blog.example.org/post/1?g=%1").arg(generation);
    links[PostLinks::PostURLSlug] = links[PostLinks::PostURL] + QStringLiteral("/slug");
    return links;
}

void saveUploads(qint64 generation)
{
    xhXMLDocument doc;
    doc.New(QStringLiteral("utf-8"));
    auto root = xhXMLDocument::AppendElement(doc.DocumentNode(), QStringLiteral("Uploads"));
    xhXMLDocument::AppendAttribute(root, QStringLiteral("Group"), SET_GroupName);
    for (int i = 0; i < kUploadItems; ++i) {
        auto item = xhXMLDocument::AppendElement(root, QStringLiteral("UploadItem"));
        xhXMLDocument::AppendAttribute(item, QStringLiteral("Selected"), QStringLiteral("True"));
        const QStringList texts{QStringLiteral("picture %1.jpg").arg(i),
                                QStringLiteral("*\\{%1}.jpg").arg(i, 8, 10, QLatin1Char('0')),
                                i == 0 ? QStringLiteral("generation %1").arg(generation)
                                       : QStringLiteral("Caf\u00e9 caption %1\r\nsecond line").arg(i),
                                QStringLiteral("tag one, tag two"),
                                QStringLiteral("http://click.example.org/%1").arg(i)};
        const QStringList names{QStringLiteral("OriginalFileName"), QStringLiteral("FileName"),
                                QStringLiteral("Caption"), QStringLiteral("Tags"),
                                QStringLiteral("ClickThroughURL")};
        for (int k = 0; k < names.size(); ++k)
            xhXMLDocument::SetText(xhXMLDocument::AppendElement(item, names.at(k)), texts.at(k));
    }
    if (!doc.Save(tsBuildFileName(SET_DataPath, QStringLiteral("Uploads.XML"))))
        MsgBox(QStringLiteral("Can't save uploads list.\r\n\r\n") + doc.LastError());
}

void say(const QByteArray& line)
{
    // Straight to the pipe: what was said before the kill is not lost in a buffer.
    const QByteArray text = line + '\n';
    if (::write(STDOUT_FILENO, text.constData(), size_t(text.size())) != text.size())
        ::_exit(3);
}

int runChild(const QString& entry, qint64 generation)
{
    CountingPrompter prompter;
    setPrompter(&prompter);
    if (!OpenGroupFolders(entry) || !OpenLinksBase())
        return 2;
    if (GetLinksCount() == 0) {
        for (int i = 1; i <= kLinks; ++i) {
            AddLink(QString::number(i), QStringLiteral("picture %1.jpg").arg(i), QStringLiteral("me"));
            ResolveLink(QString::number(i), linksOf(0));
        }
    }
    say("ready");
    for (;; ++generation) {
        const QByteArray g = QByteArray::number(generation);
        say("begin Links.XML " + g);
        ResolveLink(QStringLiteral("1"), linksOf(generation));
        SaveLinksBase();
        say("done Links.XML " + g);
        if (generation % 8 == 0) {
            // As when the group closes: the base holds generation g all along.
            say("begin fold " + g);
            FoldLinksBase();
            say("done fold " + g);
        }

        say("begin Uploads.XML " + g);
        saveUploads(generation);
        say("done Uploads.XML " + g);

        say("begin Settings.INI " + g);
        tsWriteStringToINI(QStringLiteral("Kill Loop"), QStringLiteral("Generation"), QString::number(generation),
                           GetGroupSettingsFile());
        say("done Settings.INI " + g);

        say("begin History.DAT " + g);
        CHistory history;
        history.InitFileName(SET_DataPath, QStringLiteral("History.DAT"));
        history.Add(QStringLiteral("generation %1").arg(generation));
        for (int i = 0; i < kHistoryEntries; ++i)
            history.Add(QStringLiteral("caption number %1").arg(i));
        history.SaveHistory();
        say("done History.DAT " + g);

        say("begin Ruvia.ini " + g);
        SettingsStore::writeText(QStringLiteral("Kill Loop"), QStringLiteral("Generation"),
                                 QString::number(generation));
        say("done Ruvia.ini " + g);
        if (prompter.asked > 0)
            return 2;
    }
}

// The generation a file holds: -1 when it is missing, -2 when it is damaged.
qint64 generationOf(const QString& file, const QString& path)
{
    if (!QFileInfo::exists(path))
        return -1;
    bool ok = false;
    qint64 g = -2;
    if (file == u"Links.XML") {
        // The base as the open found it: Links.XML with its journal replayed.
        if (GetLinksCount() == kLinks) {
            const pugi::xml_node link = FindLink(QStringLiteral("1"));
            const QString url = LinkAttribute(link, "PostURL");
            g = url.section(QStringLiteral("?g="), 1).toLongLong(&ok);
            ok = ok && LinkAttribute(link, "PostURLSlug") == url + QStringLiteral("/slug") &&
                 LinkPictureURL(link, "75") == linksOf(g)[PostLinks::Picture75];
        }
    } else if (file == u"Uploads.XML") {
        xhXMLDocument doc;
        if (doc.Load(path) && doc.SelectNodes(QStringLiteral("/Uploads/UploadItem")).size() == size_t(kUploadItems)) {
            g = doc.GetText(QStringLiteral("/Uploads/UploadItem[1]/Caption")).section(u' ', 1).toLongLong(&ok);
            ok = ok && doc.GetText(QStringLiteral("/Uploads/UploadItem[last()]/ClickThroughURL")) ==
                           QStringLiteral("http://click.example.org/%1").arg(kUploadItems - 1);
        }
    } else if (file == u"History.DAT") {
        QString text;
        if (FileObject::readText(path, text)) {
            const QStringList entries = text.split(QChar(0));
            g = entries.first().section(u' ', 1).toLongLong(&ok);
            ok = ok && entries.size() == kHistoryEntries + 1 &&
                 entries.last() == QStringLiteral("caption number %1").arg(kHistoryEntries - 1);
        }
    } else {
        IniFile ini;
        if (ini.load(path))
            g = UnescapeINIText(ini.value(QStringLiteral("Kill Loop"), QStringLiteral("Generation")))
                    .toLongLong(&ok);
    }
    return ok ? g : -2;
}

int runParent(int kills, quint32 seed)
{
    QTemporaryDir profile;
    qputenv("XDG_DATA_HOME", (profile.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (profile.path() + QStringLiteral("/config")).toLocal8Bit());
    const QString entry = kGroup.arg(QCoreApplication::applicationPid());
    const QString groupFolder = GetGroupDataPath(entry);
    const QString settingsFile = SettingsStore::filePath();
    const QString configFolder = QFileInfo(settingsFile).absolutePath();
    auto pathOf = [&](const QString& file) {
        return file == u"Ruvia.ini" ? settingsFile : tsBuildFileName(groupFolder, file);
    };
    const QStringList expectedInGroup{QStringLiteral("History.DAT"), QStringLiteral("Links.Journal"),
                                      QStringLiteral("Links.XML"),
                                      QStringLiteral("Settings.INI"), QStringLiteral("Uploads"),
                                      QStringLiteral("Uploads.XML")};
    const QStringList expectedInConfig{QStringLiteral("Ruvia.ini"), QStringLiteral("Ruvia.ini.lock")};

    QRandomGenerator random(seed);
    QHash<QString, qint64> saved; // the generation each file holds for sure
    QHash<QString, int> killedInside; // by the step cut short
    int damaged = 0, lost = 0, staleLeft = 0, insideSave = 0, done = 0;
    qint64 completed = 0;
    qint64 next = 1;
    for (; done < kills; ++done) {
        // A pipe of our own: everything the saver wrote before it died is read.
        int pipeFds[2];
        if (::pipe(pipeFds) != 0)
            return 1;
        const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
        const QByteArray entryArg = entry.toLocal8Bit();
        const QByteArray nextArg = QByteArray::number(next);
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            ::close(pipeFds[0]);
            ::close(pipeFds[1]);
            ::execl(program.constData(), program.constData(), "--child", entryArg.constData(),
                    nextArg.constData(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        QByteArray out;
        auto readSome = [&] {
            char buffer[4096];
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0)
                out.append(buffer, n);
            return n > 0;
        };
        while (!out.contains("ready\n") && readSome()) {
        }
        if (!out.contains("ready\n")) {
            std::fprintf(stderr, "killloop: the saver did not start\n");
            return 1;
        }
        // A kill at any moment, or aimed at the steps of the link base that
        // take least time: just after a journal append or a fold begins.
        const int aim = random.bounded(4);
        if (aim > 0) {
            const QByteArray marker = aim == 1 ? "begin Links.XML " : "begin fold ";
            const qsizetype from = out.size();
            while (out.indexOf(marker, from) < 0 && readSome()) {
            }
            ::usleep(useconds_t(random.bounded(aim == 1 ? 200 : 3000)));
        } else {
            ::usleep(useconds_t(random.bounded(40000)));
        }
        ::kill(child, SIGKILL);
        while (readSome()) {
        }
        ::close(pipeFds[0]);
        ::waitpid(child, nullptr, 0);

        QHash<QString, qint64> begun;
        for (const QByteArray& line : out.split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() != 3)
                continue;
            const QString file = QString::fromLatin1(words.at(1));
            const qint64 g = words.at(2).toLongLong();
            if (file == u"fold") {
                // Not a file of its own: it must not change what Links.XML holds.
                if (words.at(0) == "begin")
                    begun.insert(file, g);
                else
                    begun.remove(file);
                continue;
            }
            if (words.at(0) == "begin") {
                begun.insert(file, g);
            } else {
                saved.insert(file, g);
                begun.remove(file);
                ++completed;
            }
            next = qMax(next, g + 1);
        }
        if (!begun.isEmpty())
            ++insideSave;
        for (auto it = begun.cbegin(); it != begun.cend(); ++it)
            ++killedInside[it.key()];

        // The next open of the group, as the program makes it.
        CountingPrompter prompter;
        setPrompter(&prompter);
        if (!OpenGroupFolders(entry))
            return 1;
        const bool baseOpened = !QFileInfo::exists(pathOf(QStringLiteral("Links.XML"))) || OpenLinksBase();
        ReleaseGroupLock();
        setPrompter(nullptr);
        if (!baseOpened || prompter.asked > 0) {
            ++damaged;
            std::fprintf(stderr, "killloop: kill %d: the link base did not open as it was\n", done + 1);
        }

        for (const QString& file : kFiles) {
            const qint64 g = generationOf(file, pathOf(file));
            const qint64 last = saved.value(file, -1);
            const bool ok = g == last || (begun.contains(file) && g == begun.value(file));
            if (ok) {
                saved.insert(file, g); // a save cut short after its rename is a save
                continue;
            }
            const bool isLost = (g >= 0 || g == -1) && g < last;
            (isLost ? lost : damaged) += 1;
            std::fprintf(stderr, "killloop: kill %d: %s holds generation %lld, saved %lld, being saved %lld\n",
                         done + 1, qPrintable(file), g, last, begun.value(file, -1));
        }
        auto stale = [&](const QString& folder, const QStringList& expected) {
            for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
                if (!expected.contains(name)) {
                    ++staleLeft;
                    std::fprintf(stderr, "killloop: kill %d: left behind: %s\n", done + 1, qPrintable(name));
                    QFile::remove(tsBuildFileName(folder, name));
                }
        };
        stale(groupFolder, expectedInGroup);
        stale(configFolder, expectedInConfig);
    }
    std::printf("saves completed: %lld, kills inside a save: %d (journal append %d, fold %d, Uploads.XML %d, "
                "Settings.INI %d, History.DAT %d, Ruvia.ini %d)\n",
                completed, insideSave, killedInside.value(QStringLiteral("Links.XML")),
                killedInside.value(QStringLiteral("fold")), killedInside.value(QStringLiteral("Uploads.XML")),
                killedInside.value(QStringLiteral("Settings.INI")), killedInside.value(QStringLiteral("History.DAT")),
                killedInside.value(QStringLiteral("Ruvia.ini")));
    std::printf("kills: %d, damaged: %d, lost: %d, stale_left: %d\n", done, damaged, lost, staleLeft);
    return damaged + lost + staleLeft == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == u"--child")
        return runChild(args.at(2), args.at(3).toLongLong());
    int kills = 100;
    quint32 seed = QRandomGenerator::global()->generate();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == u"--kills")
            kills = args.at(i + 1).toInt();
        else if (args.at(i) == u"--seed")
            seed = args.at(i + 1).toUInt();
    }
    std::printf("seed: %u\n", seed);
    return runParent(kills, seed);
}
