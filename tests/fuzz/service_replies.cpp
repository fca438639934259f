// The service's replies: the group list, a post read back, a one-line text,
// a new post's id and the Location header of a redirect.
#include "fuzzsupport.h"

#include "service/postlookup.h"
#include "service/postsubmit.h"
#include "service/requestframe.h"
#include "upload/lostpost.h"

#include <QTimeZone>

using namespace ruvia;

RUVIA_FUZZ_TARGET(group_list)
{
    fuzz::setUp();
    QString list = QStringLiteral("untouched");
    if (!ParseGroupList(fuzzBytes(data, size), list))
        FUZZ_CHECK(list == QStringLiteral("untouched"));
    return 0;
}

RUVIA_FUZZ_TARGET(post_reply)
{
    fuzz::setUp();
    PostLinks links;
    const int outcome = ParsePostReply(fuzzBytes(data, size), links);
    FUZZ_CHECK(outcome >= LookupSuccess && outcome <= LookupRetry);
    if (outcome != LookupSuccess)
        for (int i = 0; i < PostLinks::FieldCount; ++i)
            FUZZ_CHECK(links[i].isEmpty());
    return 0;
}

RUVIA_FUZZ_TARGET(reply_text)
{
    fuzz::setUp();
    const QByteArray bytes = fuzzBytes(data, size);
    const QString text = DecodeReplyText(bytes);
    if (bytes.contains('\r') || bytes.contains('\n'))
        FUZZ_CHECK(text.isEmpty());
    return 0;
}

RUVIA_FUZZ_TARGET(post_id)
{
    fuzz::setUp();
    const QString id = PostIdFromReply(fuzzBytes(data, size));
    for (QChar c : id)
        FUZZ_CHECK(c >= u'0' && c <= u'9');
    return 0;
}

RUVIA_FUZZ_TARGET(location_header)
{
    fuzz::setUp();
    QString location;
    // The value ends at its line's CR LF (a stray CR or LF inside stays, for
    // ParseURL to refuse).
    if (FindLocationHeader(QString::fromLatin1(fuzzBytes(data, size)), location))
        FUZZ_CHECK(!location.contains(QStringLiteral("\r\n")));
    return 0;
}

// A list read of the blog's newest posts, and matching them to a lost write.
RUVIA_FUZZ_TARGET(newest_posts)
{
    fuzz::setUp();
    QList<NewestPost> posts;
    QString error;
    const bool ok = ParseNewestPosts(fuzzBytes(data, size), posts, &error);
    FUZZ_CHECK(ok == error.isEmpty());
    if (!ok)
        FUZZ_CHECK(posts.isEmpty());
    WrittenPost written;
    written.sentAt = QDateTime::fromSecsSinceEpoch(0, QTimeZone::utc());
    for (const NewestPost& post : posts) {
        written.caption = post.caption;
        written.tags = post.tags.join(u',');
        written.clickThroughUrl = post.linkUrl;
        bool plainTags = true;
        for (const QString& tag : post.tags)
            plainTags = plainTags && !tag.contains(u',') && !tag.contains(u'"');
        // A dated post is found for the write that asked for exactly what it shows.
        if (post.date.isValid() && post.date >= written.sentAt && plainTags)
            FUZZ_CHECK(PostMatches(written, post));
        // An undated one never is.
        NewestPost undated = post;
        undated.date = QDateTime();
        FUZZ_CHECK(!PostMatches(written, undated));
    }
    return 0;
}
