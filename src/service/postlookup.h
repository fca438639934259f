#pragma once
// Reading a post back from its blog: the read call with its recovery rules
// (redirects, the service's 408 reply, empty replies) and the parsing of the
// reply into PostLinks.
#include "platform/httprequest.h"
#include "service/account.h"
#include "service/postlinks.h"

#include <QByteArray>
#include <QString>

namespace ruvia {

class xhXMLDocument;

enum LookupOutcome : int {
    LookupSuccess = 0,
    LookupAbort = 1,
    LookupIgnore = 2,
    LookupRetry = 3,
};

// A redirect loop ends here with "Incorrect response received from server.".
inline constexpr int kMaxRedirects = 20;

// Reads post postId from blog host. reply gets the body, blanks trimmed
// (empty unless the outcome is LookupSuccess).
int ReadPost(const QString& host, const QString& email, const QString& password,
             const QString& postId, IHTTPRequestCallback* callback, QByteArray& reply);
// The largest page of a list read.
inline constexpr int kNewestPostsPage = 50;
// Reads a page of the blog's newest photo posts, newest first, as their
// owner sees them: start posts skipped, state "" (published and private
// posts) or "queue", "draft", "submission". A failure is asked about with
// failureText above the request's error. The outcome as ReadPost's.
int ReadNewestPosts(const QString& host, const QString& email, const QString& password,
                    int start, const QString& state, const QString& failureText,
                    IHTTPRequestCallback* callback, QByteArray& reply);
// The plain GET of "/api/read" that clears the service's 408 state: 0, 1 or 2.
int SendDummyRead(const QString& host, IHTTPRequestCallback* callback);
// Loads a read reply into doc; false with error set (the text to show) when
// it is not XML or not the service's (no API version).
bool LoadReadReply(const QByteArray& reply, xhXMLDocument& doc, QString* error);
// The posts of a list read's reply, newest first; false with error set when
// the reply is not one.
bool ParseNewestPosts(const QByteArray& reply, QList<NewestPost>& posts, QString* error);
// 0 with links filled, or the answer to the question about a bad reply:
// 1 abort, 2 ignore, 3 retry.
int ParsePostReply(const QByteArray& reply, PostLinks& links);

// The value of the first "Location: " header (letter case significant) of a
// header text whose lines each end in CR LF. False when there is none or its
// line is not ended.
bool FindLocationHeader(const QString& headers, QString& location);

} // namespace ruvia
