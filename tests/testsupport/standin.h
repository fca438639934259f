#pragma once
// Starts the stand-in service (ruvia-standin) for a test and talks to its
// control interface. The process is killed when the object goes away.
// Fault objects and the request log are described in tools/standin/README.md.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

namespace ruvia::test {

class StandIn {
public:
    StandIn() = default;
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    // Runs <binDir()>/ruvia-standin --port 0 <args> and waits for its
    // "listening on" line. Typical args: {"--demo"} or
    // {"--account", "a@b.c:pw", "--blog", "a@b.c:mainblog:Main Blog"}.
    bool start(const QStringList& args = {});
    void stop();
    bool isRunning() const;

    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    // "127.0.0.1": set it with port() as the client's HTTP proxy.
    static QString host() { return QStringLiteral("127.0.0.1"); }
    // "http://127.0.0.1:PORT"
    QString baseUrl() const;
    // Everything the process wrote on stderr so far (for failure messages).
    QString errorOutput();

    // Every request received since the last clear, oldest first.
    QJsonArray requests();
    // The requests whose endpoint is "authenticate", "write", "read",
    // "picture" or "other".
    QJsonArray requests(const QString& endpoint);
    bool clearRequests();
    bool addFault(const QJsonObject& fault);
    bool clearFaults();
    // The faults still armed, with their remaining counts.
    QJsonArray faults();
    // Every stored post, oldest first.
    QJsonArray posts();
    // {"email":..., "password":..., "blogs":[{"name":..., "title":..., ...}]}
    bool addAccount(const QJsonObject& account);

    // The named fields of a logged request, in the order received.
    static QJsonArray fields(const QJsonObject& request);
    static QStringList fieldNames(const QJsonObject& request);
    // The first field with this name ({} when absent).
    static QJsonObject field(const QJsonObject& request, const QString& name);
    // Its raw bytes (decoded from the log's base64; empty for large fields).
    static QByteArray fieldBytes(const QJsonObject& request, const QString& name);

    // One raw control call: returns the body, sets *status (0 on a
    // transport failure). path starts with "/_standin/",
    // or is a picture's path ("/tumblr_...").
    QByteArray control(const QByteArray& method, const QString& path,
                       const QByteArray& body = {}, int* status = nullptr);

private:
    QProcess m_process;
    quint16 m_port = 0;
    // stderr goes to a file: a full pipe would stall the server.
    QTemporaryFile m_stderrFile;
};

} // namespace ruvia::test
