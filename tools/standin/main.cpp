// ruvia-standin: a local stand-in of the Tumblr v1 web interface for tests
// and for trying the program without an account. See README.md.
#include "httpserver.h"
#include "service.h"
#include "v2service.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"ruvia-standin"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Local stand-in of the Tumblr v1 web interface and API v2."_s);
    parser.addHelpOption();
    const QCommandLineOption port(u"port"_s, u"Port to listen on (0: any free port)."_s, u"N"_s,
                                  u"0"_s);
    const QCommandLineOption account(u"account"_s, u"Adds an account."_s, u"email:password"_s);
    const QCommandLineOption blog(u"blog"_s, u"Adds a blog to an account."_s,
                                  u"email:name:title[:private]"_s);
    const QCommandLineOption demo(u"demo"_s, u"Adds the demo account demo@example.com / demo."_s);
    const QCommandLineOption data(u"data"_s, u"Keeps posts and pictures in this folder."_s,
                                  u"DIR"_s);
    const QCommandLineOption fault(u"fault"_s, u"Arms a fault (JSON object)."_s, u"JSON"_s);
    const QCommandLineOption idle(u"idle-timeout"_s,
                                  u"Closes a connection that moves no byte this long."_s, u"MS"_s,
                                  u"60000"_s);
    const QCommandLineOption client(
        u"client"_s, u"Registers an OAuth 2 application (repeatable)."_s, u"id:secret"_s);
    const QCommandLineOption autoApprove(
        u"auto-approve"_s, u"The sign-in page approves at once, as the first account."_s);
    const QCommandLineOption autoApproveAs(
        u"auto-approve-as"_s, u"The account --auto-approve signs in as."_s, u"email"_s);
    const QCommandLineOption tokenLifetime(
        u"token-lifetime"_s, u"Access token lifetime (default 2520)."_s, u"seconds"_s, u"2520"_s);
    const QCommandLineOption refreshLifetime(u"refresh-lifetime"_s,
                                             u"Refresh token lifetime (default 42 days)."_s,
                                             u"seconds"_s, QString::number(42 * 24 * 3600));
    parser.addOptions({port, account, blog, demo, data, fault, idle, client, autoApprove,
                       autoApproveAs, tokenLifetime, refreshLifetime});
    parser.process(app);

    auto die = [](const QString& message) {
        std::fprintf(stderr, "ruvia-standin: %s\n", message.toLocal8Bit().constData());
        return 2;
    };

    standin::Service service;
    QString error;
    if (parser.isSet(data) && !service.setDataDir(parser.value(data), &error))
        return die(error);
    if (parser.isSet(demo)) {
        service.addDemo();
        service.v2().addClient(u"demo-client"_s, u"demo-secret"_s);
    }
    for (const QString& spec : parser.values(client))
        if (!service.v2().addClientSpec(spec, &error))
            return die(error);
    service.v2().setAutoApprove(parser.isSet(autoApprove) || parser.isSet(autoApproveAs),
                                parser.value(autoApproveAs));
    for (const auto& [option, set] :
         {std::pair{&tokenLifetime, &standin::V2Service::setTokenLifetime},
          std::pair{&refreshLifetime, &standin::V2Service::setRefreshLifetime}}) {
        bool valid = false;
        const qint64 seconds = parser.value(*option).toLongLong(&valid);
        if (!valid || seconds < 0)
            return die(u"bad --"_s + option->names().first());
        (service.v2().*set)(seconds);
    }
    for (const QString& spec : parser.values(account)) {
        const qsizetype colon = spec.indexOf(u':');
        if (colon <= 0)
            return die(u"--account wants email:password, got "_s + spec);
        if (!service.addAccount(spec.left(colon), spec.mid(colon + 1), &error))
            return die(error);
    }
    for (const QString& spec : parser.values(blog))
        if (!service.addBlogSpec(spec, &error))
            return die(error);
    for (const QString& spec : parser.values(fault)) {
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(spec.toUtf8(), &parseError);
        if (!doc.isObject())
            return die(u"--fault wants a JSON object: "_s + spec);
        if (!service.addFault(doc.object(), &error))
            return die(error);
    }
    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber > 65535)
        return die(u"bad --port"_s);

    const int idleMs = parser.value(idle).toInt(&ok);
    if (!ok || idleMs < 0)
        return die(u"bad --idle-timeout"_s);

    // A test that aborts must not leave its stand-in running: when the
    // process that started it ends, it ends too.
    const pid_t parent = getppid();
    QTimer orphanCheck;
    QObject::connect(&orphanCheck, &QTimer::timeout, &app, [parent] {
        if (getppid() != parent)
            QCoreApplication::exit(0);
    });
    orphanCheck.start(200);

    standin::HttpServer server(&service, idleMs);
    if (!server.listen(quint16(portNumber)))
        return die(u"cannot listen: "_s + server.errorString());
    service.setPort(server.port());
    std::printf("listening on 127.0.0.1:%u\n", unsigned(server.port()));
    std::fflush(stdout);
    return app.exec();
}
