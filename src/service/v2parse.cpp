#include "service/v2parse.h"

#include "service/postsubmit.h"

#include <QJsonDocument>
#include <QLocale>
#include <QTimeZone>
#include <QUrl>

namespace ruvia {

namespace {

// Up to 2^53 a JSON number is exact in a double.
constexpr double kLargestExactId = 9007199254740992.0;
// The longest text block the service takes, in code points.
constexpr qsizetype kTextBlockLimit = 4096;

bool isDecimal(const QString& text)
{
    if (text.isEmpty() || text.size() > 20)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QJsonObject firstImageBlock(const QJsonObject& post)
{
    for (const QJsonValue& block : post.value(QStringLiteral("content")).toArray())
        if (block.toObject().value(QStringLiteral("type")).toString() == QStringLiteral("image"))
            return block.toObject();
    return {};
}

// Splits text into pieces of at most limit code points, never inside a
// surrogate pair.
QStringList splitText(const QString& text, qsizetype limit)
{
    QStringList out;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        qsizetype points = 0;
        while (end < text.size() && points < limit) {
            end += (text.at(end).isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
            ++points;
        }
        out.append(text.mid(start, end - start));
        start = end;
    }
    return out;
}

} // namespace

bool ParseV2Envelope(const QByteArray& body, QJsonValue& response, QList<V2Error>& errors)
{
    response = QJsonValue();
    errors.clear();
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    response = root.value(QStringLiteral("response"));
    for (const QJsonValue& e : root.value(QStringLiteral("errors")).toArray()) {
        const QJsonObject o = e.toObject();
        errors.append({o.value(QStringLiteral("title")).toString(),
                       o.value(QStringLiteral("code")).toInt(),
                       o.value(QStringLiteral("detail")).toString()});
    }
    // Older routes put their errors inside the response.
    if (errors.isEmpty() && response.isObject()) {
        for (const QJsonValue& e : response.toObject().value(QStringLiteral("errors")).toArray()) {
            if (e.isString())
                errors.append({QString(), 0, e.toString()});
            else
                errors.append({QString(), e.toObject().value(QStringLiteral("code")).toInt(),
                               e.toObject().value(QStringLiteral("message")).toString()});
        }
    }
    return true;
}

QString HostOfAddress(const QString& address)
{
    const QUrl url(address.trimmed());
    if (url.isValid() && !url.host().isEmpty())
        return url.host();
    // A bare host name, as some replies give it.
    QString host = address.trimmed();
    if (host.contains(u'/') || host.contains(u' '))
        return {};
    return host;
}

bool ParseUserInfo(const QByteArray& body, QString& userName, QList<V2Blog>& blogs, QString* error)
{
    QJsonValue response;
    QList<V2Error> errors;
    blogs.clear();
    if (!ParseV2Envelope(body, response, errors)) {
        if (error)
            *error = QStringLiteral("The answer is not JSON.");
        return false;
    }
    const QJsonObject user = response.toObject().value(QStringLiteral("user")).toObject();
    if (user.isEmpty() || !user.value(QStringLiteral("blogs")).isArray()) {
        if (error)
            *error = QStringLiteral("The answer holds no account.");
        return false;
    }
    userName = user.value(QStringLiteral("name")).toString();
    for (const QJsonValue& v : user.value(QStringLiteral("blogs")).toArray()) {
        const QJsonObject o = v.toObject();
        V2Blog blog;
        blog.uuid = o.value(QStringLiteral("uuid")).toString();
        blog.name = o.value(QStringLiteral("name")).toString();
        blog.title = o.value(QStringLiteral("title")).toString();
        blog.host = HostOfAddress(o.value(QStringLiteral("url")).toString());
        blog.type = o.value(QStringLiteral("type")).toString();
        blog.primary = o.value(QStringLiteral("primary")).toBool();
        if (blog.host.isEmpty() && !blog.name.isEmpty())
            blog.host = blog.name + QStringLiteral(".tumblr.com");
        if (blog.uuid.isEmpty() || blog.host.isEmpty())
            continue;
        blogs.append(blog);
    }
    return true;
}

QString PostIdOf(const QJsonObject& object)
{
    const QString idString = object.value(QStringLiteral("id_string")).toString();
    if (isDecimal(idString))
        return idString;
    const QJsonValue id = object.value(QStringLiteral("id"));
    if (id.isString())
        return isDecimal(id.toString()) ? id.toString() : QString();
    if (id.isDouble()) {
        const double value = id.toDouble();
        if (value >= 1 && value <= kLargestExactId && value == double(qint64(value)))
            return QString::number(qint64(value));
    }
    return {};
}

QString CreatedPostId(const QByteArray& body)
{
    QJsonValue response;
    QList<V2Error> errors;
    if (!ParseV2Envelope(body, response, errors))
        return {};
    return PostIdOf(response.toObject());
}

QString PictureOfWidth(const QJsonArray& media, int width)
{
    QString exact, smallestWider, widest;
    int smallestWiderWidth = 0, widestWidth = -1;
    for (const QJsonValue& v : media) {
        const QJsonObject m = v.toObject();
        const QString url = m.value(QStringLiteral("url")).toString();
        const int w = m.value(QStringLiteral("width")).toInt();
        if (url.isEmpty())
            continue;
        if (w == width && exact.isEmpty())
            exact = url;
        if (w > width && (smallestWider.isEmpty() || w < smallestWiderWidth)) {
            smallestWider = url;
            smallestWiderWidth = w;
        }
        if (w > widestWidth) {
            widest = url;
            widestWidth = w;
        }
    }
    if (!exact.isEmpty())
        return exact;
    return smallestWider.isEmpty() ? widest : smallestWider;
}

bool ParsePostObject(const QJsonObject& post, const QString& blogHost, PostLinks& links)
{
    links = PostLinks();
    const QString id = PostIdOf(post);
    if (id.isEmpty())
        return false;
    QJsonArray media;
    const QJsonValue m = firstImageBlock(post).value(QStringLiteral("media"));
    if (m.isArray())
        media = m.toArray();
    else if (m.isObject())
        media.append(m);
    const QStringList sizes = PostLinks::Sizes();
    for (int i = 0; i < sizes.size(); ++i)
        links[i] = PictureOfWidth(media, sizes[i].toInt());

    QString withSlug = post.value(QStringLiteral("post_url")).toString();
    if (withSlug.isEmpty() && !blogHost.isEmpty())
        withSlug = QStringLiteral("https://%1/post/%2").arg(blogHost, id);
    QString plain = withSlug;
    // The address without the slug ends at the id.
    const QString marker = QStringLiteral("/post/") + id;
    const qsizetype at = withSlug.indexOf(marker);
    if (at >= 0)
        plain = withSlug.left(at + marker.size());
    links[PostLinks::PostURL] = plain;
    links[PostLinks::PostURLSlug] = withSlug;
    return true;
}

NewestPost NewestPostOf(const QJsonObject& post)
{
    NewestPost out;
    out.id = PostIdOf(post);
    out.url = post.value(QStringLiteral("post_url")).toString();
    QStringList lines;
    for (const QJsonValue& block : post.value(QStringLiteral("content")).toArray()) {
        const QJsonObject b = block.toObject();
        if (b.value(QStringLiteral("type")).toString() == QStringLiteral("text"))
            lines.append(b.value(QStringLiteral("text")).toString());
    }
    out.caption = lines.join(u'\n');
    for (const QJsonValue& tag : post.value(QStringLiteral("tags")).toArray())
        out.tags.append(tag.toString());
    const QJsonObject image = firstImageBlock(post);
    const QJsonObject attribution = image.value(QStringLiteral("attribution")).toObject();
    if (attribution.value(QStringLiteral("type")).toString() == QStringLiteral("link"))
        out.linkUrl = attribution.value(QStringLiteral("url")).toString();
    // Only the original's dimensions say what was posted; a scaled copy
    // would make a real match look like another picture.
    for (const QJsonValue& v : image.value(QStringLiteral("media")).toArray()) {
        const QJsonObject media = v.toObject();
        if (media.value(QStringLiteral("has_original_dimensions")).toBool()) {
            out.size = QSize(media.value(QStringLiteral("width")).toInt(),
                             media.value(QStringLiteral("height")).toInt());
            break;
        }
    }
    const QJsonValue stamp = post.value(QStringLiteral("timestamp"));
    if (stamp.isDouble() && stamp.toDouble() > 0)
        out.date = QDateTime::fromSecsSinceEpoch(qint64(stamp.toDouble()), QTimeZone::utc());
    return out;
}

bool ParsePostList(const QByteArray& body, QList<NewestPost>& posts, QString* error)
{
    posts.clear();
    QJsonValue response;
    QList<V2Error> errors;
    if (!ParseV2Envelope(body, response, errors)
        || !response.toObject().value(QStringLiteral("posts")).isArray()) {
        if (error)
            *error = QStringLiteral("The answer holds no list of posts.");
        return false;
    }
    for (const QJsonValue& v : response.toObject().value(QStringLiteral("posts")).toArray()) {
        NewestPost post = NewestPostOf(v.toObject());
        if (!post.id.isEmpty())
            posts.append(post);
    }
    return true;
}

QString PublishDateToIso(const QString& typed)
{
    const QString text = typed.simplified();
    if (text.isEmpty())
        return {};
    QDateTime when = QDateTime::fromString(text, Qt::ISODate);
    if (!when.isValid())
        when = QDateTime::fromString(text, Qt::RFC2822Date);
    static const char* const kForms[] = {
        "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd", "MM/dd/yyyy HH:mm:ss",
        "MM/dd/yyyy HH:mm",    "MM/dd/yyyy h:mm AP", "MM/dd/yyyy h:mm ap", "MM/dd/yyyy"};
    const QLocale c = QLocale::c();
    for (const char* form : kForms) {
        if (when.isValid())
            break;
        when = c.toDateTime(text, QString::fromLatin1(form));
    }
    if (!when.isValid())
        return {};
    return when.toUTC().toString(Qt::ISODate);
}

QJsonObject PhotoPostParameters(const PhotoPost& post, const QString& identifier,
                                const QString& mimeType, QString* error)
{
    QJsonObject params;
    switch (post.state) {
    case StatePublishNow:
        params.insert(QStringLiteral("state"), QStringLiteral("published"));
        break;
    case StateQueue:
        params.insert(QStringLiteral("state"), QStringLiteral("queue"));
        break;
    case StatePublishOn:
    case StatePublishOnOld: {
        const QString iso = PublishDateToIso(post.publishOn);
        if (iso.isEmpty()) {
            if (error)
                *error = QStringLiteral(
                             "The publish date \"%1\" can't be read. Write it as year-month-day "
                             "and time, for example 2026-12-24 18:30.")
                             .arg(post.publishOn);
            return {};
        }
        params.insert(QStringLiteral("state"), QStringLiteral("queue"));
        params.insert(QStringLiteral("publish_on"), iso);
        break;
    }
    case StateDraft:
        params.insert(QStringLiteral("state"), QStringLiteral("draft"));
        break;
    case StateSubmission:
        if (error)
            *error = QStringLiteral(
                "Tumblr no longer takes \"submission\" posts to your own blog. Choose another "
                "state for this picture (draft, queue or private, say) and upload it again.");
        return {};
    case StatePrivate:
        params.insert(QStringLiteral("state"), QStringLiteral("private"));
        break;
    default:
        // No state: the service publishes it, as the old interface did.
        break;
    }

    QJsonArray content;
    for (const QString& line : post.caption.split(u'\n')) {
        QString text = line;
        if (text.endsWith(u'\r'))
            text.chop(1);
        if (text.trimmed().isEmpty())
            continue;
        for (const QString& piece : splitText(text, kTextBlockLimit))
            content.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("text")},
                                       {QStringLiteral("text"), piece}});
    }
    QJsonObject media{{QStringLiteral("type"), mimeType},
                      {QStringLiteral("identifier"), identifier}};
    QJsonObject image{{QStringLiteral("type"), QStringLiteral("image")},
                      {QStringLiteral("media"), QJsonArray{media}}};
    if (!post.altText.trimmed().isEmpty())
        image.insert(QStringLiteral("alt_text"), post.altText.trimmed().left(kTextBlockLimit));
    if (!post.clickThroughUrl.trimmed().isEmpty())
        image.insert(QStringLiteral("attribution"),
                     QJsonObject{{QStringLiteral("type"), QStringLiteral("link")},
                                 {QStringLiteral("url"), post.clickThroughUrl.trimmed()}});
    content.append(image);
    params.insert(QStringLiteral("content"), content);
    // The service splits the text at its commas, as the old interface did.
    if (!post.tags.trimmed().isEmpty())
        params.insert(QStringLiteral("tags"), post.tags.trimmed());
    return params;
}

QString PictureMimeType(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("image/jpeg");
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return QStringLiteral("image/png");
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return QStringLiteral("image/gif");
    if (bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
        return QStringLiteral("image/webp");
    if (bytes.startsWith("BM"))
        return QStringLiteral("image/bmp");
    return {};
}

} // namespace ruvia
