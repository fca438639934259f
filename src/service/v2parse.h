#pragma once
// What API v2 sends and answers, without the network: the reply envelope
// and its errors, the blogs of the user, a post's picture sizes and
// addresses, the lists of posts, and the parameter object of a new photo
// post. Post ids stay the service's text: a 64-bit id does not survive a
// double.
#include "service/account.h"
#include "service/postlinks.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

namespace ruvia {

struct V2Error {
    QString title;
    int code = 0;
    QString detail;
};

// The envelope of an API reply: response and errors. False when the body is
// not a JSON object (a web page from a proxy, say).
bool ParseV2Envelope(const QByteArray& body, QJsonValue& response, QList<V2Error>& errors);

struct V2Blog {
    QString uuid;
    QString name;
    QString title;
    // The host of its address: the group's folder name.
    QString host;
    QString type;
    bool primary = false;
};

// The reply of /v2/user/info: the user's name and blogs. False with error set.
bool ParseUserInfo(const QByteArray& body, QString& userName, QList<V2Blog>& blogs,
                   QString* error);
// "https://name.tumblr.com/" -> "name.tumblr.com"; empty when it has no host.
QString HostOfAddress(const QString& address);

// A post's id as the service wrote it: id_string, a string id, or a number
// small enough to be exact. Empty when there is none that can be trusted.
QString PostIdOf(const QJsonObject& object);

// The id of a create reply ({"response":{"id":"..."}}); empty when none.
QString CreatedPostId(const QByteArray& body);

// The picture of a post's first image block in the six sizes, chosen by
// width: the exact width, else the smallest wider one, else the widest; and
// the post's addresses from post_url (blogHost and the id make them when the
// reply has none). False when the reply holds no post.
bool ParsePostObject(const QJsonObject& post, const QString& blogHost, PostLinks& links);
// The URL of the width the rule above picks from media.
QString PictureOfWidth(const QJsonArray& media, int width);

// The posts of a list reply ({"response":{"posts":[...]}}), newest first.
bool ParsePostList(const QByteArray& body, QList<NewestPost>& posts, QString* error);
NewestPost NewestPostOf(const QJsonObject& post);

// The publish date as typed, read as local time unless it names a zone,
// in ISO 8601 (UTC). Empty when it cannot be read.
QString PublishDateToIso(const QString& typed);

// The parameter object of a photo post whose picture is the upload part
// named identifier; caption lines become text blocks. error is set (and
// the result empty) for a state v2 does not have or an unreadable date.
QJsonObject PhotoPostParameters(const PhotoPost& post, const QString& identifier,
                                const QString& mimeType, QString* error);

// The content type of picture bytes (image/jpeg, image/png, image/gif,
// image/webp, image/bmp); empty when they are no picture we know.
QString PictureMimeType(const QByteArray& bytes);

} // namespace ruvia
