#include "service.h"

#include "demo.h"
#include "formdata.h"
#include "v2service.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>
#include <QStringDecoder>
#include <QTimeZone>
#include <QUrl>
#include <QXmlStreamWriter>

using namespace Qt::StringLiterals;

namespace standin {

namespace {
constexpr qsizetype kSmallField = 64 * 1024;
// The raw bytes a log entry keeps of its fields, all together.
constexpr qsizetype kLoggedBytes = 64 * 1024;
constexpr int kDefaultReadCount = 20;
constexpr int kMaxReadCount = 50;
constexpr int kFetchTimeoutMs = 30000;

const QByteArray kTextPlain = "text/plain; charset=utf-8";
const QByteArray kTextXml = "text/xml; charset=UTF-8";

QString randomText(int length, bool digitsToo = true)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const int range = digitsToo ? 62 : 52;
    QString text;
    for (int i = 0; i < length; ++i)
        text += QLatin1Char(letters[QRandomGenerator::global()->bounded(range)]);
    return text;
}

} // namespace

QString stripTags(const QString& html)
{
    static const QRegularExpression tag(u"<[^>]*>"_s);
    QString text = html;
    text.remove(tag);
    text.replace(u"&lt;"_s, u"<"_s)
        .replace(u"&gt;"_s, u">"_s)
        .replace(u"&quot;"_s, u"\""_s)
        .replace(u"&#39;"_s, u"'"_s)
        .replace(u"&nbsp;"_s, u" "_s)
        .replace(u"&amp;"_s, u"&"_s);
    return text;
}

QString makeSlug(const QString& caption)
{
    QString slug;
    for (QChar c : stripTags(caption).toLower()) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
            slug += c;
        else if (!slug.isEmpty() && !slug.endsWith(u'-'))
            slug += u'-';
    }
    slug.truncate(60);
    while (slug.endsWith(u'-'))
        slug.chop(1);
    return slug;
}

namespace {

QStringList parseTags(const QString& text)
{
    QStringList tags;
    QString current;
    bool quoted = false;
    auto flush = [&] {
        QString tag = current.trimmed();
        if (tag.size() >= 2 && tag.startsWith(u'"') && tag.endsWith(u'"'))
            tag = tag.mid(1, tag.size() - 2).trimmed();
        if (!tag.isEmpty())
            tags.append(tag);
        current.clear();
    };
    for (QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        if (c == u',' && !quoted)
            flush();
        else
            current += c;
    }
    flush();
    return tags;
}

QTimeZone zoneOf(const QString& name)
{
    QTimeZone zone(name.toLatin1());
    if (!zone.isValid() && name == u"US/Eastern")
        zone = QTimeZone("America/New_York");
    if (!zone.isValid())
        zone = QTimeZone(-5 * 3600);
    return zone;
}

// Blog-local date texts as people type them; false when unreadable.
bool parseLocalDate(const QString& text, const QTimeZone& zone, QDateTime* result)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (Qt::DateFormat f : {Qt::ISODate, Qt::RFC2822Date}) {
        QDateTime d = QDateTime::fromString(t, f);
        if (d.isValid()) {
            if (d.timeSpec() == Qt::LocalTime)
                d = QDateTime(d.date(), d.time(), zone);
            *result = d;
            return true;
        }
    }
    static const char* const formats[] = {
        "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd",         "MM/dd/yyyy HH:mm:ss",
        "MM/dd/yyyy HH:mm",    "MM/dd/yyyy h:mm AP", "MM/dd/yyyy h:mmAP", "MM/dd/yyyy",
    };
    for (const char* format : formats) {
        const QDateTime d = QDateTime::fromString(t, QString::fromLatin1(format));
        if (d.isValid()) {
            *result = QDateTime(d.date(), d.time(), zone);
            return true;
        }
    }
    const QDate day = QDate::fromString(t, u"yyyy-MM-dd"_s);
    if (day.isValid()) {
        *result = QDateTime(day, QTime(0, 0), zone);
        return true;
    }
    return false;
}

QByteArray sha256Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QJsonObject fieldJson(const FormField& f, bool keepBytes)
{
    QJsonObject o;
    o.insert(u"name"_s, QString::fromUtf8(f.name));
    if (keepBytes) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(f.value);
        if (!decoder.hasError())
            o.insert(u"value"_s, text);
        o.insert(u"base64"_s, QString::fromLatin1(f.value.toBase64()));
    }
    o.insert(u"size"_s, f.value.size());
    if (f.value.size() < kSmallField)
        o.insert(u"sha256"_s, QString::fromLatin1(sha256Hex(f.value)));
    if (f.isFile)
        o.insert(u"filename"_s, QString::fromUtf8(f.filename));
    if (!f.contentType.isEmpty())
        o.insert(u"contentType"_s, QString::fromUtf8(f.contentType));
    return o;
}


QByteArray htmlPage(int status)
{
    const QByteArray reason = reasonPhrase(status);
    return "<!DOCTYPE html>\n<html>\n<head>\n<title>" + QByteArray::number(status) + ' ' + reason +
           "</title>\n</head>\n<body>\n<h1>" + reason +
           "</h1>\n<p>The server could not answer this request.</p>\n</body>\n</html>\n";
}

const QByteArray kMaintenancePage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
    "<head>\n<title>Maintenance</title>\n</head>\n"
    "<body>\n<h1>Down for maintenance</h1>\n<p>We will be back shortly.</p>\n</body>\n"
    "</html>\n";

const QStringList kKinds{u"redirect"_s, u"status"_s,      u"empty"_s,  u"body"_s,
                         u"nonxml"_s,   u"maintenance"_s, u"delay"_s,  u"slow"_s,
                         u"drop"_s,     u"sizes"_s,       u"v2error"_s};
const QStringList kEndpoints{u"authenticate"_s, u"write"_s, u"read"_s,     u"picture"_s,
                             u"authorize"_s,    u"token"_s, u"userinfo"_s, u"create"_s,
                             u"post"_s,         u"posts"_s, u"any"_s};

void addHeaders(HttpResponse& response, const QJsonObject& headers)
{
    for (auto it = headers.begin(); it != headers.end(); ++it)
        response.headers.insert(response.headers.size() - 1,
                                {it.key().toUtf8(), it.value().toVariant().toString().toUtf8()});
}
} // namespace

QString Blog::host() const
{
    return cname.isEmpty() ? name + u".tumblr.com"_s : cname;
}

QString Post::fileName(const QString& label) const
{
    return u"tumblr_"_s + key + u"o1_"_s + label + u'.' + extension;
}

QString Post::pictureUrl(const QString& label) const
{
    return u"http://%1.media.tumblr.com/"_s.arg(media) + fileName(label);
}

