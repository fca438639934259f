#pragma once
// The stand-in of the v1 web interface: accounts, blogs, posts and pictures,
// the request log and the faults armed by tests.
#include "httpserver.h"
#include "pictures.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <future>

class QNetworkAccessManager;
class QTimer;

namespace standin {

class Form;
class V2Service;

// Caption text without its HTML, and the slug made of it.
QString stripTags(const QString& html);
QString makeSlug(const QString& caption);

struct Blog {
    QString name;
    QString uuid; // stays when the blog is renamed
    QString title;
    bool isPrivate = false;
    QString privateId;
    QString cname;
    QString url; // replaces the url attribute when set
    QString timezone = QStringLiteral("US/Eastern");
    QString description;
    bool primary = false;

    QString host() const;
};

struct Account {
    QString email;
    QString password;
    QList<Blog> blogs;
};

struct Post {
    QString id;
    QString blog;
    QString owner;
    QString state;
    bool isPrivate = false;
    QString caption;
    QString linkUrl;
    QStringList tags;
    QString slug;
    QString format;
    QString generator;
    QDateTime date;
    QString publishOn;
    int width = 0;
    int height = 0;
    bool generated = false;
    QString source;
    QString dataSha256;
    QString originalFileName; // of the posted data part
    QString key;
    QString extension;
    int media = 0;
    QStringList sizeLabels; // one per photoSizes() entry
    QString reblogKey;

    QString fileName(const QString& label) const;
    QString pictureUrl(const QString& label) const;
    QJsonObject toJson() const;
    static Post fromJson(const QJsonObject& o);
};

class Service : public QObject, public RequestHandler {
    Q_OBJECT
public:
    explicit Service(QObject* parent = nullptr);

    V2Service& v2() { return *m_v2; }

    void setPort(quint16 port) { m_port = port; }
    bool addAccount(const QString& email, const QString& password, QString* error);
    bool addBlogSpec(const QString& spec, QString* error);
    bool addAccountJson(const QJsonObject& account, QString* error);
    // The demo account and its posts; after setDataDir, so that posts kept
    // there from an earlier start are not added twice.
    void addDemo();
    bool setDataDir(const QString& dir, QString* error);
    bool addFault(const QJsonObject& fault, QString* error);

    bool onHead(HttpConnection* connection, const HttpRequest& request, int* readBytes,
                int* readDelayMs) override;
    void onRequest(HttpConnection* connection, HttpRequest& request) override;

private:
    friend class V2Service;

    struct Fault {
        QJsonObject spec;
        QString endpoint;
        QString host;
        QString kind;
        int remaining = 1; // < 0: always
    };
    struct WriteJob;
    using Hash = std::shared_future<QByteArray>;
    // Hashing and scaling of large pictures run on worker threads so that a
    // client posting many pictures is not held up; their results are put in
    // place by settle().
    struct PendingHash {
        qint64 seq = 0;
        QString list; // "fields" or "queryFields"
        int index = 0;
        Hash hash;
    };
    struct PendingPost {
        QString id;
        Hash dataHash;
        std::shared_future<PictureSet> pictures;
    };

    static QString endpointOf(const HttpRequest& request);
    QJsonObject takeFault(const QString& endpoint, const QString& host);
    // The log entry of that request, or nullptr once the log was cleared.
    QJsonObject* logEntry(qint64 seq);
    void reply(HttpConnection* connection, HttpResponse response, const Pacing& pacing = {});
    void replyText(HttpConnection* connection, int status, const QByteArray& text,
                   const Pacing& pacing = {});
    bool applyFault(HttpConnection* connection, const HttpRequest& request, const QJsonObject& fault,
                    Pacing* pacing);
    void logFields(qint64 seq, const Form& body, const Form& query, qsizetype bodySize);
    static Hash hashLater(const QByteArray& bytes);
    void settle(bool wait);
    void storeFiles(Post& post, const PictureSet& set);

    void handleControl(HttpConnection* connection, const HttpRequest& request);
    void handleAuthenticate(HttpConnection* connection, const Form& form, const Pacing& pacing);
    void handleWrite(HttpConnection* connection, const Form& form, const Pacing& pacing);
    void finishWrite(WriteJob job, const QByteArray& data, bool fetched, Hash dataHash = {});
    void handleRead(HttpConnection* connection, const HttpRequest& request, const Form& form,
                    const Pacing& pacing, const QList<int>& onlySizes);
    void handlePicture(HttpConnection* connection, const HttpRequest& request, const Pacing& pacing);

    Account* findAccount(const QString& email);
    Account* checkCredentials(const Form& form);
    const Blog* blogByHost(const QString& host, const Account** owner = nullptr) const;
    const Blog* blogByName(const QString& name) const;
    const Blog* groupOf(const Account& account, const QString& group) const;
    const Post* findPost(const QString& id) const;
    bool visible(const Post& post, const Account* reader) const;
    QByteArray readXml(const Blog* blog, const QString& host, const QList<const Post*>& posts,
                       int start, int total, const QString& type, bool textFilter,
                       const QList<int>& onlySizes) const;
    QString newPostId();
    // Draws a demo post's file the first time it is asked for.
    QByteArray pictureBytes(const QString& fileName);
    void storePicture(const QString& fileName, const QByteArray& bytes);
    void savePosts() const;

    QList<Account> m_accounts;
    QList<Post> m_posts;
    QHash<QString, QByteArray> m_pictures; // file name -> bytes, without a data folder
    QString m_dataDir;
    qint64 m_lastId = 0;
    QList<PendingHash> m_pendingHashes;
    QList<PendingPost> m_pendingPosts;
    QHash<QByteArray, Hash> m_requestHashes; // large fields of the request being handled
    QTimer* m_settleTimer = nullptr;
    QList<Fault> m_faults;
    QList<QJsonObject> m_log;
    qint64 m_seq = 0;
    quint16 m_port = 0;
    QNetworkAccessManager* m_network = nullptr;
    V2Service* m_v2 = nullptr;
};

} // namespace standin
