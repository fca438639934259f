// The upload run over 30 queued files of 3 MB against the stand-in, with
// "Resolve Posts", "Download Thumbnails" and "Copy Uploaded File To Base" on,
// in a base of 1,000 posts, against the same exchanges made bare (read the
// file, write, read back, thumbnail GET). Prints "name: value unit" lines;
// never passes or fails on time.
// Then the same run through an API v2 account signed in on the stand-in
// (no proxy), against the same exchanges made by curl, and the sign-in.
#include "base/linkbase.h"
#include "core/group.h"
#include "benchsupport.h"

#include "core/settings.h"
#include "platform/fileio.h"
#include "platform/httprequest.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/proxysettings.h"
#include "platform/requestfields.h"
#include "platform/shell.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"
#include "service/requestframe.h"
#include "service/secretstore.h"
#include "service/serviceconfig.h"
#include "service/v2account.h"
#include "service/v2parse.h"
#include "standin.h"
#include "support/statistics.h"
#include "testenv.h"
#include "upload/uploadlist.h"
#include "upload/uploadrun.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>

#include <algorithm>
#include <memory>
#include <vector>

#include <cmath>
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

const QString kClientId = QStringLiteral("bench-client");
const QString kClientSecret = QStringLiteral("bench-secret");
constexpr int kSignIns = 10;

double msOf(qint64 ns) { return double(ns) / 1e6; }

// The user's browser, scripted: it follows the service's redirect to the
// program's listener, and notes when it set off for it.
class BrowserShell : public Shell {
public:
    explicit BrowserShell(const QElapsedTimer& clock) : m_clock(clock)
    {
        m_network.setProxy(QNetworkProxy::NoProxy);
    }
    bool Open(const QString& pathOrUrl) override
    {
        QNetworkRequest request{QUrl(pathOrUrl)};
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        QNetworkReply* reply = m_network.get(request);
        QObject::connect(reply, &QNetworkReply::redirected, reply,
                         [this] { redirectedAtNs = m_clock.nsecsElapsed(); });
        QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
        return true;
    }
    void SetClipboardText(const QString& text) override { m_clipboard = text; }
    QString ClipboardText() const override { return m_clipboard; }

    qint64 redirectedAtNs = -1;

private:
    const QElapsedTimer& m_clock;
    QNetworkAccessManager m_network;
    QString m_clipboard;
};

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

// Noise does not compress, so a picture of about `bytes` stays within the
// 1280 width the service keeps as posted, and every file is a different one.
bool makeJpegFiles(const QStringList& paths, qint64 bytes, QSize& size)
{
    auto encode = [](QImage& image, QByteArray& out) {
        for (int y = 0; y < image.height(); ++y)
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(image.scanLine(y)),
                                                  image.width());
        out.clear();
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        return image.save(&buffer, "JPG", 95);
    };
    QImage probe(320, 240, QImage::Format_RGB32);
    QByteArray encoded;
    if (!encode(probe, encoded) || encoded.isEmpty())
        return false;
    const double pixels = double(bytes) * 320.0 * 240.0 / double(encoded.size());
    const int width = qMin(1280, int(std::sqrt(pixels * 4.0 / 3.0)));
    size = QSize(width, int(pixels / width));
    QImage image(size, QImage::Format_RGB32);
    for (const QString& path : paths) {
        QFile f(path);
        if (!encode(image, encoded) || !f.open(QIODevice::WriteOnly)
            || f.write(encoded) != encoded.size())
            return false;
    }
    return true;
}

QByteArray runCurl(const QStringList& args, bool& ok)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), QStringList{QStringLiteral("-sS"), QStringLiteral("--fail"),
                                                   QStringLiteral("--noproxy"), QStringLiteral("*")}
                                           + args);
    ok = curl.waitForFinished(120000) && curl.exitStatus() == QProcess::NormalExit
        && curl.exitCode() == 0;
    if (!ok)
        std::fprintf(stderr, "curl %s: %s\n", qPrintable(args.join(u' ')),
                     curl.readAllStandardError().constData());
    return curl.readAllStandardOutput();
}

struct V2Target {
    QString api;
    QString blogId;
    QString blogHost;
    QString token;
    QString jsonFile;
};