QJsonObject Post::toJson() const
{
    QJsonObject o;
    o.insert(u"id"_s, id);
    o.insert(u"blog"_s, blog);
    o.insert(u"owner"_s, owner);
    o.insert(u"state"_s, state);
    o.insert(u"private"_s, isPrivate);
    o.insert(u"caption"_s, caption);
    o.insert(u"linkUrl"_s, linkUrl);
    o.insert(u"tags"_s, QJsonArray::fromStringList(tags));
    o.insert(u"slug"_s, slug);
    o.insert(u"format"_s, format);
    o.insert(u"generator"_s, generator);
    o.insert(u"date"_s, date.toUTC().toString(Qt::ISODate));
    o.insert(u"publishOn"_s, publishOn);
    o.insert(u"width"_s, width);
    o.insert(u"height"_s, height);
    o.insert(u"generated"_s, generated);
    o.insert(u"source"_s, source);
    o.insert(u"dataSha256"_s, dataSha256);
    o.insert(u"originalFileName"_s, originalFileName);
    o.insert(u"key"_s, key);
    o.insert(u"extension"_s, extension);
    o.insert(u"media"_s, media);
    o.insert(u"sizeLabels"_s, QJsonArray::fromStringList(sizeLabels));
    o.insert(u"reblogKey"_s, reblogKey);
    QJsonObject urls;
    for (qsizetype i = 0; i < photoSizes().size() && i < sizeLabels.size(); ++i)
        urls.insert(QString::number(photoSizes().at(i)), pictureUrl(sizeLabels.at(i)));
    o.insert(u"urls"_s, urls);
    return o;
}

Post Post::fromJson(const QJsonObject& o)
{
    Post p;
    p.id = o.value(u"id"_s).toString();
    p.blog = o.value(u"blog"_s).toString();
    p.owner = o.value(u"owner"_s).toString();
    p.state = o.value(u"state"_s).toString();
    p.isPrivate = o.value(u"private"_s).toBool();
    p.caption = o.value(u"caption"_s).toString();
    p.linkUrl = o.value(u"linkUrl"_s).toString();
    for (const QJsonValue& t : o.value(u"tags"_s).toArray())
        p.tags.append(t.toString());
    p.slug = o.value(u"slug"_s).toString();
    p.format = o.value(u"format"_s).toString();
    p.generator = o.value(u"generator"_s).toString();
    p.date = QDateTime::fromString(o.value(u"date"_s).toString(), Qt::ISODate).toUTC();
    p.publishOn = o.value(u"publishOn"_s).toString();
    p.width = o.value(u"width"_s).toInt();
    p.height = o.value(u"height"_s).toInt();
    p.generated = o.value(u"generated"_s).toBool();
    p.source = o.value(u"source"_s).toString();
    p.dataSha256 = o.value(u"dataSha256"_s).toString();
    p.originalFileName = o.value(u"originalFileName"_s).toString();
    p.key = o.value(u"key"_s).toString();
    p.extension = o.value(u"extension"_s).toString();
    p.media = o.value(u"media"_s).toInt();
    for (const QJsonValue& t : o.value(u"sizeLabels"_s).toArray())
        p.sizeLabels.append(t.toString());
    p.reblogKey = o.value(u"reblogKey"_s).toString();
    return p;
}

struct Service::WriteJob {
    QPointer<HttpConnection> connection;
    Pacing pacing;
    QString owner;
    QString blog;
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
    QString source;
    QString originalFileName;
};

Service::Service(QObject* parent) : QObject(parent)
{
    m_settleTimer = new QTimer(this);
    m_settleTimer->setInterval(20);
    connect(m_settleTimer, &QTimer::timeout, this, [this] { settle(false); });
    m_v2 = new V2Service(this);
}

Service::Hash Service::hashLater(const QByteArray& bytes)
{
    // The bytes go as soon as they are hashed, not with the last copy of the future.
    return std::async(std::launch::async, [data = bytes]() mutable {
               const QByteArray hash = sha256Hex(data);
               data = QByteArray();
               return hash;
           }).share();
}

