#include "service/v1account.h"

#include "core/group.h"
#include "platform/prompter.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"
#include "service/requestframe.h"

namespace ruvia {

QList<int> V1Account::PostStates() const
{
    return {StatePublishNow, StateQueue, StatePublishOn, StateDraft, StateSubmission, StatePrivate};
}

QString V1Account::PublishDateForm() const
{
    return QStringLiteral(
        "Time to publish post. Set it in time zone selected in tumblelog's settings.");
}

bool V1Account::ListGroups(IHTTPRequestCallback* callback, QList<GroupEntry>& groups)
{
    QString list;
    if (!ParseGroupList(Authenticate(m_email, m_password, callback), list))
        return false;
    groups.clear();
    for (const QString& entry : list.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        groups.append({entry, GetGroupName(entry)});
    return true;
}

bool V1Account::WritePhotoPost(const QString& group, const PhotoPost& post,
                               IHTTPRequestCallback* callback, QString& postId, bool* unconfirmed)
{
    return WritePost(group, m_email, m_password, post.caption, post.tags, post.clickThroughUrl,
                     post.state, post.publishOn, post.data, post.source, callback, postId,
                     unconfirmed);
}

int V1Account::ReadPostLinks(const QString& group, const QString& postId,
                             IHTTPRequestCallback* callback, PostLinks& links)
{
    QByteArray reply;
    const int read = ReadPost(group, m_email, m_password, postId, callback, reply);
    if (read != LookupSuccess)
        return read;
    return ParsePostReply(reply, links);
}

int V1Account::ListNewestPosts(const QString& group, const QString& state, QString& cursor,
                               const QString& failureText, IHTTPRequestCallback* callback,
                               QList<NewestPost>& posts)
{
    const int start = cursor.isEmpty() ? 0 : cursor.toInt();
    for (;;) {
        QByteArray reply;
        const int outcome = ReadNewestPosts(group, m_email, m_password, start, state,
                                            failureText, callback, reply);
        if (outcome != LookupSuccess)
            return outcome;
        QString error;
        if (ParseNewestPosts(reply, posts, &error)) {
            cursor = posts.size() < kNewestPostsPage ? QString()
                                                     : QString::number(start + kNewestPostsPage);
            return LookupSuccess;
        }
        const int answer =
            ErrorReporter::AskAbortRetryIgnore(failureText + QStringLiteral("\r\n\r\n") + error);
        if (answer == IDABORT)
            return LookupAbort;
        if (answer != IDRETRY)
            return LookupIgnore;
    }
}

} // namespace ruvia
