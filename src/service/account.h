#pragma once
// The account seam: what the windows and the upload run ask of the service,
// whichever protocol the signed-in account speaks. Only src/service knows
// the protocols behind it.
#include "platform/httprequest.h"
#include "service/postlinks.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

namespace ruvia {

enum class AccountKind { V1 = 1, V2 = 2 };

// One blog the account may post to: the entry the group box shows
// ("title | host", the host being the group's folder name) and an id that
// stays when the blog is renamed.
struct GroupEntry {
    QString text;
    QString id;
};

// A photo post to make: a file's bytes, or a picture's address.
struct PhotoPost {
    QString caption;
    QString tags;
    QString clickThroughUrl;
    // A post state code (PostState).
    int state = 0;
    // The publish date as the user typed it (state 2 and 6).
    QString publishOn;
    QByteArray data;
    // The file's name, for the service's record of the upload.
    QString fileName;
    // A picture on the web; wins over data when both are given.
    QString source;
    // The picture described for people who cannot see it; sent where the
    // protocol carries it (SendsAltText).
    QString altText;
};

// One post of a list of the blog's newest posts.
struct NewestPost {
    QString id;
    QString url;
    QString caption;
    QStringList tags;
    QString linkUrl;
    QSize size;
    // When it was posted; invalid when the reply did not say.
    QDateTime date;
};

class ServiceAccount {
public:
    virtual ~ServiceAccount() = default;
    virtual AccountKind Kind() const = 0;
    // Who is signed in, as the user knows the account (an e-mail address,
    // an account name).
    virtual QString DisplayName() const = 0;

    // What the windows offer for this account: the post states it can
    // make (PostState codes, in the order a state list shows them) and
    // whether a picture's description reaches the service.
    virtual QList<int> PostStates() const = 0;
    virtual bool SendsAltText() const = 0;
    // How the publish date is written, for the box that takes it, and an
    // example to show in it while it is empty (may be empty).
    virtual QString PublishDateForm() const = 0;
    virtual QString PublishDateExample() const = 0;

    // The account's blogs. A failure has been shown to the user: false.
    virtual bool ListGroups(IHTTPRequestCallback* callback, QList<GroupEntry>& groups) = 0;

    // Makes a photo post on group (a GroupEntry id). True with postId set
    // when the service made it. On a failure (already shown), unconfirmed
    // tells whether the post may have been made all the same: the request
    // may have reached the service and no refusal came back.
    virtual bool WritePhotoPost(const QString& group, const PhotoPost& post,
                                IHTTPRequestCallback* callback, QString& postId,
                                bool* unconfirmed = nullptr) = 0;

    // Reads a post back: 0 with links filled, 1 abort, 2 ignore, 3 read
    // again (the reply was unreadable and the user chose Retry).
    virtual int ReadPostLinks(const QString& group, const QString& postId,
                              IHTTPRequestCallback* callback, PostLinks& links) = 0;

    // One page of the group's newest posts in a list state ("" published
    // and private, "queue", "draft", "submission"), newest first. cursor is
    // empty for the first page and is set to the next page's, or emptied
    // when there are no more. A failure is asked about with failureText
    // (Abort/Retry/Ignore): 0 read, 1 abort, 2 ignore.
    virtual int ListNewestPosts(const QString& group, const QString& state, QString& cursor,
                                const QString& failureText, IHTTPRequestCallback* callback,
                                QList<NewestPost>& posts) = 0;
};

// The account of the open group. Until one is installed, an account of the
// version 1 interface over SET_EMail and SET_Password.
ServiceAccount& CurrentAccount();
void SetCurrentAccount(std::shared_ptr<ServiceAccount> account);
std::shared_ptr<ServiceAccount> CurrentAccountShared();
// The open group's id for the account (SET_GroupId, else SET_GroupName).
QString CurrentGroupId();

// The open group keeps, in its Settings.INI, which kind of account opened
// it last, so that the next opening can offer the same.
bool RecordGroupAccountKind(AccountKind kind);
// AccountKind::V1 when the group has no record (it was made before v2).
AccountKind GroupAccountKind();

// The folder name a blog of that id was first opened under, so a renamed
// blog keeps its base; empty when none was recorded.
QString KnownGroupFolder(const QString& id);
void RememberGroupFolder(const QString& id, const QString& folder);

} // namespace ruvia
