// API v2 replies: the user's blogs, one post read back, a list of posts.
#include "fuzzsupport.h"

#include "service/v2parse.h"

#include <QJsonDocument>

using namespace ruvia;

namespace {

bool decimal(const QString& id)
{
    if (id.isEmpty())
        return false;
    for (QChar c : id)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

RUVIA_FUZZ_TARGET(v2_user_info)
{
    fuzz::setUp();
    QString name, error;
    QList<V2Blog> blogs;
    const bool ok = ParseUserInfo(fuzzBytes(data, size), name, blogs, &error);
    FUZZ_CHECK(ok == error.isEmpty());
    // Every blog offered has an id to post to and a folder to live in.
    for (const V2Blog& blog : blogs)
        FUZZ_CHECK(!blog.uuid.isEmpty() && !blog.host.isEmpty() && !blog.host.contains(u'/'));
    return 0;
}

RUVIA_FUZZ_TARGET(v2_posts)
{
    fuzz::setUp();
    const QByteArray bytes = fuzzBytes(data, size);
    QList<NewestPost> posts;
    QString error;
    if (ParsePostList(bytes, posts, &error))
        for (const NewestPost& post : posts)
            FUZZ_CHECK(decimal(post.id));
    else
        FUZZ_CHECK(posts.isEmpty() && !error.isEmpty());
    PostLinks links;
    const QJsonObject post =
        QJsonDocument::fromJson(bytes).object().value(QStringLiteral("response")).toObject();
    if (ParsePostObject(post, QStringLiteral("b.tumblr.com"), links))
        FUZZ_CHECK(links[PostLinks::PostURLSlug].startsWith(links[PostLinks::PostURL]));
    else
        for (int i = 0; i < PostLinks::FieldCount; ++i)
            FUZZ_CHECK(links[i].isEmpty());
    FUZZ_CHECK(CreatedPostId(bytes).isEmpty() || decimal(CreatedPostId(bytes)));
    return 0;
}
