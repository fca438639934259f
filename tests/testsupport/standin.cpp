#include "standin.h"

#include "testenv.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTcpSocket>

namespace ruvia::test {

namespace {
constexpr int kStartTimeoutMs = 15000;
constexpr int kControlTimeoutMs = 15000;
} // namespace

StandIn::~StandIn()
{
    stop();
}

bool StandIn::start(const QStringList& args)
{
    stop();
    m_port = 0;
    if (!m_stderrFile.isOpen() && !m_stderrFile.open())
        return false;
    m_stderrFile.resize(0);
    m_process.setProgram(binDir() + QStringLiteral("/ruvia-standin"));
    m_process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(m_stderrFile.fileName());
    m_process.start();
    if (!m_process.waitForStarted(kStartTimeoutMs))
        return false;
    const QByteArray prefix = "listening on 127.0.0.1:";
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith(prefix)) {
                bool ok = false;
                const uint port = line.mid(prefix.size()).toUInt(&ok);
                if (ok && port > 0 && port < 65536) {
                    m_port = quint16(port);
                    return true;
                }
            }
        }
        if (m_process.state() != QProcess::Running)
            break;
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    stop();
    return false;
}

void StandIn::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    m_port = 0;
}

bool StandIn::isRunning() const
{
    return m_process.state() == QProcess::Running && m_port != 0;
}

QString StandIn::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QString StandIn::errorOutput()
{
    QFile file(m_stderrFile.fileName());
    if (m_stderrFile.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QByteArray StandIn::control(const QByteArray& method, const QString& path, const QByteArray& body,
                            int* status)
{
    if (status)
        *status = 0;
    if (m_port == 0)
        return {};
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), m_port);
    if (!socket.waitForConnected(kControlTimeoutMs))
        return {};
    QByteArray request = method + ' ' + path.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                         QByteArray::number(m_port) +
                         "\r\nConnection: close\r\nContent-Type: application/json\r\n"
                         "Content-Length: " +
                         QByteArray::number(body.size()) + "\r\n\r\n" + body;
    socket.write(request);
    QByteArray reply;
    QDeadlineTimer deadline(kControlTimeoutMs);
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        reply += socket.readAll();
    }
    reply += socket.readAll();
    const qsizetype headEnd = reply.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return {};
    const QList<QByteArray> statusLine = reply.left(reply.indexOf("\r\n")).split(' ');
    if (status && statusLine.size() >= 2)
        *status = statusLine.at(1).toInt();
    return reply.mid(headEnd + 4);
}

QJsonArray StandIn::requests()
{
    return QJsonDocument::fromJson(control("GET", QStringLiteral("/_standin/requests"))).array();
}

QJsonArray StandIn::requests(const QString& endpoint)
{
    QJsonArray result;
    for (const QJsonValue& entry : requests())
        if (entry.toObject().value(QStringLiteral("endpoint")).toString() == endpoint)
            result.append(entry);
    return result;
}

bool StandIn::clearRequests()
{
    int status = 0;
    control("POST", QStringLiteral("/_standin/requests/clear"), {}, &status);
    return status == 200;
}

bool StandIn::addFault(const QJsonObject& fault)
{
    int status = 0;
    control("POST", QStringLiteral("/_standin/faults"),
            QJsonDocument(fault).toJson(QJsonDocument::Compact), &status);
    return status == 200;
}

bool StandIn::clearFaults()
{
    int status = 0;
    control("POST", QStringLiteral("/_standin/faults/clear"), {}, &status);
    return status == 200;
}

QJsonArray StandIn::faults()
{
    return QJsonDocument::fromJson(control("GET", QStringLiteral("/_standin/faults"))).array();
}

QJsonArray StandIn::posts()
{
    return QJsonDocument::fromJson(control("GET", QStringLiteral("/_standin/posts"))).array();
}

bool StandIn::addAccount(const QJsonObject& account)
{
    int status = 0;
    control("POST", QStringLiteral("/_standin/accounts"),
            QJsonDocument(account).toJson(QJsonDocument::Compact), &status);
    return status == 200;
}

QJsonArray StandIn::fields(const QJsonObject& request)
{
    return request.value(QStringLiteral("fields")).toArray();
}

QStringList StandIn::fieldNames(const QJsonObject& request)
{
    QStringList names;
    for (const QJsonValue& f : fields(request))
        names.append(f.toObject().value(QStringLiteral("name")).toString());
    return names;
}

QJsonObject StandIn::field(const QJsonObject& request, const QString& name)
{
    for (const QJsonValue& f : fields(request))
        if (f.toObject().value(QStringLiteral("name")).toString() == name)
            return f.toObject();
    return {};
}

QByteArray StandIn::fieldBytes(const QJsonObject& request, const QString& name)
{
    return QByteArray::fromBase64(
        field(request, name).value(QStringLiteral("base64")).toString().toLatin1());
}

} // namespace ruvia::test
