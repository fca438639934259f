// Figures of the demo content: how long the stand-in takes to start with
// --demo, to draw a demo picture the first time it is asked for, and how
// long ruvia-demoprofile takes to make a profile. One line per figure,
// "name: value unit"; each the median of several runs.
#include "benchsupport.h"
#include "standin.h"
#include "testenv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <vector>

using ruvia::test::StandIn;
using ruvia::bench::median;
using ruvia::bench::print;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList demo{QStringLiteral("--demo")};

    std::vector<double> starts;
    std::vector<double> freshDataStarts;
    for (int run = 0; run < 5; ++run) {
        StandIn standin;
        QElapsedTimer timer;
        timer.start();
        if (!standin.start(demo))
            return 1;
        starts.push_back(double(timer.nsecsElapsed()) / 1e6);

        QTemporaryDir data;
        StandIn kept;
        timer.restart();
        if (!kept.start(demo + QStringList{QStringLiteral("--data"), data.path()}))
            return 1;
        freshDataStarts.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    print("standin_demo_start_ms", median(starts), "ms");
    print("standin_demo_start_fresh_data_ms", median(freshDataStarts), "ms");

    StandIn standin;
    if (!standin.start(demo))
        return 1;
    std::vector<double> thumbnails;
    std::vector<double> pictures;
    for (const QJsonValue& v : standin.posts()) {
        const QJsonObject urls = v.toObject().value(QStringLiteral("urls")).toObject();
        for (const char* size : {"250", "1280"}) {
            const QString path = QUrl(urls.value(QLatin1StringView(size)).toString()).path();
            QElapsedTimer timer;
            timer.start();
            int status = 0;
            standin.control("GET", path, {}, &status);
            if (status != 200)
                return 1;
            (size[0] == '2' ? thumbnails : pictures).push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    print("demo_thumbnail_first_fetch_ms", median(thumbnails), "ms");
    print("demo_picture_1280_first_fetch_ms", median(pictures), "ms");

    std::vector<double> profiles;
    for (int run = 0; run < 3; ++run) {
        ruvia::test::TempProfile profile;
        StandIn fresh;
        if (!fresh.start(demo))
            return 1;
        QProcess tool;
        tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer timer;
        timer.start();
        tool.start(ruvia::test::binDir() + QStringLiteral("/ruvia-demoprofile"),
                   {QStringLiteral("--port"), QString::number(fresh.port())});
        if (!tool.waitForFinished(120000) || tool.exitCode() != 0)
            return 1;
        profiles.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    print("demoprofile_make_ms", median(profiles), "ms");
    return 0;
}
