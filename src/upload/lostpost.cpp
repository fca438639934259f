#include "upload/lostpost.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "platform/log.h"
#include "platform/prompter.h"
#include "platform/xmldocument.h"
#include "service/account.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"

#include <QTimeZone>

#include <algorithm>

namespace ruvia {

namespace {

const QString kCheckFailed = QStringLiteral(
    "The last try to post this picture lost its connection before the service answered, so "
    "the post may have been made. Can't read the blog's newest posts to find out.\r\n"
    "Abort stops the upload, Retry reads them again, Ignore posts the picture anyway.");

QString decodeEntities(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const qsizetype end = c == u'&' ? text.indexOf(u';', i) : -1;
        if (end < 0 || end - i > 10) {
            out += c;
            continue;
        }
        const QStringView name = QStringView(text).mid(i + 1, end - i - 1);
        char32_t code = 0;
        if (name == u"amp")
            code = u'&';
        else if (name == u"lt")
            code = u'<';
        else if (name == u"gt")
            code = u'>';
        else if (name == u"quot")
            code = u'"';
        else if (name == u"apos")
            code = u'\'';
        else if (name == u"nbsp")
            code = u' ';
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint value = name.startsWith(u"#x") || name.startsWith(u"#X")
                ? name.mid(2).toUInt(&ok, 16)
                : name.mid(1).toUInt(&ok, 10);
            if (ok && value > 0 && value <= 0x10FFFF)
                code = value;
        }
        if (code == 0) {
            out += c;
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = end;
    }
    return out;
}

bool sameLinkUrl(QString a, QString b)
{
    a = a.trimmed();
    b = b.trimmed();
    if (a.endsWith(u'/'))
        a.chop(1);
    if (b.endsWith(u'/'))
        b.chop(1);
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool sameSize(const QSize& a, const QSize& b)
{
    if (!a.isValid() || a.isEmpty() || !b.isValid() || b.isEmpty())
        return true;
    return a == b || a == b.transposed();
}

// Each tag without quotes and outer blanks, lower-cased; sorted, no repeats.
QStringList comparableTagSet(const QStringList& tags)
{
    QStringList out;
    for (QString tag : tags) {
        tag = tag.remove(u'"').trimmed().toLower();
        if (!tag.isEmpty())
            out.append(tag);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// Reads the page at cursor of the newest posts in state, asking about a
// failure until it is read (LostPostNotFound) or the user gives up
// (LostPostAbort, LostPostIgnore).
int readNewestPage(const QString& state, QString& cursor, IHTTPRequestCallback* callback,
                   QList<NewestPost>& posts)
{
    const int outcome = CurrentAccount().ListNewestPosts(CurrentGroupId(), state, cursor,
                                                         kCheckFailed, callback, posts);
    if (outcome == LookupAbort)
        return LostPostAbort;
    if (outcome == LookupIgnore)
        return LostPostIgnore;
    return LostPostNotFound;
}

} // namespace

QString ComparableCaption(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    bool inTag = false;
    for (QChar c : caption) {
        if (c == u'<')
            inTag = true;
        else if (c == u'>' && inTag)
            inTag = false;
        else if (!inTag)
            text += c;
    }
    // Services differ in what a removed tag or a line break leaves behind,
    // so blanks do not count at all.
    text = decodeEntities(text);
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace())
            out += c;
    return out;
}

QStringList ComparableTags(const QString& tags)
{
    QStringList split;
    QString current;
    bool quoted = false;
    for (QChar c : tags) {
        if (c == u'"')
            quoted = !quoted;
        if (c == u',' && !quoted) {
            split.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    split.append(current);
    return comparableTagSet(split);
}

bool PostMatches(const WrittenPost& written, const NewestPost& post)
{
    if (!post.date.isValid() || !written.sentAt.isValid()
        || post.date < written.sentAt.addSecs(-kLostPostClockSlackSecs))
        return false;
    return ComparableCaption(written.caption) == ComparableCaption(post.caption)
        && ComparableTags(written.tags) == comparableTagSet(post.tags)
        && sameLinkUrl(written.clickThroughUrl, post.linkUrl)
        && sameSize(written.pictureSize, post.size);
}

bool IsPlainWrite(const WrittenPost& written)
{
    return ComparableCaption(written.caption).isEmpty() && ComparableTags(written.tags).isEmpty()
        && written.clickThroughUrl.trimmed().isEmpty();
}

QString ListStateOfCode(int stateCode)
{
    switch (stateCode) {
    case StateQueue:
    case StatePublishOn:
    case StatePublishOnOld:
        return QStringLiteral("queue");
    case StateDraft:
        return QStringLiteral("draft");
    case StateSubmission:
        return QStringLiteral("submission");
    default:
        return {};
    }
}

int FindLostPost(const WrittenPost& written, IHTTPRequestCallback* callback, QString& postId)
{
    postId.clear();
    // Recorded by this row's run after the write: the oldest such post.
    for (const QString& id : PostIDsAbove(written.newerThan))
        if (GetOriginalFileName(id) == written.recordedName
            && (postId.isEmpty() || ComparePostIDs(id, postId) < 0))
            postId = id;
    if (!postId.isEmpty())
        return LostPostInBase;

    const QString state = ListStateOfCode(written.stateCode);
    QString postUrl;
    QString cursor;
    for (int page = 0; page < kLostPostPages; ++page) {
        QList<NewestPost> posts;
        const int read = readNewestPage(state, cursor, callback, posts);
        if (read != LostPostNotFound)
            return read;
        bool older = false;
        for (const NewestPost& post : posts) {
            if (!IsFileSafePostID(post.id))
                continue;
            if (ComparePostIDs(post.id, written.newerThan) <= 0) {
                older = true;
                continue;
            }
            if (!FindLink(post.id) && PostMatches(written, post)
                && (postId.isEmpty() || ComparePostIDs(post.id, postId) < 0)) {
                postId = post.id;
                postUrl = post.url;
            }
        }
        // Published posts come newest first, so an older one ends the search; a
        // queue comes in its own order and is read to its end.
        if ((older && state.isEmpty()) || cursor.isEmpty())
            break;
    }
    if (!postId.isEmpty() && IsPlainWrite(written)) {
        const QString question = QStringLiteral(
            "The last try to post this picture lost its connection before the service answered. "
            "A post made since then has no caption, tags or click-through URL either, so it may "
            "be this picture, or another one:\r\n\r\n%1\r\n\r\n"
            "Yes records that post for this picture; No posts the picture again.")
                                     .arg(postUrl.isEmpty() ? postId : postUrl);
        if (MsgBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return LostPostNotFound;
    }
    if (!postId.isEmpty()) {
        tsLogWarning(QStringLiteral("FindLostPost() ==> post %1 on the blog is the one whose "
                                    "reply was lost; it is recorded instead of posting again.")
                         .arg(postId));
        return LostPostOnBlog;
    }
    return LostPostNotFound;
}

} // namespace ruvia