// What the v2 run does for one file, made by curl.
bool curlExchanges(const QString& file, const V2Target& to)
{
    const QString fileName = QFileInfo(file).fileName();
    PhotoPost post;
    post.caption = QStringLiteral("Bench caption");
    post.tags = QStringLiteral("bench");
    post.state = StatePublishNow;
    post.fileName = fileName;
    QString error;
    const QJsonObject params =
        PhotoPostParameters(post, QStringLiteral("img0"), QStringLiteral("image/jpeg"), &error);
    QFile json(to.jsonFile);
    if (params.isEmpty() || !json.open(QIODevice::WriteOnly)
        || json.write(QJsonDocument(params).toJson(QJsonDocument::Compact)) < 0)
        return false;
    json.close();

    const QString authorization = QStringLiteral("Authorization: Bearer ") + to.token;
    const QString posts = to.api + QStringLiteral("/v2/blog/")
        + QString::fromLatin1(QUrl::toPercentEncoding(to.blogId, ":")) + QStringLiteral("/posts");
    bool ok = false;
    // No "Expect: 100-continue" wait: the program does not make one either.
    const QByteArray created = runCurl(
        {QStringLiteral("-H"), authorization, QStringLiteral("-H"), QStringLiteral("Expect:"),
         QStringLiteral("-F"), QStringLiteral("json=@%1;type=application/json").arg(to.jsonFile),
         QStringLiteral("-F"),
         QStringLiteral("img0=@%1;type=image/jpeg;filename=%2").arg(file, fileName), posts},
        ok);
    const QString id = ok ? CreatedPostId(created) : QString();
    if (id.isEmpty())
        return false;

    const QByteArray read = runCurl({QStringLiteral("-H"), authorization, posts + u'/' + id}, ok);
    QJsonValue response;
    QList<V2Error> errors;
    PostLinks links;
    if (!ok || !ParseV2Envelope(read, response, errors)
        || !ParsePostObject(response.toObject(), to.blogHost, links))
        return false;
    const QByteArray thumbnail = runCurl({links[PostLinks::Picture250]}, ok);
    return ok && !thumbnail.isEmpty();
}

// The same three exchanges made in this process with the HTTP layer alone:
// no account, no queue, no base, no process start.
bool inProcessExchanges(const QString& file, const V2Target& to, IHTTPRequestCallback& callback)
{
    QByteArray data;
    if (!FileObject::readBytes(file, data))
        return false;
    PhotoPost post;
    post.caption = QStringLiteral("Bench caption");
    post.tags = QStringLiteral("bench");
    post.state = StatePublishNow;
    QString error;
    const QJsonObject params =
        PhotoPostParameters(post, QStringLiteral("img0"), QStringLiteral("image/jpeg"), &error);
    RequestFields fields;
    fields.AddTypedField(QStringLiteral("json"), QJsonDocument(params).toJson(QJsonDocument::Compact),
                         QStringLiteral("application/json"));
    fields.AddField(QStringLiteral("img0"), data, QFileInfo(file).fileName(),
                    QStringLiteral("image/jpeg"));
    data = QByteArray();
    QString host, path;
    int port = 0;
    const QString posts = to.api + QStringLiteral("/v2/blog/")
        + QString::fromLatin1(QUrl::toPercentEncoding(to.blogId, ":")) + QStringLiteral("/posts");
    if (!HTTPRequest::ParseURL(posts, host, port, path))
        return false;
    HTTPRequest request;
    request.SetHeader("Authorization", "Bearer " + to.token.toUtf8());
    request.Send(host, port, QStringLiteral("POST"), path, {}, fields.GetContentHeader(),
                 fields.GetContent(), SET_Timeout, HTTPRequest::GetAgentString(), &callback);
    const QString id = CreatedPostId(request.GetResponseBody());
    if (request.HasFailed() || id.isEmpty())
        return false;
    request.Send(host, port, QStringLiteral("GET"), path + u'/' + id, {}, {}, {}, SET_Timeout,
                 HTTPRequest::GetAgentString(), &callback);
    QJsonValue response;
    QList<V2Error> errors;
    PostLinks links;
    if (request.HasFailed() || !ParseV2Envelope(request.GetResponseBody(), response, errors)
        || !ParsePostObject(response.toObject(), to.blogHost, links)
        || !HTTPRequest::ParseURL(links[PostLinks::Picture250], host, port, path))
        return false;
    HTTPRequest picture;
    picture.SetReplyLimit(kPictureReplyLimit);
    picture.Send(host, port, QStringLiteral("GET"), path, {}, {}, {}, SET_Timeout,
                 HTTPRequest::GetAgentString(), &callback);
    return !picture.HasFailed() && !picture.GetResponseBody().isEmpty();
}

