#include "links/addpost.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/paths.h"
#include "platform/textutil.h"
#include "platform/xmldocument.h"

namespace ruvia {

bool IsValidPostId(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QString DefaultOriginalFileName()
{
    const QString file = tsBuildFileName(SET_DataPath, QStringLiteral("Uploads.XML"));
    if (!tsIsFileExist(file))
        return {};
    xhXMLDocument doc;
    if (!doc.Load(file))
        return {};
    return doc.GetText(QStringLiteral("/Uploads/UploadItem[@Selected='True']/OriginalFileName"));
}

QString DefaultUserName() { return tsGetFullUserName(SET_AttoFormat); }

} // namespace ruvia
