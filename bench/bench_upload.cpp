// Posting 20 pictures of 5 MB each to the stand-in service through the proxy:
// our client (WritePost) against curl posting the same form fields.
// Prints "name: value unit" lines; never passes or fails on time.
#include "benchsupport.h"

#include "core/settings.h"
#include "platform/fileio.h"
#include "platform/prompter.h"
#include "platform/proxysettings.h"
#include "service/postsubmit.h"
#include "standin.h"
#include "testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

using namespace ruvia;

namespace {

constexpr int kPictures = 20;
constexpr qint64 kPictureBytes = 5 * 1024 * 1024;
const QString kEmail = QStringLiteral("bench@example.com");
const QString kPassword = QStringLiteral("bench");
const QString kGroup = QStringLiteral("benchblog.tumblr.com");

class CountingCallback : public IHTTPRequestCallback {
public:
    qint64 sent = 0, received = 0;
    void BlockSent(qint64 block, qint64, qint64, bool&) override { sent += block; }
    void BlockReceived(qint64 block, qint64, qint64, bool&) override { received += block; }
};

bool makePicture(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    for (qint64 done = 0; done < kPictureBytes; done += chunk.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(chunk.data()),
                                              chunk.size() / 4);
        if (f.write(chunk) != chunk.size())
            return false;
    }
    return true;
}

// One post through our client: read the file, send it, as the upload run does.
bool clientPost(const QString& file, CountingCallback& callback)
{
    QByteArray data;
    if (!FileObject::readBytes(file, data))
        return false;
    QString id;
    return WritePost(kGroup, kEmail, kPassword, QStringLiteral("Bench caption"),
                     QStringLiteral("bench, upload"), {}, StatePublishNow, {}, data, {},
                     &callback, id);
}

bool curlPost(const QString& file, quint16 port)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                QStringLiteral("-w"), QStringLiteral("%{http_code}"),
                QStringLiteral("-x"), QStringLiteral("127.0.0.1:%1").arg(port),
                QStringLiteral("-F"), QStringLiteral("email=") + kEmail,
                QStringLiteral("-F"), QStringLiteral("password=") + kPassword,
                QStringLiteral("-F"), QStringLiteral("type=photo"),
                QStringLiteral("-F"), QStringLiteral("caption=Bench caption"),
                QStringLiteral("-F"), QStringLiteral("data=<") + file,
                QStringLiteral("-F"), QStringLiteral("generator=") + HTTPRequest::GetAgentString(),
                QStringLiteral("-F"), QStringLiteral("tags=bench, upload"),
                QStringLiteral("-F"), QStringLiteral("group=") + kGroup,
                QStringLiteral("-F"), QStringLiteral("state=published"),
                QStringLiteral("http://www.tumblr.com/api/write")});
    if (!curl.waitForFinished(120000))
        return false;
    return curl.exitCode() == 0 && curl.readAllStandardOutput().trimmed() == "201";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    test::TempProfile profile;
    bench::FailingPrompter prompter;

    QTemporaryDir pictures;
    QStringList files;
    for (int i = 0; i < kPictures; ++i) {
        files.append(pictures.filePath(QStringLiteral("picture%1.bin").arg(i)));
        if (!makePicture(files.last())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(files.last()));
            return 1;
        }
    }

    test::StandIn standin;
    if (!standin.start({QStringLiteral("--account"), kEmail + u':' + kPassword,
                        QStringLiteral("--blog"), kEmail + QStringLiteral(":benchblog:Bench")})) {
        std::fprintf(stderr, "the stand-in did not start: %s\n", qPrintable(standin.errorOutput()));
        return 1;
    }
    ProxySettings proxy;
    proxy.enabled = true;
    proxy.host = test::StandIn::host();
    proxy.port = standin.port();
    proxy.Save();

    // One of each first, so neither pays for a cold start.
    CountingCallback callback;
    if (!clientPost(files.first(), callback) || !curlPost(files.first(), standin.port())) {
        std::fprintf(stderr, "warm-up post failed\n");
        return 1;
    }

    int clientFailures = 0;
    QElapsedTimer clock;
    clock.start();
    for (const QString& file : files)
        clientFailures += clientPost(file, callback) ? 0 : 1;
    const qint64 clientMs = clock.elapsed();
    const double peakMb = bench::statusMb("VmHWM");

    int curlFailures = 0;
    clock.restart();
    for (const QString& file : files)
        curlFailures += curlPost(file, standin.port()) ? 0 : 1;
    const qint64 curlMs = clock.elapsed();

    std::printf("pictures: %d x %lld bytes\n", kPictures, static_cast<long long>(kPictureBytes));
    std::printf("client_ms: %lld ms\n", static_cast<long long>(clientMs));
    std::printf("curl_ms: %lld ms\n", static_cast<long long>(curlMs));
    std::printf("ratio: %.2f\n", curlMs > 0 ? double(clientMs) / double(curlMs) : 0.0);
    std::printf("client_peak_rss_mb: %.1f MB\n", peakMb);
    std::printf("client_peak_rss_goal_mb: %.1f MB\n",
                3.0 * double(kPictureBytes) / (1024.0 * 1024.0) + 60.0);
    std::printf("client_failures: %d count\n", clientFailures + prompter.failures);
    std::printf("curl_failures: %d count\n", curlFailures);
    return clientFailures + curlFailures + prompter.failures == 0 ? 0 : 1;
}