// The v2 figures; false when something failed.
bool benchV2(test::StandIn& standin, const QString& root, CStatistics& statistics,
             IUploadRunView& view, IHTTPRequestCallback& callback, bool& peakReset)
{
    ProxySettings noProxy;
    noProxy.enabled = false;
    noProxy.Save();

    ServiceConfig config;
    config.apiAddress = standin.baseUrl();
    config.signInAddress = standin.baseUrl();
    config.clientId = kClientId;
    const quint16 redirectPort = freeLoopbackPort();
    config.redirectAddress = QStringLiteral("http://localhost:%1/redirect").arg(redirectPort);
    if (redirectPort == 0 || !config.Save()
        || !V2Account::SaveClientSecret(kClientId, kClientSecret))
        return false;

    // From the browser's request to the listener to the list of blogs; the
    // time the browser took to get there is the browser's, not the program's.
    QElapsedTimer clock;
    BrowserShell browser(clock);
    setShell(&browser);
    auto account = std::make_shared<V2Account>(config);
    std::vector<double> signInMs, signInTotalMs;
    QList<GroupEntry> groups;
    bool redirectSeen = true;
    for (int i = 0; i < kSignIns; ++i) {
        browser.redirectedAtNs = -1;
        clock.start();
        if (!account->SignIn(nullptr, &callback, 10000) || !account->ListGroups(&callback, groups)
            || groups.isEmpty()) {
            setShell(nullptr);
            std::fprintf(stderr, "the v2 sign-in failed\n");
            return false;
        }
        const qint64 totalNs = clock.nsecsElapsed();
        redirectSeen = redirectSeen && browser.redirectedAtNs >= 0;
        signInTotalMs.push_back(msOf(totalNs));
        signInMs.push_back(msOf(totalNs - qMax<qint64>(0, browser.redirectedAtNs)));
    }
    setShell(nullptr);

    V2Target target;
    target.api = standin.baseUrl();
    target.blogId = groups.first().id;
    target.blogHost = groups.first().text.section(QStringLiteral(" | "), -1);
    target.token = account->Tokens().accessToken;
    target.jsonFile = root + QStringLiteral("/v2-params.json");
    SetCurrentAccount(account);
    SET_GroupId = target.blogId;
    SET_GroupName = target.blogHost;

    const QString pictures = root + QStringLiteral("/pictures-v2");
    QDir().mkpath(pictures);
    QStringList files;
    for (int i = 0; i < kFiles; ++i)
        files.append(pictures + QStringLiteral("/photo%1.jpg").arg(i));
    QSize pictureSize, smallSize;
    const QString small = pictures + QStringLiteral("/warm-up.jpg");
    if (!makeJpegFiles(files, kFileBytes, pictureSize)
        || !makeJpegFiles({small}, 4096, smallSize)) {
        std::fprintf(stderr, "cannot write the v2 pictures\n");
        return false;
    }
    qint64 totalBytes = 0;
    for (const QString& file : files)
        totalBytes += QFileInfo(file).size();
    if (!curlExchanges(small, target)) {
        std::fprintf(stderr, "v2 warm-up failed\n");
        return false;
    }

    // Starting curl is part of every bare exchange (three a picture), so it
    // is shown beside the ratio it weighs on.
    std::vector<double> curlStartMs;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer timer;
        timer.start();
        bool ok = false;
        runCurl({QStringLiteral("--version")}, ok);
        curlStartMs.push_back(msOf(timer.nsecsElapsed()));
    }

    constexpr int kRounds = 3;
    struct Round {
        qint64 runMs, bareMs, inProcessMs;
        double ratio() const { return bareMs > 0 ? double(runMs) / double(bareMs) : 0.0; }
        double inProcessRatio() const
        {
            return inProcessMs > 0 ? double(runMs) / double(inProcessMs) : 0.0;
        }
    };
    QList<Round> rounds;
    qint64 peakAboveIdleKb = 0;
    int left = 0, bareFailures = 0;
    for (int round = 0; round < kRounds; ++round) {
        UploadList list;
        for (const QString& file : files) {
            PostBoxes boxes{QStringLiteral("Bench caption"), QStringLiteral("bench"), {}, false};
            list.PasteToList(file, false, false, boxes);
        }
        list.SaveListedUploads();
        if (list.count() != kFiles)
            return false;

        QElapsedTimer timer;
        timer.start();
        for (const QString& file : files)
            bareFailures += curlExchanges(file, target) ? 0 : 1;
        const qint64 bareBefore = timer.elapsed();

        CUploadRun run(list, view, &statistics);
        peakReset = peakReset && resetPeakRss();
        const qint64 idleKb = statusKb("VmRSS:");
        timer.restart();
        run.Start(StatePublishNow, {});
        const qint64 roundRunMs = timer.elapsed();
        peakAboveIdleKb = qMax(peakAboveIdleKb, statusKb("VmHWM:") - idleKb);
        left += list.count();

        timer.restart();
        for (const QString& file : files)
            bareFailures += curlExchanges(file, target) ? 0 : 1;
        const qint64 bareAfter = timer.elapsed();
        timer.restart();
        for (const QString& file : files)
            bareFailures += inProcessExchanges(file, target, callback) ? 0 : 1;
        rounds.append({roundRunMs, (bareBefore + bareAfter) / 2, timer.elapsed()});
        std::printf("v2_round_%d_ratio: %.2f\n", round + 1, rounds.last().ratio());
    }
    SetCurrentAccount(nullptr);
    SET_GroupId.clear();
    std::sort(rounds.begin(), rounds.end(),
              [](const Round& a, const Round& b) { return a.ratio() < b.ratio(); });
    const Round median = rounds.at(kRounds / 2);

    std::printf("v2_files: %d x %lld bytes (JPEG %d x %d, mean size)\n", kFiles,
                static_cast<long long>(totalBytes / kFiles), pictureSize.width(),
                pictureSize.height());
    std::printf("v2_run_ms: %lld ms\n", static_cast<long long>(median.runMs));
    std::printf("v2_bare_ms: %lld ms\n", static_cast<long long>(median.bareMs));
    std::printf("v2_curl_start_ms: %.1f ms\n", bench::median(curlStartMs));
    std::printf("v2_run_overhead_ratio: %.2f\n", median.ratio());
    std::printf("v2_run_overhead_ratio_goal: 1.30\n");
    // The stricter view: the same exchanges made in process, without
    // curl's start for each.
    std::vector<double> inProcessRatios;
    for (const Round& r : rounds)
        inProcessRatios.push_back(r.inProcessRatio());
    std::printf("v2_bare_in_process_ms: %lld ms\n", static_cast<long long>(median.inProcessMs));
    std::printf("v2_run_overhead_ratio_in_process: %.2f\n", bench::median(inProcessRatios));
    if (peakReset)
        std::printf("v2_run_peak_rss_mb: %.1f MB\n", double(peakAboveIdleKb) / 1024.0);
    else
        std::printf("v2_run_peak_rss_mb: unknown (no /proc/self/clear_refs)\n");
    std::printf("v2_run_peak_rss_goal_mb: %.1f MB\n",
                3.0 * double(kFileBytes) / (1024.0 * 1024.0) + 20.0);
    if (redirectSeen)
        std::printf("v2_signin_ms: %.1f ms\n", bench::median(signInMs));
    else
        std::printf("v2_signin_ms: %.1f ms (whole sign-in: the browser's redirect was not seen)\n",
                    bench::median(signInTotalMs));
    std::printf("v2_signin_total_ms: %.1f ms\n", bench::median(signInTotalMs));
    std::printf("v2_rows_left: %d count\n", left);
    std::printf("v2_failures: %d count\n", bareFailures);
    return left == 0 && bareFailures == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    test::TempProfile profile;
    bench::FailingPrompter prompter;
    ResetSettingsToDefaults();
    SetSecretStore(
        std::make_shared<FileSecretStore>(profile.root() + QStringLiteral("/Ruvia.secrets")));

    test::StandIn standin;
    if (!standin.start({QStringLiteral("--account"), kEmail + u':' + kPassword, QStringLiteral("--blog"),
                        kEmail + QStringLiteral(":benchblog:Bench"), QStringLiteral("--client"),
                        kClientId + u':' + kClientSecret, QStringLiteral("--auto-approve")})) {
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
    std::fflush(stdout);
    const int v1Failures = prompter.failures;

    const bool v2Done = benchV2(standin, profile.root(), statistics, view, callback, peakReset);
    std::printf("v2_messages: %d count\n", prompter.failures - v1Failures);
    return left == 0 && bareFailures == 0 && v2Done && prompter.failures == 0 ? 0 : 1;
}
