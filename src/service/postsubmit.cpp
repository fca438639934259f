#include "service/postsubmit.h"

#include "core/settings.h"
#include "platform/prompter.h"
#include "platform/requestfields.h"
#include "platform/textutil.h"
#include "service/requestframe.h"

namespace ruvia {

QString PostIdFromReply(const QByteArray& body)
{
    const QString id = tsTrimEx2(QString::fromLatin1(body));
    if (id.isEmpty())
        return {};
    for (QChar c : id)
        if (c < u'0' || c > u'9')
            return {};
    return id;
}

bool WritePost(const QString& group, const QString& email, const QString& password,
               const QString& caption, const QString& tags, const QString& clickThroughUrl,
               int state, const QString& publishOn, const QByteArray& data,
               const QString& source, IHTTPRequestCallback* callback, QString& postId,
               bool* unconfirmed)
{
    postId.clear();
    if (unconfirmed)
        *unconfirmed = false;
    RequestFields fields;
    fields.AddField(QStringLiteral("email"), email.toUtf8());
    fields.AddField(QStringLiteral("password"), password.toUtf8());
    fields.AddField(QStringLiteral("type"), "photo");
    if (!caption.isEmpty())
        fields.AddField(QStringLiteral("caption"), tsUNICODEToUTF8(caption));
    if (!clickThroughUrl.isEmpty())
        fields.AddField(QStringLiteral("click-through-url"), tsUNICODEToUTF8(clickThroughUrl));
    if (source.isEmpty())
        fields.AddField(QStringLiteral("data"), data);
    else
        fields.AddField(QStringLiteral("source"), tsUNICODEToUTF8(source));
    fields.AddField(QStringLiteral("generator"), tsUNICODEToUTF8(HTTPRequest::GetAgentString()));
    fields.AddField(QStringLiteral("tags"), tsUNICODEToUTF8(tags));
    if (!group.isEmpty())
        fields.AddField(QStringLiteral("group"), group.toUtf8());

    switch (state) {
    case StatePublishNow:
        fields.AddField(QStringLiteral("state"), "published");
        break;
    case StateQueue:
        fields.AddField(QStringLiteral("state"), "queue");
        break;
    case StatePublishOn:
    case StatePublishOnOld:
        fields.AddField(QStringLiteral("state"), "queue");
        fields.AddField(QStringLiteral("publish-on"), publishOn.toUtf8());
        break;
    case StateDraft:
        fields.AddField(QStringLiteral("state"), "draft");
        break;
    case StateSubmission:
        fields.AddField(QStringLiteral("state"), "submission");
        break;
    case StatePrivate:
        fields.AddField(QStringLiteral("private"), "1");
        break;
    default:
        MsgBox(QStringLiteral("Warning! Invalid post state!"), MB_ICONCRITICAL);
        break;
    }

    HTTPRequest request;
    SendServiceRequest(request, QString::fromUtf16(kServiceHost), kServicePort,
                       QStringLiteral("POST"), QStringLiteral("/api/write"), SET_Timeout, fields,
                       callback);
    if (unconfirmed) {
        // Only a refusal, or a connection that never opened, proves there is no post.
        const int status = request.GetStatusCode();
        const bool refused = (status >= 400 && status < 500)
            || (status == 0 && request.GetErrorKind() == ErrorConnect);
        *unconfirmed = !refused;
    }
    if (request.GetErrorCode() != 0) {
        ShowRequestError(request, MB_ICONCRITICAL, QStringLiteral("Can't send post."));
        return false;
    }
    const QString message = QStringLiteral("Can't send post. ")
        + DecodeReplyText(request.GetResponseBody());
    if (request.GetStatusCode() != 201) {
        ShowRequestError(request, MB_ICONCRITICAL, message);
        return false;
    }
    postId = PostIdFromReply(request.GetResponseBody());
    if (postId.isEmpty()) {
        ShowRequestError(request, MB_ICONCRITICAL, message);
        return false;
    }
    if (unconfirmed)
        *unconfirmed = false;
    return true;
}

} // namespace ruvia