void Service::settle(bool wait)
{
    auto ready = [wait](const auto& future) {
        return !future.valid() || wait ||
               future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    for (qsizetype i = 0; i < m_pendingHashes.size();) {
        const PendingHash& h = m_pendingHashes.at(i);
        if (!ready(h.hash)) {
            ++i;
            continue;
        }
        if (QJsonObject* entry = logEntry(h.seq)) {
            QJsonArray list = entry->value(h.list).toArray();
            QJsonObject field = list.at(h.index).toObject();
            field.insert(u"sha256"_s, QString::fromLatin1(h.hash.get()));
            list.replace(h.index, field);
            entry->insert(h.list, list);
        }
        m_pendingHashes.removeAt(i);
    }
    for (qsizetype i = 0; i < m_pendingPosts.size();) {
        const PendingPost pending = m_pendingPosts.at(i);
        if (!ready(pending.dataHash) || !ready(pending.pictures)) {
            ++i;
            continue;
        }
        m_pendingPosts.removeAt(i);
        for (Post& p : m_posts)
            if (p.id == pending.id) {
                if (pending.dataHash.valid())
                    p.dataSha256 = QString::fromLatin1(pending.dataHash.get());
                if (pending.pictures.valid())
                    storeFiles(p, pending.pictures.get());
                break;
            }
    }
    if (m_pendingHashes.isEmpty() && m_pendingPosts.isEmpty())
        m_settleTimer->stop();
    else if (!m_settleTimer->isActive())
        m_settleTimer->start();
}

void Service::storeFiles(Post& p, const PictureSet& given)
{
    PictureSet set = given;
    if (!set.ok || set.width != p.width) {
        // A head that read well over a body that did not: stand in for it.
        set = makeGeneratedPictureSet(p.id);
        p.width = set.width;
        p.height = set.height;
        p.extension = set.extension;
        p.generated = true;
    }
    p.sizeLabels = set.sizeLabels;
    for (const PictureFile& f : set.files)
        storePicture(p.fileName(f.label), f.bytes);
}

// ---------------------------------------------------------------- accounts

Account* Service::findAccount(const QString& email)
{
    for (Account& a : m_accounts)
        if (a.email.compare(email, Qt::CaseInsensitive) == 0)
            return &a;
    return nullptr;
}

bool Service::addAccount(const QString& email, const QString& password, QString* error)
{
    if (email.isEmpty()) {
        *error = u"an account needs an e-mail address"_s;
        return false;
    }
    if (Account* a = findAccount(email))
        a->password = password;
    else
        m_accounts.append({email, password, {}});
    return true;
}

bool Service::addBlogSpec(const QString& spec, QString* error)
{
    QStringList parts = spec.split(u':');
    bool isPrivate = false;
    if (parts.size() >= 4 && parts.last() == u"private") {
        isPrivate = true;
        parts.removeLast();
    }
    if (parts.size() < 3) {
        *error = u"--blog wants email:name:title[:private], got "_s + spec;
        return false;
    }
    const QString email = parts.takeFirst();
    const QString name = parts.takeFirst();
    QJsonObject blog{{u"name"_s, name}, {u"title"_s, parts.join(u':')}, {u"private"_s, isPrivate}};
    Account* account = findAccount(email);
    if (!account) {
        *error = u"--blog names an unknown account: "_s + email;
        return false;
    }
    return addAccountJson(QJsonObject{{u"email"_s, account->email},
                                      {u"password"_s, account->password},
                                      {u"blogs"_s, QJsonArray{blog}}},
                          error);
}

bool Service::addAccountJson(const QJsonObject& json, QString* error)
{
    const QString email = json.value(u"email"_s).toString();
    if (!addAccount(email, json.value(u"password"_s).toString(), error))
        return false;
    Account* account = findAccount(email);
    for (const QJsonValue& v : json.value(u"blogs"_s).toArray()) {
        const QJsonObject o = v.toObject();
        Blog b;
        b.name = o.value(u"name"_s).toString().trimmed();
        b.title = o.value(u"title"_s).toString();
        b.isPrivate = o.value(u"private"_s).toBool();
        b.privateId = o.value(u"privateId"_s).toString();
        b.cname = o.value(u"cname"_s).toString().toLower();
        b.url = o.value(u"url"_s).toString();
        if (o.contains(u"timezone"_s))
            b.timezone = o.value(u"timezone"_s).toString();
        b.description = o.value(u"description"_s).toString();
        b.uuid = o.value(u"uuid"_s).toString();
        if (b.uuid.isEmpty())
            b.uuid = blogUuidFor(b.name);
        if (b.name.isEmpty() || b.name.contains(u'/') || b.name.contains(u' ')) {
            *error = u"a blog needs a plain name"_s;
            return false;
        }
        if (blogByName(b.name)) {
            *error = u"blog name already taken: "_s + b.name;
            return false;
        }
        if (b.isPrivate && b.privateId.isEmpty()) {
            bool digits = false;
            b.name.toLongLong(&digits);
            b.privateId = digits ? b.name
                                 : QString::number(QRandomGenerator::global()->bounded(1000000,
                                                                                       9999999));
        }
        bool hasPrimary = false;
        for (const Blog& other : account->blogs)
            hasPrimary = hasPrimary || other.primary;
        b.primary = !b.isPrivate && (o.value(u"primary"_s).toBool() || !hasPrimary);
        if (b.primary)
            for (Blog& other : account->blogs)
                other.primary = false;
        account->blogs.append(b);
    }
    return true;
}

void Service::addDemo()
{
    QString error;
    addAccountJson(
        QJsonObject{
            {u"email"_s, u"demo@example.com"_s},
            {u"password"_s, u"demo"_s},
            {u"blogs"_s,
             QJsonArray{
                 QJsonObject{{u"name"_s, u"demoblog"_s}, {u"title"_s, u"Demo Blog"_s}},
                 QJsonObject{{u"name"_s, u"demoside"_s}, {u"title"_s, u"Demo Side Blog"_s}},
                 QJsonObject{{u"name"_s, u"demoprivate"_s},
                             {u"title"_s, u"Demo Private"_s},
                             {u"private"_s, true},
                             {u"privateId"_s, u"7654321"_s}},
             }},
        },
        &error);

    // Posts kept in the data folder since an earlier start stay as they were.
    QList<Post> missing;
    for (const DemoPost& d : demoPosts()) {
        m_lastId = qMax(m_lastId, d.id.toLongLong());
        if (findPost(d.id))
            continue;
        Post p;
        p.id = d.id;
        p.blog = d.blog;
        p.owner = u"demo@example.com"_s;
        p.state = u"published"_s;
        p.caption = d.caption;
        p.tags = d.tags;
        p.slug = makeSlug(d.caption);
        p.format = u"html"_s;
        p.date = QDateTime(QDate::currentDate().addDays(-d.daysAgo), QTime(d.hour, 17 + d.hour),
                           QTimeZone::utc());
        p.width = d.width;
        p.height = d.height;
        p.originalFileName = d.originalFileName;
        p.key = d.key;
        p.extension = d.extension;
        p.media = 20 + int(d.key.at(1).unicode() % 10);
        p.sizeLabels = sizeLabelsFor(d.width);
        p.reblogKey = d.key.right(8);
        missing.append(p);
    }
    if (missing.isEmpty())
        return;
    // Oldest first, as if they had been posted before anything kept there.
    m_posts = missing + m_posts;
    savePosts();
}

Account* Service::checkCredentials(const Form& form)
{
    Account* a = findAccount(form.text("email"));
    if (!a || a->password != form.text("password"))
        return nullptr;
    return a;
}

const Blog* Service::blogByName(const QString& name) const
{
    for (const Account& a : m_accounts)
        for (const Blog& b : a.blogs)
            if (b.name.compare(name, Qt::CaseInsensitive) == 0)
                return &b;
    return nullptr;
}

const Blog* Service::blogByHost(const QString& host, const Account** owner) const
{
    for (const Account& a : m_accounts)
        for (const Blog& b : a.blogs)
            if (!b.isPrivate && b.host().compare(host, Qt::CaseInsensitive) == 0) {
                if (owner)
                    *owner = &a;
                return &b;
            }
    return nullptr;
}

const Blog* Service::groupOf(const Account& account, const QString& group) const
{
    QString g = group.trimmed();
    if (g.startsWith(u"http://"_s, Qt::CaseInsensitive))
        g = g.mid(7);
    while (g.endsWith(u'/'))
        g.chop(1);
    for (const Blog& b : account.blogs) {
        if (b.isPrivate ? g == b.privateId
                        : (b.host().compare(g, Qt::CaseInsensitive) == 0 ||
                           b.name.compare(g, Qt::CaseInsensitive) == 0))
            return &b;
    }
    return nullptr;
}

// ---------------------------------------------------------------- storage

bool Service::setDataDir(const QString& dir, QString* error)
{
    if (!QDir().mkpath(dir + u"/pictures"_s)) {
        *error = u"cannot create "_s + dir;
        return false;
    }
    m_dataDir = QDir(dir).absolutePath();
    QFile file(m_dataDir + u"/posts.json"_s);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = u"cannot read "_s + file.fileName();
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = file.fileName() + u": "_s + parseError.errorString();
        return false;
    }
    m_lastId = doc.object().value(u"lastId"_s).toString().toLongLong();
    for (const QJsonValue& v : doc.object().value(u"posts"_s).toArray()) {
        m_posts.append(Post::fromJson(v.toObject()));
        if (m_posts.last().id.toLongLong() < kFirstV2PostId)
            m_lastId = qMax(m_lastId, m_posts.last().id.toLongLong());
    }
    return true;
}

