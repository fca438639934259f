// The links window's batches against the stand-in service on loopback:
// resolving 200 posts through the batch against 200 bare reads of the same
// posts, in a base of 1,000 and of 100,000 posts, and downloading their 200
// thumbnails against curl fetching the same addresses through the same proxy.
// Prints "name: value unit" lines; never passes or fails on time.
#include "benchsupport.h"
#include "linksfixture.h"
#include "standin.h"
#include "testenv.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "links/batches.h"
#include "platform/prompter.h"
#include "platform/proxysettings.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>

#include <cstdio>

using namespace ruvia;
using bench::elapsedMs;
using bench::print;

namespace {

constexpr int kPosts = 200;
const QString kEmail = QStringLiteral("bench@example.com");
const QString kPassword = QStringLiteral("bench");
const QString kGroup = QStringLiteral("benchblog.tumblr.com");

// The rows of the list the batches walk, the last kPosts selected.
class BenchList : public PostList {
  public:
    explicit BenchList(QStringList items) : m_items(std::move(items)) {}
    int count() const override { return int(m_items.size()); }
    bool isSelected(int i) const override { return i >= m_first && i <= m_last; }
    void selectRange(int first, int last, bool select) override
    {
        // The batches only ever unselect the first selected row.
        if (!select && first == m_first)
            m_first = last + 1;
        else if (select) {
            m_first = first;
            m_last = last;
        }
    }
    QString itemText(int i) const override { return m_items.at(i); }
    int currentIndex() const override { return m_current; }
    void setCurrentIndex(int i) override { m_current = i; }
    int topIndex() const override { return 0; }
    void setTopIndex(int) override {}
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        for (int i = m_first; i <= m_last; ++i)
            rows.append(i);
        return rows;
    }

  private:
    QStringList m_items;
    int m_first = 0, m_last = -1, m_current = -1;
};

class BenchHost : public BatchHost {
  public:
    explicit BenchHost(BenchList& list) : m_list(list) {}
    PostList& posts() override { return m_list; }
    void setBusy(bool) override {}
    bool cancelRequested() const override { return false; }
    void setCancelRequest(bool) override {}
    void showProgress(const QString&) override { QCoreApplication::processEvents(); }
    void listClicked() override {}
    IHTTPRequestCallback* transferCallback() override { return &m_callback; }

  private:
    class Callback : public IHTTPRequestCallback {
      public:
        void BlockSent(qint64, qint64, qint64, bool&) override { QCoreApplication::processEvents(); }
        void BlockReceived(qint64, qint64, qint64, bool&) override { QCoreApplication::processEvents(); }
    } m_callback;
    BenchList& m_list;
};

QByteArray picture(int i)
{
    QImage image(400 + i % 7 * 20, 300, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(i * 7 % 360, 180, 200));
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "JPG");
    return bytes;
}

// A base of `size` posts whose last kPosts are the stand-in's posts, unresolved.
void makeBase(int size, const QStringList& ids)
{
    test::OpenFreshGroup(kGroup);
    SET_EMail = kEmail;
    SET_Password = kPassword;
    test::AddPosts(size - kPosts, 100000000000LL);
    for (const QString& id : ids)
        AddLink(id, QStringLiteral("picture.jpg"), QStringLiteral("bench@box"));
    SaveLinksBase();
}

double bareReadsMs(const QStringList& ids)
{
    QElapsedTimer t;
    t.start();
    for (const QString& id : ids) {
        QByteArray reply;
        PostLinks links;
        if (ReadPost(kGroup, kEmail, kPassword, id, nullptr, reply) != LookupSuccess ||
            ParsePostReply(reply, links) != LookupSuccess)
            std::fprintf(stderr, "bare read of %s failed\n", qPrintable(id));
    }
    return elapsedMs(t);
}

double batchMs(void (PictureOperations::*run)(), BenchList& list)
{
    list.selectRange(list.count() - kPosts, list.count() - 1, true);
    BenchHost host(list);
    PictureOperations ops(host);
    QElapsedTimer t;
    t.start();
    (ops.*run)();
    return elapsedMs(t);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    test::TempProfile profile;
    bench::FailingPrompter prompter;
    test::StandIn standin;
    if (!standin.start({QStringLiteral("--account"), kEmail + u':' + kPassword, QStringLiteral("--blog"),
                        kEmail + QStringLiteral(":benchblog:Bench")})) {
        std::fprintf(stderr, "the stand-in did not start: %s\n", qPrintable(standin.errorOutput()));
        return 1;
    }
    ProxySettings proxy;
    proxy.enabled = true;
    proxy.host = test::StandIn::host();
    proxy.port = standin.port();
    proxy.Save();
    ResetSettingsToDefaults();

    QStringList ids;
    for (int i = 0; i < kPosts; ++i) {
        QString id;
        if (!WritePost(kGroup, kEmail, kPassword, QString(), QString(), QString(), StatePublishNow, QString(),
                       picture(i), QString(), nullptr, id))
            return 1;
        ids.append(id);
    }

    for (int size : {1000, 100000}) {
        makeBase(size, ids);
        bareReadsMs(ids.mid(0, 10)); // warm-up
        const double bare = bareReadsMs(ids);
        BenchList list(GetLinksList());
        const double batch = batchMs(&PictureOperations::ResolveSelectedPosts, list);
        for (const QString& id : ids)
            if (!IsLinkResolved(id))
                return 1;
        const bool small = size == 1000;
        print(small ? "resolve_bare_ms" : "resolve_bare_ms_100k", bare, "ms");
        print(small ? "resolve_batch_ms" : "resolve_batch_ms_100k", batch, "ms");
        print(small ? "resolve_overhead_ratio" : "resolve_overhead_ratio_100k", batch / bare, "x");
        if (!small)
            break;

        // Thumbnails: the batch, then curl with the same addresses through the same proxy.
        auto* downloadAll = +[](PictureOperations& ops) { ops.DownloadSelectedFiles(true, false); };
        list.selectRange(list.count() - kPosts, list.count() - 1, true);
        BenchHost host(list);
        PictureOperations ops(host);
        QElapsedTimer t;
        t.start();
        downloadAll(ops);
        const double ours = elapsedMs(t);
        QString config;
        const QString curlDir = profile.root() + QStringLiteral("/curl");
        QDir().mkpath(curlDir);
        for (int i = 0; i < ids.size(); ++i) {
            if (!QFile::exists(GetThumbnailFileName(ids.at(i))))
                return 1;
            config += QStringLiteral("url = \"%1\"\noutput = \"%2/%3.jpg\"\n")
                          .arg(GetThumbnailURL(ids.at(i)), curlDir)
                          .arg(i);
        }
        QFile file(profile.root() + QStringLiteral("/curl.cfg"));
        file.open(QIODevice::WriteOnly);
        file.write(config.toUtf8());
        file.close();
        QProcess curl;
        t.restart();
        curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-x"),
                                            QStringLiteral("127.0.0.1:%1").arg(standin.port()),
                                            QStringLiteral("-K"), file.fileName()});
        if (!curl.waitForFinished(120000) || curl.exitCode() != 0)
            return 1;
        const double theirs = elapsedMs(t);
        print("download_thumbs_ms_per_post", ours / kPosts, "ms");
        print("curl_ms_per_post", theirs / kPosts, "ms");
        print("download_ratio", ours / theirs, "x");
    }
    return prompter.failures == 0 ? 0 : 1;
}
