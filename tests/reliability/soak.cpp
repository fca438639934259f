// The fault soak of the upload run: a queue of pictures and links posted to
// the stand-in while random faults hit each row's write, read-back and
// thumbnail download (408, 5xx, dropped connections before and after the
// reply, slow drips, replies that are not XML). The user answers Retry to
// every question and presses Upload again after a run that ended. At the
// end each item must have been posted exactly once (the stand-in's posts,
// matched to items by caption and bytes, and its request log say so), every
// post must be resolved in the base with its thumbnail, and the queue and
// its folder must be empty.
//
//   soak [--items N] [--seed S]
//
// Prints "items: N, posted_once: N, duplicates: 0, lost: 0"; exits 1 when
// any item was not posted exactly once or anything else was wrong.
#include "linksfixture.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"
#include "uploadfixture.h"

#include "base/linkbase.h"
#include "core/settings.h"
#include "platform/prompter.h"
#include "service/postsubmit.h"
#include "upload/uploadlist.h"
#include "upload/uploadrun.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <cstdio>
#include <functional>

using namespace ruvia;

namespace {

const QString kCaption = QStringLiteral("Soak item %1");

// The user: Retry wherever it is a button, OK to a notice. Every text is
// counted by its first line.
class RetryingUser : public Prompter {
public:
    QHash<QString, int> seen;
    int unexpected = 0;
    int ask(const Message& m) override
    {
        const QString first = m.text.section(QStringLiteral("\r\n"), 0, 0);
        ++seen[first.left(60)];
        const QList<int> answers = m.answers();
        if (answers.contains(IDRETRY))
            return IDRETRY;
        if (answers.size() != 1) {
            ++unexpected;
            std::fprintf(stderr, "soak: unexpected question: %s\n", qPrintable(m.text.left(300)));
        }
        return m.defaultAnswer();
    }
};

class View : public IUploadRunView, public IUploadStatusIndicator {
public:
    // The row (0-based) is about to be posted.
    std::function<void(int)> onRow;
    View() { SetUploadStatusIndicator(this); }
    ~View() override { SetUploadStatusIndicator(nullptr); }
    void ShowProgress(const QString&) override {}
    void ShowRunPosition(const QString&) override {}
    void SetStatusColor(int) override {}
    void SelectRow(int row) override
    {
        if (row >= 0 && onRow)
            onRow(row);
    }
    void UpdateControls() override {}
};

// What can happen to one request, by endpoint. A row gets at most one of
// each endpoint's faults per attempt; a fault with a count of 2 hits the
// retry as well.
const char* const kWriteFaults[] = {
    "{'endpoint':'write','kind':'status','status':408}",
    "{'endpoint':'write','kind':'status','status':500}",
    "{'endpoint':'write','kind':'status','status':503,'html':true}",
    "{'endpoint':'write','kind':'drop','when':'headers'}",
    "{'endpoint':'write','kind':'drop','when':'request'}",
    "{'endpoint':'write','kind':'drop','when':'reply'}",
    "{'endpoint':'write','kind':'slow','chunkBytes':1,'chunkDelayMs':40}",
    "{'endpoint':'write','kind':'slow','readBytes':8192,'readDelayMs':15}",
};
const char* const kReadFaults[] = {
    "{'endpoint':'read','kind':'status','status':408}",
    "{'endpoint':'read','kind':'status','status':408,'count':2}",
    "{'endpoint':'read','kind':'status','status':500}",
    "{'endpoint':'read','kind':'status','status':502,'html':true,'count':2}",
    "{'endpoint':'read','kind':'drop'}",
    "{'endpoint':'read','kind':'drop','when':'headers'}",
    "{'endpoint':'read','kind':'nonxml'}",
    "{'endpoint':'read','kind':'maintenance'}",
    "{'endpoint':'read','kind':'empty'}",
    "{'endpoint':'read','kind':'slow','chunkBytes':200,'chunkDelayMs':15}",
};
const char* const kPictureFaults[] = {
    "{'endpoint':'picture','kind':'status','status':500}",
    "{'endpoint':'picture','kind':'status','status':503,'count':2}",
    "{'endpoint':'picture','kind':'drop'}",
    "{'endpoint':'picture','kind':'slow','chunkBytes':2048,'chunkDelayMs':10}",
};

template <size_t N>
const char* pick(QRandomGenerator& random, const char* const (&faults)[N])
{
    return faults[random.bounded(int(N))];
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

struct Item {
    QString caption;
    QString recordedName;
    QString sha; // empty for a link item
};

int soak(int items, quint32 seed)
{
    test::TempProfile profile;
    test::StandIn standin;
    if (!standin.start({QStringLiteral("--account"), QStringLiteral("a@b.c:pw"), QStringLiteral("--blog"),
                        QStringLiteral("a@b.c:mainblog:Main Blog")})) {
        std::fprintf(stderr, "soak: the stand-in did not start: %s\n", qPrintable(standin.errorOutput()));
        return 1;
    }
    ResetSettingsToDefaults();
    SET_Timeout = 20000;
    if (!test::pointProxyAt(standin.port()) || !test::openFreshGroup(profile.root()))
        return 1;
    RetryingUser user;
    setPrompter(&user);

    QRandomGenerator random(seed);
    UploadList list;
    QList<Item> queued;
    const QString sources = profile.root() + QStringLiteral("/sources");
    for (int i = 1; i <= items; ++i) {
        PostBoxes boxes{kCaption.arg(i), QStringLiteral("soak, item %1").arg(i), {}, false};
        Item item{boxes.caption, {}, {}};
        if (i % 5 == 0) {
            const QString url = QStringLiteral("http://pictures.example.org/soak/%1.jpg?size=big").arg(i);
            item.recordedName = QStringLiteral("%1.jpg").arg(i);
            if (!list.PasteToList(url, false, true, boxes))
                return 1;
        } else {
            // Bytes of its own for each item: the stand-in records their hash.
            const QByteArray bytes = test::someBytes(1000 + int(random.bounded(40000)), i);
            item.recordedName = QStringLiteral("soak-%1.jpg").arg(i);
            item.sha = sha256(bytes);
            const QString path = sources + u'/' + item.recordedName;
            if (!test::writeFile(path, bytes) || !list.PasteToList(path, false, true, boxes))
                return 1;
        }
        queued.append(item);
    }

    View view;
    int faultsArmed = 0;
    CUploadRun run(list, view, nullptr);
    view.onRow = [&](int) {
        standin.clearFaults();
        const auto arm = [&](const char* fault) {
            standin.addFault(test::json(fault));
            ++faultsArmed;
        };
        if (random.bounded(100) < 30)
            arm(pick(random, kWriteFaults));
        if (random.bounded(100) < 35)
            arm(pick(random, kReadFaults));
        if (random.bounded(100) < 25)
            arm(pick(random, kPictureFaults));
    };
    int runs = 0;
    // A run ends at a failed write; the user starts it again.
    while (list.CheckedCount() > 0 && runs < 10 * items + 10) {
        ++runs;
        run.Start(StatePublishNow, {});
    }
    standin.clearFaults();

    // What the service holds, matched to the items by caption.
    QHash<QString, QJsonArray> postsOf;
    for (const QJsonValue& p : standin.posts())
        postsOf[p.toObject().value(QStringLiteral("caption")).toString()].append(p);
    // The writes that made a post, whether their reply arrived or not.
    QHash<QString, QStringList> madeBy;
    for (const QJsonValue& r : standin.requests(QStringLiteral("write"))) {
        const QJsonObject entry = r.toObject();
        const QString id = entry.value(QStringLiteral("postId")).toString();
        if (!id.isEmpty())
            madeBy[QString::fromUtf8(test::StandIn::fieldBytes(entry, QStringLiteral("caption")))].append(id);
    }

    xhXMLDocument base;
    if (!test::LoadDurableBase(base))
        return 1;
    int postedOnce = 0, duplicates = 0, lost = 0, unresolved = 0, wrong = 0;
    for (const Item& item : queued) {
        const QJsonArray posts = postsOf.value(item.caption);
        if (posts.isEmpty())
            ++lost;
        else if (posts.size() == 1)
            ++postedOnce;
        else
            duplicates += int(posts.size()) - 1;
        // The log: every post was made by one write of this item.
        QStringList ids;
        for (const QJsonValue& p : posts)
            ids.append(p.toObject().value(QStringLiteral("id")).toString());
        QStringList made = madeBy.value(item.caption);
        ids.sort();
        made.sort();
        if (made != ids) {
            ++wrong;
            std::fprintf(stderr, "soak: the log does not account for the %lld posts of \"%s\"\n",
                         qlonglong(posts.size()), qPrintable(item.caption));
        }
        for (const QJsonValue& p : posts) {
            const QJsonObject post = p.toObject();
            const QString id = post.value(QStringLiteral("id")).toString();
            const bool right = item.sha.isEmpty() ? !post.value(QStringLiteral("source")).toString().isEmpty()
                                                  : post.value(QStringLiteral("dataSha256")).toString() == item.sha;
            if (!right) {
                ++wrong;
                std::fprintf(stderr, "soak: post %s is not what \"%s\" sent\n", qPrintable(id),
                             qPrintable(item.caption));
            }
            const auto links = base.SelectNodes(QStringLiteral("/Links/Link[@PostID='%1']").arg(id));
            const bool recorded = links.size() == 1 &&
                                  LinkAttribute(links.first().node(), "OriginalFileName") == item.recordedName &&
                                  IsLinkResolved(id) && QFileInfo(GetThumbnailFileName(id)).size() > 0 &&
                                  (item.sha.isEmpty() || QFileInfo::exists(GetPictureFileName(id)));
            if (!recorded) {
                ++unresolved;
                std::fprintf(stderr, "soak: post %s of \"%s\" is not resolved in the base with its files\n",
                             qPrintable(id), qPrintable(item.caption));
            }
        }
    }
    const int links = int(base.SelectNodes(QStringLiteral("/Links/Link")).size());
    UploadList saved;
    saved.LoadListedUploads();
    const int leftInQueue = list.count() + saved.count() + int(test::entriesOf(SET_UploadsPath).size());
    setPrompter(nullptr);

    std::printf("runs: %d, faults armed: %d, links in base: %d, unresolved: %d, left in queue: %d, "
                "unexpected questions: %d, wrong: %d\n",
                runs, faultsArmed, links, unresolved, leftInQueue, user.unexpected, wrong);
    for (auto it = user.seen.cbegin(); it != user.seen.cend(); ++it)
        std::printf("  asked %4d x %s\n", it.value(), qPrintable(it.key()));
    std::printf("items: %d, posted_once: %d, duplicates: %d, lost: %d\n", items, postedOnce, duplicates, lost);
    const bool sound = postedOnce == items && duplicates == 0 && lost == 0 && unresolved == 0 &&
                       leftInQueue == 0 && user.unexpected == 0 && wrong == 0 && links == items;
    return sound ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int items = 200;
    quint32 seed = QRandomGenerator::global()->generate();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == u"--items")
            items = args.at(i + 1).toInt();
        else if (args.at(i) == u"--seed")
            seed = args.at(i + 1).toUInt();
    }
    std::printf("seed: %u\n", seed);
    return soak(items, seed);
}