void Service::savePosts() const
{
    if (m_dataDir.isEmpty())
        return;
    QJsonArray posts;
    for (const Post& p : m_posts)
        posts.append(p.toJson());
    QSaveFile file(m_dataDir + u"/posts.json"_s);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(QJsonObject{{u"lastId"_s, QString::number(m_lastId)},
                                             {u"posts"_s, posts}})
                       .toJson());
        file.commit();
    }
}

void Service::storePicture(const QString& fileName, const QByteArray& bytes)
{
    if (m_dataDir.isEmpty()) {
        m_pictures.insert(fileName, bytes);
        return;
    }
    QSaveFile file(m_dataDir + u"/pictures/"_s + fileName);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
        file.commit();
    }
}

QByteArray Service::pictureBytes(const QString& fileName)
{
    static const QRegularExpression safe(
        u"^tumblr_([A-Za-z0-9]+)o1_([0-9a-z]+)\\.(jpg|png)$"_s);
    const QRegularExpressionMatch name = safe.match(fileName);
    QByteArray bytes;
    if (m_dataDir.isEmpty()) {
        bytes = m_pictures.value(fileName);
    } else if (name.hasMatch()) {
        QFile file(m_dataDir + u"/pictures/"_s + fileName);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    if (!bytes.isEmpty() || !name.hasMatch())
        return bytes;
    for (const Post& p : m_posts)
        if (p.key == name.captured(1) && p.extension == name.captured(3)) {
            bytes = demoPictureFile(demoIndexOf(p.id), name.captured(2));
            if (!bytes.isEmpty())
                storePicture(fileName, bytes);
            break;
        }
    if (bytes.isEmpty() && isExtraWidthLabel(name.captured(2))) {
        const QString widest = u"tumblr_"_s + name.captured(1) + u"o1_1280."_s + name.captured(3);
        bytes = scaledPictureFile(pictureBytes(widest), name.captured(2).toInt(), name.captured(3));
        if (!bytes.isEmpty())
            storePicture(fileName, bytes);
    }
    return bytes;
}

QString Service::newPostId()
{
    if (m_lastId == 0)
        m_lastId = 431830000 + QRandomGenerator::global()->bounded(1000);
    m_lastId += 1 + QRandomGenerator::global()->bounded(40);
    return QString::number(m_lastId);
}

const Post* Service::findPost(const QString& id) const
{
    for (const Post& p : m_posts)
        if (p.id == id)
            return &p;
    return nullptr;
}

bool Service::visible(const Post& post, const Account* reader) const
{
    if (reader && reader->email.compare(post.owner, Qt::CaseInsensitive) == 0)
        return true;
    return post.state == u"published" && !post.isPrivate;
}

// ---------------------------------------------------------------- faults and log

bool Service::addFault(const QJsonObject& spec, QString* error)
{
    Fault f;
    f.spec = spec;
    f.kind = spec.value(u"kind"_s).toString();
    f.endpoint = spec.value(u"endpoint"_s).toString(u"any"_s);
    f.host = spec.value(u"host"_s).toString().toLower();
    f.remaining = spec.value(u"always"_s).toBool() ? -1 : spec.value(u"count"_s).toInt(1);
    if (!kKinds.contains(f.kind)) {
        *error = u"unknown fault kind: "_s + f.kind;
        return false;
    }
    if (!kEndpoints.contains(f.endpoint)) {
        *error = u"unknown fault endpoint: "_s + f.endpoint;
        return false;
    }
    if (f.kind == u"status" && spec.value(u"status"_s).toInt() < 100) {
        *error = u"a status fault needs a status"_s;
        return false;
    }
    if (f.kind == u"v2error" && spec.value(u"status"_s).toInt() < 100) {
        *error = u"a v2error fault needs a status"_s;
        return false;
    }
    if (f.kind == u"sizes" && !spec.value(u"sizes"_s).isArray()) {
        *error = u"a sizes fault needs a sizes array"_s;
        return false;
    }
    if (f.remaining == 0)
        return true;
    m_faults.append(f);
    return true;
}

QJsonObject Service::takeFault(const QString& endpoint, const QString& host)
{
    for (qsizetype i = 0; i < m_faults.size(); ++i) {
        Fault& f = m_faults[i];
        if (f.endpoint != u"any" && f.endpoint != endpoint)
            continue;
        if (!f.host.isEmpty() && f.host != host)
            continue;
        const QJsonObject spec = f.spec;
        if (f.remaining > 0 && --f.remaining == 0)
            m_faults.removeAt(i);
        return spec;
    }
    return {};
}

QString Service::endpointOf(const HttpRequest& request)
{
    const QByteArray& path = request.path;
    if (V2Service::handles(path))
        return V2Service::endpointOf(request.method, path);
    if (path == "/api/authenticate")
        return u"authenticate"_s;
    if (path == "/api/write")
        return u"write"_s;
    if (path == "/api/read" || path == "/api/read/xml")
        return u"read"_s;
    if (path.startsWith("/tumblr_"))
        return u"picture"_s;
    return u"other"_s;
}

QJsonObject* Service::logEntry(qint64 seq)
{
    // Entries are numbered one after another from the first one kept.
    if (m_log.isEmpty())
        return nullptr;
    const qint64 index = seq - m_log.first().value(u"seq"_s).toInteger();
    return index >= 0 && index < m_log.size() ? &m_log[qsizetype(index)] : nullptr;
}

void Service::reply(HttpConnection* connection, HttpResponse response, const Pacing& pacing)
{
    if (connection->dropReply) {
        // The request has had its effect (a post made, say); the client
        // never learns of it.
        connection->drop();
        return;
    }
    if (QJsonObject* entry = logEntry(connection->logSeq))
        entry->insert(u"status"_s, response.status);
    connection->respond(response, pacing);
}

void Service::replyText(HttpConnection* connection, int status, const QByteArray& text,
                        const Pacing& pacing)
{
    reply(connection, HttpResponse::make(status, kTextPlain, text, connection->keepAlive()),
          pacing);
}

bool Service::onHead(HttpConnection* connection, const HttpRequest& request, int* readBytes,
                     int* readDelayMs)
{
    if (request.path.startsWith("/_standin/"))
        return true;
    const QString endpoint = endpointOf(request);
    const QJsonObject fault = takeFault(endpoint, request.host);

    QJsonObject entry;
    connection->logSeq = ++m_seq;
    entry.insert(u"seq"_s, m_seq);
    entry.insert(u"method"_s, QString::fromLatin1(request.method));
    entry.insert(u"target"_s, QString::fromUtf8(request.target));
    entry.insert(u"proxyForm"_s, request.proxyForm);
    entry.insert(u"host"_s, request.host);
    entry.insert(u"path"_s, QString::fromUtf8(request.path));
    entry.insert(u"query"_s, QString::fromUtf8(request.query));
    entry.insert(u"endpoint"_s, endpoint);
    entry.insert(u"version"_s, QString::fromLatin1(request.version));
    QJsonArray headers;
    for (const HttpHeader& h : request.headers)
        headers.append(QJsonObject{{u"name"_s, QString::fromLatin1(h.name)},
                                   {u"value"_s, QString::fromUtf8(h.value)}});
    entry.insert(u"headers"_s, headers);
    entry.insert(u"contentType"_s, QString::fromUtf8(request.header("Content-Type")));
    entry.insert(u"chunked"_s, request.chunked);
    entry.insert(u"status"_s, 0);
    if (!fault.isEmpty())
        entry.insert(u"fault"_s, fault.value(u"kind"_s).toString());
    m_log.append(entry);

    connection->faultJson =
        fault.isEmpty() ? QByteArray() : QJsonDocument(fault).toJson(QJsonDocument::Compact);
    const QString kind = fault.value(u"kind"_s).toString();
    if (kind == u"drop" && fault.value(u"when"_s).toString() == u"headers") {
        connection->drop();
        return false;
    }
    if (kind == u"slow" && fault.value(u"readBytes"_s).toInt() > 0) {
        *readBytes = fault.value(u"readBytes"_s).toInt();
        *readDelayMs = fault.value(u"readDelayMs"_s).toInt(100);
    }
    return true;
}

void Service::logFields(qint64 seq, const Form& body, const Form& query, qsizetype bodySize)
{
    m_requestHashes.clear();
    qsizetype kept = 0; // raw bytes the entry keeps, over all its fields
    auto fieldsJson = [&](const QList<FormField>& fields, const QString& list) {
        QJsonArray a;
        for (const FormField& f : fields) {
            if (f.value.size() >= kSmallField) {
                const Hash hash = hashLater(f.value);
                m_pendingHashes.append({seq, list, int(a.size()), hash});
                if (list == u"fields")
                    m_requestHashes.insert(f.name, hash);
            }
            const bool keepBytes = f.value.size() < kSmallField && kept + f.value.size() <= kLoggedBytes;
            if (keepBytes)
                kept += f.value.size();
            a.append(fieldJson(f, keepBytes));
        }
        return a;
    };
    if (QJsonObject* entry = logEntry(seq)) {
        entry->insert(u"bodySize"_s, bodySize);
        entry->insert(u"form"_s, body.kind() == Form::Kind::Multipart    ? u"multipart"_s
                                 : body.kind() == Form::Kind::UrlEncoded ? u"urlencoded"_s
                                                                         : QString());
        entry->insert(u"fields"_s, fieldsJson(body.fields(), u"fields"_s));
        entry->insert(u"queryFields"_s, fieldsJson(query.fields(), u"queryFields"_s));
    }
    settle(false);
}

bool Service::applyFault(HttpConnection* c, const HttpRequest& request, const QJsonObject& fault,
                         Pacing* pacing)
{
    const QString kind = fault.value(u"kind"_s).toString();
    pacing->delayMs = fault.value(u"delayMs"_s).toInt();
    const bool keep = c->keepAlive();
    if (kind == u"drop") {
        if (fault.value(u"when"_s).toString() == u"reply") {
            c->dropReply = true;
            return false;
        }
        c->drop();
        return true;
    }
    if (kind == u"delay") {
        pacing->delayMs += fault.value(u"ms"_s).toInt();
        return false;
    }
    if (kind == u"slow") {
        pacing->chunkBytes = fault.value(u"chunkBytes"_s).toInt(256);
        pacing->chunkDelayMs = fault.value(u"chunkDelayMs"_s).toInt(100);
        return false;
    }
    if (kind == u"sizes")
        return false;
    if (kind == u"redirect") {
        const int status = fault.value(u"status"_s).toInt(301);
        HttpResponse r = HttpResponse::make(status, "text/html; charset=utf-8",
                                            fault.value(u"body"_s).toString().toUtf8(), keep);
        if (fault.contains(u"location"_s)) {
            const HttpHeader location{fault.value(u"headerName"_s).toString(u"Location"_s).toUtf8(),
                                      fault.value(u"location"_s).toString().toUtf8()};
            const QString position = fault.value(u"position"_s).toString(u"middle"_s);
            if (position == u"first")
                r.headers.prepend(location);
            else if (position == u"last")
                r.headers.append(location);
            else
                r.headers.insert(r.headers.size() / 2, location);
        }
        reply(c, r, *pacing);
        return true;
    }
    if (kind == u"status") {
        const int status = fault.value(u"status"_s).toInt();
        const bool html = fault.value(u"html"_s).toBool();
        QByteArray body = html ? htmlPage(status) : reasonPhrase(status) + '.';
        if (fault.contains(u"body"_s))
            body = fault.value(u"body"_s).toString().toUtf8();
        const QByteArray type = fault.contains(u"contentType"_s)
                                    ? fault.value(u"contentType"_s).toString().toUtf8()
                                    : (html ? QByteArray("text/html; charset=utf-8") : kTextPlain);
        HttpResponse r = HttpResponse::make(status, type, body, keep);
        addHeaders(r, fault.value(u"headers"_s).toObject());
        reply(c, r, *pacing);
        return true;
    }
    if (kind == u"v2error") {
        const int status = fault.value(u"status"_s).toInt();
        HttpResponse r = v2ErrorResponse(
            status, fault.value(u"code"_s).toInt(),
            fault.value(u"title"_s).toString(QString::fromLatin1(reasonPhrase(status))),
            fault.value(u"detail"_s).toString(), keep);
        addHeaders(r, fault.value(u"headers"_s).toObject());
        reply(c, r, *pacing);
        return true;
    }
    if (kind == u"empty") {
        reply(c, HttpResponse::make(200, kTextXml, {}, keep), *pacing);
        return true;
    }
    if (kind == u"body") {
        reply(c,
              HttpResponse::make(fault.value(u"status"_s).toInt(200),
                                 fault.value(u"contentType"_s).toString(u"text/plain"_s).toUtf8(),
                                 fault.value(u"body"_s).toString().toUtf8(), keep),
              *pacing);
        return true;
    }
    if (kind == u"nonxml") {
        reply(c, HttpResponse::make(200, kTextXml, "Service busy, <try again later", keep),
              *pacing);
        return true;
    }
    if (kind == u"maintenance") {
        reply(c, HttpResponse::make(200, "text/html; charset=utf-8", kMaintenancePage, keep),
              *pacing);
        return true;
    }
    Q_UNUSED(request);
    return false;
}

// ---------------------------------------------------------------- requests

void Service::onRequest(HttpConnection* c, HttpRequest& request)
{
    if (request.path.startsWith("/_standin/")) {
        handleControl(c, request);
        return;
    }
    const QJsonObject fault =
        c->faultJson.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(c->faultJson).object();
    Form body;
    Form query;
    query.parseQuery(request.query);
    QString formError;
    const qsizetype bodySize = request.body.size();
    const bool v2 = V2Service::handles(request.path);
    // A JSON body is no form: it is kept, and logged, as a field named "json".
    const QByteArray jsonBody =
        v2 && V2Service::isJson(request.header("Content-Type")) ? request.body : QByteArray();
    const bool formOk =
        body.parse(request.header("Content-Type"), std::move(request.body), &formError);
    request.body = QByteArray();
    if (!jsonBody.isEmpty())
        body.add({"json", jsonBody, {}, "application/json", false});
    logFields(c->logSeq, body, query, bodySize);

    Pacing pacing;
    if (!fault.isEmpty() && applyFault(c, request, fault, &pacing))
        return;
    if (v2) {
        m_v2->handle(c, request, query, body, formOk ? QString() : formError, pacing);
        return;
    }
    if (!formOk) {
        replyText(c, 400, formError.toUtf8(), pacing);
        return;
    }
    Form form = query;
    form.append(body);

    const QString endpoint = endpointOf(request);
    if (endpoint == u"authenticate") {
        handleAuthenticate(c, form, pacing);
    } else if (endpoint == u"write") {
        handleWrite(c, form, pacing);
    } else if (endpoint == u"read") {
        QList<int> onlySizes;
        if (fault.value(u"kind"_s).toString() == u"sizes")
            for (const QJsonValue& v : fault.value(u"sizes"_s).toArray())
                onlySizes.append(v.toInt());
        handleRead(c, request, form, pacing, onlySizes);
    } else if (endpoint == u"picture") {
        handlePicture(c, request, pacing);
    } else {
        reply(c,
              HttpResponse::make(404, "text/html; charset=utf-8", htmlPage(404), c->keepAlive()),
              pacing);
    }
}

void Service::handleAuthenticate(HttpConnection* c, const Form& form, const Pacing& pacing)
{
    const Account* account = checkCredentials(form);
    if (!account) {
        replyText(c, 403, "Invalid credentials.", pacing);
        return;
    }
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeStartElement(u"tumblr"_s);
    w.writeAttribute(u"version"_s, u"1.0"_s);
    w.writeEmptyElement(u"user"_s);
    w.writeAttribute(u"default-post-format"_s, u"html"_s);
    w.writeAttribute(u"can-upload-audio"_s, u"1"_s);
    w.writeAttribute(u"can-upload-aiff"_s, u"1"_s);
    w.writeAttribute(u"can-ask-question"_s, u"1"_s);
    w.writeAttribute(u"can-upload-video"_s, u"1"_s);
    w.writeAttribute(u"max-video-bytes-uploaded"_s, u"26214400"_s);
    for (const Blog& b : account->blogs) {
        w.writeEmptyElement(u"tumblelog"_s);
        if (!b.title.isEmpty())
            w.writeAttribute(u"title"_s, b.title);
        w.writeAttribute(u"is-admin"_s, u"1"_s);
        if (b.isPrivate) {
            w.writeAttribute(u"private-id"_s, b.privateId);
            w.writeAttribute(u"type"_s, u"private"_s);
        } else {
            w.writeAttribute(u"name"_s, b.name);
            w.writeAttribute(u"url"_s, b.url.isEmpty() ? u"http://"_s + b.host() + u'/' : b.url);
            w.writeAttribute(u"type"_s, u"public"_s);
            w.writeAttribute(u"avatar-url"_s,
                             u"http://assets.tumblr.com/images/default_avatar_128.gif"_s);
            if (b.primary)
                w.writeAttribute(u"is-primary"_s, u"yes"_s);
        }
        w.writeAttribute(u"backup-post-limit"_s, u"30000"_s);
    }
    w.writeEndElement();
    w.writeEndDocument();
    reply(c, HttpResponse::make(200, kTextXml, xml, c->keepAlive()), pacing);
}

void Service::handleWrite(HttpConnection* c, const Form& form, const Pacing& pacing)
{
    const Account* account = checkCredentials(form);
    if (!account) {
        replyText(c, 403, "Your email address or password were incorrect.", pacing);
        return;
    }
    const QString type = form.text("type");
    if (type != u"photo") {
        replyText(c, 400, "Only photo posts are supported.", pacing);
        return;
    }
    WriteJob job;
    job.connection = c;
    job.pacing = pacing;
    job.owner = account->email;
    const QString group = form.text("group");
    const Blog* blog = nullptr;
    if (group.trimmed().isEmpty()) {
        for (const Blog& b : account->blogs)
            if (b.primary)
                blog = &b;
        if (!blog) {
            replyText(c, 400, "This account has no blog to post to.", pacing);
            return;
        }
    } else {
        blog = groupOf(*account, group);
        if (!blog) {
            replyText(c, 400, "Invalid group: " + group.toUtf8(), pacing);
            return;
        }
    }
    job.blog = blog->name;
    job.state = form.text("state").trimmed();
    if (job.state.isEmpty())
        job.state = u"published"_s;
    if (!QStringList{u"published"_s, u"draft"_s, u"queue"_s, u"submission"_s}.contains(job.state)) {
        replyText(c, 400, "Invalid post state: " + job.state.toUtf8(), pacing);
        return;
    }
    const QTimeZone zone = zoneOf(blog->timezone);
    job.date = QDateTime::currentDateTimeUtc();
    if (!form.text("date").trimmed().isEmpty() &&
        !parseLocalDate(form.text("date"), zone, &job.date)) {
        replyText(c, 400, "Invalid date.", pacing);
        return;
    }
    job.publishOn = form.text("publish-on");
    if (job.state == u"queue" && !job.publishOn.trimmed().isEmpty()) {
        QDateTime when;
        if (!parseLocalDate(job.publishOn, zone, &when)) {
            replyText(c, 400, "Invalid publish-on date.", pacing);
            return;
        }
    }
    const QString priv = form.text("private").trimmed();
    job.isPrivate = priv == u"1" || priv.compare(u"true"_s, Qt::CaseInsensitive) == 0;
    job.caption = form.text("caption");
    job.linkUrl = form.text("click-through-url");
    job.tags = parseTags(form.text("tags"));
    job.format = form.text("format").isEmpty() ? u"html"_s : form.text("format");
    job.generator = form.text("generator");
    job.slug = form.text("slug").trimmed().isEmpty() ? makeSlug(job.caption)
                                                     : makeSlug(form.text("slug"));
    job.source = form.text("source").trimmed();
    const QByteArray data = form.value("data");
    for (const FormField& f : form.fields())
        if (f.name == "data") {
            job.originalFileName = QString::fromUtf8(f.filename);
            break;
        }

    if (job.source.isEmpty()) {
        if (data.isEmpty()) {
            replyText(c, 400, "Please select a photo to upload.", pacing);
            return;
        }
        finishWrite(job, data, false, m_requestHashes.value("data"));
        return;
    }
    const QUrl url(job.source);
    const QString host = url.host().toLower();
    const QString path = url.path();
    if ((host.endsWith(u"media.tumblr.com"_s) || (host == u"127.0.0.1" && url.port() == m_port)) &&
        path.startsWith(u"/tumblr_"_s)) {
        settle(true);
        finishWrite(job, pictureBytes(path.mid(1)), true);
        return;
    }
    if (url.scheme() != u"http" || host != u"127.0.0.1") {
        finishWrite(job, {}, false); // never reaches outside: a generated picture stands in
        return;
    }
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_network->setProxy(QNetworkProxy::NoProxy);
    }
    QNetworkRequest fetch(url);
    fetch.setTransferTimeout(kFetchTimeoutMs);
    fetch.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* r = m_network->get(fetch);
    connect(r, &QNetworkReply::finished, this, [this, r, job] {
        r->deleteLater();
        if (!job.connection)
            return;
        if (r->error() != QNetworkReply::NoError) {
            replyText(job.connection, 400, "Could not fetch the picture from the source address.",
                      job.pacing);
            return;
        }
        finishWrite(job, r->readAll(), true);
    });
}

