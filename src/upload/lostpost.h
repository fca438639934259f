#pragma once
// Finding the post of a write whose outcome is unknown. When the connection
// of a write breaks after the request went out, the service may have made
// the post without our hearing its id; posting the row again would post the
// picture twice. Before such a row is posted again, the run looks for its
// post: in the base (the run recorded it, then the program died before the
// row went), then among the blog's newest posts that the base does not hold.
#include "platform/httprequest.h"
#include "service/account.h"

#include <QDateTime>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

namespace ruvia {

// What a write asked for, to recognise its post by.
struct WrittenPost {
    QString caption;
    QString tags;
    QString clickThroughUrl;
    // The name the run records the row under in the base.
    QString recordedName;
    // The picture's size; invalid when unknown (a link item, an unreadable file).
    QSize pictureSize;
    int stateCode = 0;
    // The highest post ID the base held before the write: its post is newer.
    QString newerThan = QStringLiteral("0");
    // When the write was sent: its post is no older than that, give or take
    // kLostPostClockSlackSecs of difference between our clock and the service's.
    QDateTime sentAt;
};

inline constexpr qint64 kLostPostClockSlackSecs = 15 * 60;

// A caption as a text filter leaves it: tags removed, the common entities
// decoded, each run of blanks one space, trimmed.
QString ComparableCaption(const QString& caption);
// The tags of a tags field as the service splits it (commas outside double
// quotes, quotes removed, blanks trimmed), lower-cased and sorted.
QStringList ComparableTags(const QString& tags);
// Whether post is what written asked for: dated no earlier than the write
// (less the clock slack), the same caption, tags and click-through URL and,
// when both are known, the same picture size (either way round). A post
// without a date is never taken: taking another post for this one would
// leave the picture unposted, which is worse than posting it twice.
bool PostMatches(const WrittenPost& written, const NewestPost& post);

// The list-read state that shows posts written with a post state code:
// "" (published and private), "queue", "draft" or "submission".
QString ListStateOfCode(int stateCode);

// How many pages of newest posts are looked through at most.
inline constexpr int kLostPostPages = 20;

enum LostPostOutcome : int {
    LostPostNotFound = 0,
    LostPostInBase = 1,
    LostPostOnBlog = 2,
    // The user stopped, or answered Abort to a failed read.
    LostPostAbort = 3,
    // The user answered Ignore to a failed read: post the row anyway.
    LostPostIgnore = 4,
};

// Whether written carries nothing but its picture to be recognised by: no
// caption, tags or click-through URL.
bool IsPlainWrite(const WrittenPost& written);

// Looks for written's post in the open base, then on the current blog
// (SET_GroupName, as the logged-in user); postId gets the post found. Of
// several matching posts the oldest is taken. A plain write matches any
// other plain post of the time, so the user is asked before such a post is
// taken (No, the default, posts the picture again).
int FindLostPost(const WrittenPost& written, IHTTPRequestCallback* callback, QString& postId);

} // namespace ruvia
