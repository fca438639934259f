#pragma once
// Creating one photo post on the current blog through "/api/write".
#include "platform/httprequest.h"

#include <QByteArray>
#include <QString>

namespace ruvia {

enum PostState : int {
    StatePublishNow = 0,
    StateQueue = 1,
    StatePublishOn = 2,
    StateDraft = 3,
    StateSubmission = 4,
    StatePrivate = 5,
    // Kept for lists written by older versions: the same as StatePublishOn.
    StatePublishOnOld = 6,
};

// data holds the picture's bytes when a file is posted; source its address
// when a picture on the web is posted (source wins when both are given).
// True with postId set when the service created the post. On a failure,
// unconfirmed (when given) tells whether the service may still have made
// the post: the request may have reached it and no refusal came back (the
// connection broke or timed out after it opened, the user stopped, or a
// server error answered).
bool WritePost(const QString& group, const QString& email, const QString& password,
               const QString& caption, const QString& tags, const QString& clickThroughUrl,
               int state, const QString& publishOn, const QByteArray& data,
               const QString& source, IHTTPRequestCallback* callback, QString& postId,
               bool* unconfirmed = nullptr);

// The post id of a 201 reply: the body with blanks around it trimmed, when it
// is all decimal digits; empty otherwise.
QString PostIdFromReply(const QByteArray& body);

} // namespace ruvia