void Service::finishWrite(WriteJob job, const QByteArray& data, bool fetched, Hash dataHash)
{
    if (!job.connection)
        return;
    // Without a data folder the files are made on a worker thread; the head
    // of the picture gives the size and the file names at once.
    const bool later = m_dataDir.isEmpty() && data.size() >= kSmallField;
    PictureSet set = data.isEmpty() ? PictureSet()
                                    : (later ? probePicture(data) : makePictureSet(data));
    if (!set.ok) {
        if (fetched && data.isEmpty()) {
            replyText(job.connection, 400, "Could not fetch the picture from the source address.",
                      job.pacing);
            return;
        }
        set = makeGeneratedPictureSet(job.source.isEmpty()
                                          ? QString::fromLatin1(data.left(256).toHex())
                                          : job.source);
    }
    Post p;
    p.id = newPostId();
    p.blog = job.blog;
    p.owner = job.owner;
    p.state = job.state;
    p.isPrivate = job.isPrivate;
    p.caption = job.caption;
    p.linkUrl = job.linkUrl;
    p.tags = job.tags;
    p.slug = job.slug;
    p.format = job.format;
    p.generator = job.generator;
    p.date = job.date.toUTC();
    p.publishOn = job.state == u"queue" ? job.publishOn : QString();
    p.width = set.width;
    p.height = set.height;
    p.generated = set.generated;
    p.source = job.source;
    p.originalFileName = job.source.isEmpty() ? job.originalFileName : QString();
    p.key = randomText(1, false).toLower() + randomText(15);
    p.extension = set.extension;
    p.media = 20 + QRandomGenerator::global()->bounded(10);
    p.sizeLabels = set.sizeLabels;
    p.reblogKey = randomText(8);
    PendingPost pending{p.id, {}, {}};
    if (!m_dataDir.isEmpty() || data.size() < kSmallField)
        p.dataSha256 = QString::fromLatin1(dataHash.valid() ? dataHash.get() : sha256Hex(data));
    else
        pending.dataHash = dataHash.valid() ? dataHash : hashLater(data);
    if (later && !set.generated)
        pending.pictures =
            std::async(std::launch::async, [data] { return makePictureSet(data); }).share();
    else
        storeFiles(p, set);
    m_posts.append(p);
    // The log says which write made which post, whether or not its reply arrives.
    if (QJsonObject* entry = logEntry(job.connection->logSeq))
        entry->insert(u"postId"_s, p.id);
    if (pending.dataHash.valid() || pending.pictures.valid()) {
        m_pendingPosts.append(pending);
        settle(false);
    }
    savePosts();
    reply(job.connection,
          HttpResponse::make(201, kTextPlain, p.id.toLatin1(), job.connection->keepAlive()),
          job.pacing);
}

