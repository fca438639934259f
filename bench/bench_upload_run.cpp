// The upload run over 30 queued files of 3 MB against the stand-in, with
// "Resolve Posts", "Download Thumbnails" and "Copy Uploaded File To Base" on,
// in a base of 1,000 posts, against the same exchanges made bare (read the
// file, write, read back, thumbnail GET). Prints "name: value unit" lines;
// never passes or fails on time.
#include "base/linkbase.h"
#include "core/group.h"
#include "benchsupport.h"

#include "core/settings.h"
#include "platform/fileio.h"
#include "platform/httprequest.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/proxysettings.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"
#include "service/requestframe.h"
#include "standin.h"
#include "support/statistics.h"
#include "testenv.h"
#include "upload/uploadlist.h"
#include "upload/uploadrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>

#include <cstdio>

using namespace ruvia;

namespace {

constexpr int kFiles = 30;
constexpr qint64 kFileBytes = 3 * 1024 * 1024;
constexpr int kBasePosts = 1000;
const QString kEmail = QStringLiteral("bench@example.com");
const QString kPassword = QStringLiteral("bench");
const QString kGroup = QStringLiteral("benchblog.tumblr.com");

class CountingCallback : public IHTTPRequestCallback {
public:
    void BlockSent(qint64, qint64, qint64, bool&) override {}
    void BlockReceived(qint64, qint64, qint64, bool&) override {}
};

class NullView : public IUploadRunView {
public:
    void ShowProgress(const QString&) override {}
    void ShowRunPosition(const QString&) override {}
    void SetStatusColor(int) override {}
    void SelectRow(int) override {}
    void UpdateControls() override {}
};

qint64 statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Starts a new peak: the high-water mark drops to the present RSS.
bool resetPeakRss()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

bool makeFile(const QString& path, qint64 bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    for (qint64 done = 0; done < bytes; done += chunk.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(chunk.data()),
                                              chunk.size() / 4);
        if (f.write(chunk.constData(), qMin<qint64>(chunk.size(), bytes - done)) < 0)
            return false;
    }
    return true;
}

// What the run does for one file, and nothing more.
bool bareExchanges(const QString& file, IHTTPRequestCallback& callback)
{
    QByteArray data;
    if (!FileObject::readBytes(file, data))
        return false;
    QString id;
    if (!WritePost(SET_GroupName, SET_EMail, SET_Password, QStringLiteral("Bench caption"),
                   QStringLiteral("bench"), {}, StatePublishNow, {}, data, {}, &callback, id))
        return false;
    data = QByteArray();
    QByteArray reply;
    PostLinks links;
    if (ReadPost(SET_GroupName, SET_EMail, SET_Password, id, &callback, reply) != LookupSuccess ||
        ParsePostReply(reply, links) != LookupSuccess)
        return false;
    QString host, path;
    int port = 0;
    if (!HTTPRequest::ParseURL(links[PostLinks::Picture250], host, port, path))
        return false;
    HTTPRequest request;
    ProxySettings proxy;
    proxy.Load();
    request.SetProxy(proxy);
    request.Send(host, port, QStringLiteral("GET"), path, QString::fromUtf16(kServiceProtocol), {}, {},
                 SET_Timeout, HTTPRequest::GetAgentString(), &callback);
    return !request.HasFailed() && !request.GetResponseBody().isEmpty();
}

