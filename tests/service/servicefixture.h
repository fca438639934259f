#pragma once
// What the service tests share: pointing the client's proxy at the stand-in
// and a callback that records the block reports and cancels on demand.
#include "platform/httprequest.h"
#include "platform/proxysettings.h"
#include "service/uploadstatus.h"
#include "scriptedprompter.h"
#include "standin.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTest>

#include <functional>

namespace ruvia::test {

// The client reaches the stand-in only through its ordinary proxy setting.
inline bool pointProxyAt(quint16 port)
{
    ProxySettings proxy;
    proxy.enabled = true;
    proxy.host = StandIn::host();
    proxy.port = port;
    return proxy.Save();
}

// A JSON object written with single quotes for readability:
// json("{'endpoint':'read','kind':'status','status':408}").
inline QJsonObject json(const char* text)
{
    QByteArray bytes(text);
    bytes.replace('\'', '"');
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(bytes, &error).object();
    if (error.error != QJsonParseError::NoError)
        qFatal("bad JSON in test: %s", text);
    return o;
}

class RecordingCallback : public IHTTPRequestCallback {
public:
    struct Report {
        qint64 block, done, total;
    };
    QList<Report> sent, received;
    // Cancel once this many bytes went that way (-1: never).
    qint64 cancelAfterSent = -1;
    qint64 cancelAfterReceived = -1;

    void BlockSent(qint64 block, qint64 done, qint64 total, bool& cancel) override
    {
        sent.append({block, done, total});
        QCoreApplication::processEvents();
        cancel = cancelAfterSent >= 0 && done >= cancelAfterSent;
    }
    void BlockReceived(qint64 block, qint64 done, qint64 total, bool& cancel) override
    {
        received.append({block, done, total});
        QCoreApplication::processEvents();
        cancel = cancelAfterReceived >= 0 && done >= cancelAfterReceived;
    }
    static qint64 sum(const QList<Report>& reports)
    {
        qint64 s = 0;
        for (const Report& r : reports)
            s += r.block;
        return s;
    }
};

// Runs a step (clearing the stand-in's faults, say) each time a question is
// asked, before answering it from the queue.
class HookedPrompter : public ScriptedPrompter {
public:
    std::function<void()> onAsk;
    int ask(const Message& message) override
    {
        if (onAsk)
            onAsk();
        return ScriptedPrompter::ask(message);
    }
};

class RecordingIndicator : public IUploadStatusIndicator {
public:
    RecordingIndicator() { SetUploadStatusIndicator(this); }
    ~RecordingIndicator() override { SetUploadStatusIndicator(nullptr); }
    void SetStatusColor(int state) override { states.append(state); }
    QList<int> states;
};

} // namespace ruvia::test