QByteArray Service::readXml(const Blog* blog, const QString& host, const QList<const Post*>& posts,
                            int start, int total, const QString& type, bool textFilter,
                            const QList<int>& onlySizes) const
{
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeStartElement(u"tumblr"_s);
    w.writeAttribute(u"version"_s, u"1.0"_s);
    w.writeStartElement(u"tumblelog"_s);
    w.writeAttribute(u"name"_s, blog ? blog->name : host.section(u'.', 0, 0));
    if (blog && !blog->cname.isEmpty())
        w.writeAttribute(u"cname"_s, blog->cname);
    w.writeAttribute(u"timezone"_s, blog ? blog->timezone : u"US/Eastern"_s);
    if (blog && !blog->title.isEmpty())
        w.writeAttribute(u"title"_s, blog->title);
    w.writeCharacters(blog ? blog->description : QString());
    w.writeEndElement();
    w.writeStartElement(u"posts"_s);
    w.writeAttribute(u"start"_s, QString::number(start));
    w.writeAttribute(u"total"_s, QString::number(total));
    if (!type.isEmpty())
        w.writeAttribute(u"type"_s, type);
    for (const Post* p : posts) {
        const Blog* postBlog = blogByName(p->blog);
        const QString postHost = postBlog ? postBlog->host() : p->blog + u".tumblr.com"_s;
        const QString url = u"http://"_s + postHost + u"/post/"_s + p->id;
        const QTimeZone zone = zoneOf(postBlog ? postBlog->timezone : u"US/Eastern"_s);
        w.writeStartElement(u"post"_s);
        w.writeAttribute(u"id"_s, p->id);
        w.writeAttribute(u"url"_s, url);
        w.writeAttribute(u"url-with-slug"_s, p->slug.isEmpty() ? url : url + u'/' + p->slug);
        w.writeAttribute(u"type"_s, u"photo"_s);
        w.writeAttribute(u"date-gmt"_s,
                         p->date.toUTC().toString(u"yyyy-MM-dd HH:mm:ss"_s) + u" GMT"_s);
        w.writeAttribute(u"date"_s, QLocale::c().toString(p->date.toTimeZone(zone),
                                                          u"ddd, dd MMM yyyy HH:mm:ss"_s));
        w.writeAttribute(u"unix-timestamp"_s, QString::number(p->date.toSecsSinceEpoch()));
        w.writeAttribute(u"format"_s, p->format);
        w.writeAttribute(u"reblog-key"_s, p->reblogKey);
        w.writeAttribute(u"slug"_s, p->slug);
        w.writeAttribute(u"width"_s, QString::number(p->width));
        w.writeAttribute(u"height"_s, QString::number(p->height));
        if (p->isPrivate)
            w.writeAttribute(u"private"_s, u"true"_s);
        w.writeTextElement(u"photo-caption"_s, textFilter ? stripTags(p->caption) : p->caption);
        if (!p->linkUrl.isEmpty())
            w.writeTextElement(u"photo-link-url"_s, p->linkUrl);
        for (qsizetype i = 0; i < photoSizes().size() && i < p->sizeLabels.size(); ++i) {
            const int size = photoSizes().at(i);
            if (!onlySizes.isEmpty() && !onlySizes.contains(size))
                continue;
            w.writeStartElement(u"photo-url"_s);
            w.writeAttribute(u"max-width"_s, QString::number(size));
            w.writeCharacters(p->pictureUrl(p->sizeLabels.at(i)));
            w.writeEndElement();
        }
        for (const QString& tag : p->tags)
            w.writeTextElement(u"tag"_s, tag);
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

void Service::handleRead(HttpConnection* c, const HttpRequest& request, const Form& form,
                         const Pacing& pacing, const QList<int>& onlySizes)
{
    const Account* reader = nullptr;
    if (!form.text("email").isEmpty()) {
        reader = checkCredentials(form);
        if (!reader) {
            replyText(c, 403, "Authentication failed.", pacing);
            return;
        }
    }
    const Blog* blog = blogByHost(request.host);
    const QString id = form.text("id").trimmed();
    const QString type = form.text("type");
    const bool textFilter = form.text("filter") == u"text";
    // A list shows published posts (private ones to their owner); the owner
    // asks for queued, draft or submitted ones by their state.
    const QString state = form.text("state").trimmed();
    auto listed = [&](const Post& p) {
        if (!reader || reader->email.compare(p.owner, Qt::CaseInsensitive) != 0)
            return visible(p, nullptr);
        return state.isEmpty() ? p.state == u"published" : p.state == state;
    };
    auto ofBlog = [&](const Blog* b) {
        QList<const Post*> list;
        for (const Post& p : m_posts)
            if (b && p.blog == b->name && listed(p) && (type.isEmpty() || type == u"photo"))
                list.prepend(&p);
        return list;
    };
    QList<const Post*> shown;
    int start = 0;
    int total = 0;
    if (!id.isEmpty()) {
        const Post* post = findPost(id);
        // A host that is no blog is an alias of whichever blog holds the post.
        if (!blog && post)
            blog = blogByName(post->blog);
        if (post && blog && post->blog == blog->name && visible(*post, reader))
            shown.append(post);
        if (shown.isEmpty()) {
            // As the service does: the blog's HTML "not found" page, not XML.
            reply(c, HttpResponse::make(404, "text/html; charset=utf-8", htmlPage(404), c->keepAlive()),
                  pacing);
            return;
        }
        total = int(ofBlog(blog).size());
    } else {
        const QList<const Post*> all = ofBlog(blog);
        total = int(all.size());
        start = qMax(0, form.text("start").toInt());
        const int num = form.has("num") ? qBound(0, form.text("num").toInt(), kMaxReadCount)
                                        : kDefaultReadCount;
        shown = all.mid(start, num);
    }
    HttpResponse r = HttpResponse::make(
        200, kTextXml,
        readXml(blog, request.host, shown, start, total, type, textFilter, onlySizes),
        c->keepAlive());
    r.headers.insert(r.headers.size() - 1, {"Cache-Control", "max-age=900"});
    reply(c, r, pacing);
}

void Service::handlePicture(HttpConnection* c, const HttpRequest& request, const Pacing& pacing)
{
    const QString name = QString::fromUtf8(request.path.mid(1));
    QByteArray bytes = pictureBytes(name);
    if (bytes.isEmpty() && !m_pendingPosts.isEmpty()) {
        settle(true);
        bytes = pictureBytes(name);
    }
    if (bytes.isEmpty()) {
        reply(c, HttpResponse::make(404, "text/html; charset=utf-8", htmlPage(404), c->keepAlive()),
              pacing);
        return;
    }
    reply(c,
          HttpResponse::make(200, name.endsWith(u".png"_s) ? "image/png" : "image/jpeg", bytes,
                             c->keepAlive()),
          pacing);
}

// ---------------------------------------------------------------- control

void Service::handleControl(HttpConnection* c, const HttpRequest& request)
{
    const QByteArray path = request.path;
    const bool post = request.method == "POST";
    auto json = [&](int status, const QJsonDocument& doc) {
        c->respond(HttpResponse::make(status, "application/json",
                                      doc.toJson(QJsonDocument::Compact), c->keepAlive()));
    };
    auto ok = [&] { json(200, QJsonDocument(QJsonObject{{u"ok"_s, true}})); };
    auto bad = [&](const QString& error) {
        json(400, QJsonDocument(QJsonObject{{u"ok"_s, false}, {u"error"_s, error}}));
    };
    if (!post)
        settle(true);
    if (path == "/_standin/requests" && !post) {
        QJsonArray all;
        for (const QJsonObject& e : m_log)
            all.append(e);
        json(200, QJsonDocument(all));
    } else if (path == "/_standin/requests/clear" && post) {
        m_log.clear();
        ok();
    } else if (path == "/_standin/faults" && post) {
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(request.body, &parseError);
        if (parseError.error != QJsonParseError::NoError) {
            bad(parseError.errorString());
            return;
        }
        const QJsonArray list = doc.isArray() ? doc.array() : QJsonArray{doc.object()};
        QString error;
        for (const QJsonValue& v : list)
            if (!addFault(v.toObject(), &error)) {
                bad(error);
                return;
            }
        ok();
    } else if (path == "/_standin/faults" && !post) {
        QJsonArray all;
        for (const Fault& f : m_faults) {
            QJsonObject o = f.spec;
            o.insert(u"remaining"_s, f.remaining);
            all.append(o);
        }
        json(200, QJsonDocument(all));
    } else if (path == "/_standin/faults/clear" && post) {
        m_faults.clear();
        ok();
    } else if (path == "/_standin/posts" && !post) {
        QJsonArray all;
        for (const Post& p : m_posts)
            all.append(p.toJson());
        json(200, QJsonDocument(all));
    } else if (path == "/_standin/accounts" && post) {
        QString error;
        if (!addAccountJson(QJsonDocument::fromJson(request.body).object(), &error))
            bad(error);
        else
            ok();
    } else if (!m_v2->handleControl(c, request)) {
        json(404, QJsonDocument(QJsonObject{{u"ok"_s, false}, {u"error"_s, u"no such call"_s}}));
    }
}

} // namespace standin