void fillBase()
{
    PostLinks links;
    for (int i = 0; i < PostLinks::FieldCount; ++i)
        links[i] = QStringLiteral("http://26.media.tumblr.com/tumblr_benchKEYo1_%1.jpg").arg(i);
    for (int i = 0; i < kBasePosts; ++i) {
        const QString id = QString::number(100000000 + i);
        AddLink(id, QStringLiteral("picture %1.jpg").arg(i), QStringLiteral("bench@host"));
        ResolveLink(id, links);
    }
    SaveLinksBase();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    test::TempProfile profile;
    bench::FailingPrompter prompter;
    ResetSettingsToDefaults();

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

    SET_GroupName = kGroup;
    SET_EMail = kEmail;
    SET_Password = kPassword;
    SET_DataPath = profile.root() + QStringLiteral("/group");
    SET_UploadsPath = SET_DataPath + QStringLiteral("/Uploads");
    QDir().mkpath(SET_DataPath);
    if (!OpenLinksBase())
        return 1;
    fillBase();

    const QString pictures = profile.root() + QStringLiteral("/pictures");
    QDir().mkpath(pictures);
    QStringList files;
    for (int i = 0; i < kFiles; ++i) {
        files.append(pictures + QStringLiteral("/picture%1.jpg").arg(i));
        if (!makeFile(files.last(), kFileBytes)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(files.last()));
            return 1;
        }
    }
    // A small warm-up, so neither side pays for a cold start and the idle
    // figure is not raised by a large exchange.
    const QString small = pictures + QStringLiteral("/warm-up.jpg");
    CountingCallback callback;
    if (!makeFile(small, 4096) || !bareExchanges(small, callback)) {
        std::fprintf(stderr, "warm-up failed\n");
        return 1;
    }

    // Three rounds of: the bare exchanges, the run, the bare exchanges again,
    // so neither side gains from the order; the median round is reported.
    constexpr int kRounds = 3;
    const int basePosts = GetLinksCount();
    struct Round {
        qint64 runMs, bareMs;
        double ratio() const { return bareMs > 0 ? double(runMs) / double(bareMs) : 0.0; }
    };
    QList<Round> rounds;
    qint64 peakAboveIdleKb = 0;
    int left = 0, bareFailures = 0;
    bool peakReset = true;
    CStatistics statistics(GetGroupSettingsFile());
    NullView view;
    for (int round = 0; round < kRounds; ++round) {
        UploadList list;
        for (const QString& file : files) {
            PostBoxes boxes{QStringLiteral("Bench caption"), QStringLiteral("bench"), {}, false};
            list.PasteToList(file, false, false, boxes);
        }
        list.SaveListedUploads();
        if (list.count() != kFiles)
            return 1;

        QElapsedTimer clock;
        clock.start();
        for (const QString& file : files)
            bareFailures += bareExchanges(file, callback) ? 0 : 1;
        const qint64 bareBefore = clock.elapsed();

        CUploadRun run(list, view, &statistics);
        peakReset = peakReset && resetPeakRss();
        const qint64 idleKb = statusKb("VmRSS:");
        clock.restart();
        run.Start(StatePublishNow, {});
        const qint64 roundRunMs = clock.elapsed();
        peakAboveIdleKb = qMax(peakAboveIdleKb, statusKb("VmHWM:") - idleKb);
        left += list.count();

        clock.restart();
        for (const QString& file : files)
            bareFailures += bareExchanges(file, callback) ? 0 : 1;
        rounds.append({roundRunMs, (bareBefore + clock.elapsed()) / 2});
        std::printf("round_%d_ratio: %.2f\n", round + 1, rounds.last().ratio());
    }
    std::sort(rounds.begin(), rounds.end(),
              [](const Round& a, const Round& b) { return a.ratio() < b.ratio(); });
    const Round median = rounds.at(kRounds / 2);

    const double largestMb = double(kFileBytes) / (1024.0 * 1024.0);
    std::printf("files: %d x %lld bytes\n", kFiles, static_cast<long long>(kFileBytes));
    std::printf("base_posts: %d count\n", basePosts);
    std::printf("run_ms: %lld ms\n", static_cast<long long>(median.runMs));
    std::printf("bare_ms: %lld ms\n", static_cast<long long>(median.bareMs));
    std::printf("run_overhead_ratio: %.2f\n", median.ratio());
    std::printf("run_overhead_ratio_goal: 1.30\n");
    if (peakReset)
        std::printf("run_peak_rss_mb: %.1f MB\n", double(peakAboveIdleKb) / 1024.0);
    else
        std::printf("run_peak_rss_mb: unknown (no /proc/self/clear_refs)\n");
    std::printf("run_peak_rss_goal_mb: %.1f MB\n", 3.0 * largestMb + 20.0);
    std::printf("rows_left: %d count\n", left);
    std::printf("failures: %d count\n", bareFailures + prompter.failures);
    return left == 0 && bareFailures + prompter.failures == 0 ? 0 : 1;
}
