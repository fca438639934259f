#include "base/linkbase.h"

#include "core/group.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/textutil.h"

#include <QHash>

#include <cstring>

namespace ruvia {

namespace {

struct LinkBase {
    xhXMLDocument doc;
    QString path;
    // PostID -> first Link of that PostID in document order. Links are never
    // removed and a PostID is never changed once written, so appending is the
    // only change the index has to follow.
    QHash<QString, pugi::xml_node> index;
};

LinkBase& base()
{
    static LinkBase b;
    return b;
}

constexpr char kLinks[] = "Links";
constexpr char kLink[] = "Link";
constexpr char kPictureURL[] = "PictureURL";
constexpr char kSize[] = "Size";
constexpr char kPostID[] = "PostID";

void rebuildIndex()
{
    LinkBase& b = base();
    b.index.clear();
    const pugi::xml_node root = b.doc.Root();
    if (std::strcmp(root.name(), kLinks) != 0)
        return;
    // Last to first, so the first Link of a PostID is the one that stays.
    for (pugi::xml_node link = root.last_child(); link; link = link.previous_sibling()) {
        if (std::strcmp(link.name(), kLink) != 0)
            continue;
        const pugi::xml_attribute id = link.attribute(kPostID);
        if (id)
            b.index.insert(fromU8(id.value()), link);
    }
}

QString localFileName(const QString& postId, const char* urlSize, const QString& fileSize)
{
    if (!IsFileSafePostID(postId))
        return {};
    const QString url = LinkPictureURL(FindLink(postId), urlSize);
    if (url.isEmpty())
        return {};
    return tsBuildFileName(SET_DataPath, postId) + u'.' + fileSize + u'.' +
           tsGetFileExtension(url).toUpper();
}

} // namespace

xhXMLDocument& LinksDocument()
{
    return base().doc;
}
QString LinksBasePath()
{
    return base().path;
}

bool OpenLinksBase()
{
    LinkBase& b = base();
    b.doc.New();
    b.index.clear();
    b.path = tsBuildFileName(SET_DataPath, QStringLiteral("Links.XML"));

    if (!tsIsFileExist(b.path)) {
        CreateLinksBase();
        return SaveLinksBase();
    }

    bool loaded = b.doc.Load(b.path);
    QString error = b.doc.LastError();
    if (loaded && std::strcmp(b.doc.Root().name(), kLinks) != 0) {
        // Another XML file under this name would take every new link and show none.
        loaded = false;
        error = QStringLiteral("The root element is not \"Links\".");
    }
    if (loaded) {
        rebuildIndex();
        return true;
    }

    const QString text = joinMessage(
        {b.path,
         QStringLiteral("Can't load data file with all links. You can fix it manually or "
                        "overwrite it with blank one."),
         QStringLiteral("Recreate data file? All data in damaged file will be destroyed!"), error});
    if (MsgBox(text, MB_OKCANCEL | MB_ICONCRITICAL | MB_DEFBUTTON2) != IDOK) {
        b.doc.New();
        return false;
    }
    CreateLinksBase();
    return SaveLinksBase();
}

void CreateLinksBase()
{
    LinkBase& b = base();
    b.doc.New(QStringLiteral("utf-8"));
    b.index.clear();
    const pugi::xml_node root =
        xhXMLDocument::AppendElement(b.doc.DocumentNode(), QString::fromLatin1(kLinks));
    xhXMLDocument::AppendAttribute(root, QStringLiteral("Group"), SET_GroupName);
}

bool SaveLinksBase()
{
    LinkBase& b = base();
    for (;;) {
        if (b.doc.Save(b.path))
            return true;
        const QString text = joinMessage(
            {b.path, QStringLiteral("Can't save data file with all links."), b.doc.LastError()});
        if (MsgBox(text, MB_RETRYCANCEL | MB_ICONCRITICAL) != IDRETRY)
            return false;
    }
}

bool AddLink(const QString& postId, const QString& originalFileName, const QString& userName)
{
    LinkBase& b = base();
    const pugi::xml_node link =
        xhXMLDocument::AppendElement(b.doc.Root(), QString::fromLatin1(kLink));
    SetNodeAttribute(link, QStringLiteral("PostID"), postId);
    SetNodeAttribute(link, QStringLiteral("OriginalFileName"), originalFileName);
    SetNodeAttribute(link, QStringLiteral("UserName"), userName);
    SetNodeAttribute(link, QStringLiteral("Resolved"), QStringLiteral("False"));
    // An earlier Link of the same PostID stays the one that lookups find.
    if (link && std::strcmp(b.doc.Root().name(), kLinks) == 0 && !b.index.contains(postId))
        b.index.insert(postId, link);
    return true;
}

bool ResolveLink(const QString& postId, const PostLinks& links)
{
    const pugi::xml_node link = FindLink(postId);
    if (!link)
        return false;
    SetNodeAttribute(link, QStringLiteral("PostID"), postId);
    SetNodeAttribute(link, QStringLiteral("PostURL"), links[PostLinks::PostURL]);
    SetNodeAttribute(link, QStringLiteral("PostURLSlug"), links[PostLinks::PostURLSlug]);
    SetNodeAttribute(link, QStringLiteral("Resolved"), QStringLiteral("True"));
    const QStringList sizes = PostLinks::Sizes();
    for (int i = 0; i < sizes.size(); ++i)
        SetPictureURL(link, links[PostLinks::Picture1280 + i], sizes.at(i));
    return true;
}

bool ResetLink(const QString& postId)
{
    const pugi::xml_node link = FindLink(postId);
    if (!link)
        return false;
    SetNodeAttribute(link, QStringLiteral("PostID"), postId);
    xhXMLDocument::RemoveAttribute(link, QStringLiteral("PostURL"));
    xhXMLDocument::RemoveAttribute(link, QStringLiteral("PostURLSlug"));
    SetNodeAttribute(link, QStringLiteral("Resolved"), QStringLiteral("False"));
    xhXMLDocument::RemoveChildren(link);
    return true;
}

void SetNodeAttribute(pugi::xml_node element, const QString& name, const QString& value)
{
    pugi::xml_attribute a = xhXMLDocument::FindAttribute(element, name);
    if (!a) {
        xhXMLDocument::AppendAttribute(element, name, value);
        return;
    }
    a.set_value(toU8(value).c_str());
}

void SetPictureURL(pugi::xml_node link, const QString& url, const QString& size)
{
    const std::string sizeU8 = toU8(size);
    pugi::xml_node picture;
    for (pugi::xml_node child : link.children(kPictureURL)) {
        if (sizeU8 == child.attribute(kSize).value()) {
            picture = child;
            break;
        }
    }
    if (!picture)
        picture = xhXMLDocument::AppendElement(link, QString::fromLatin1(kPictureURL));
    SetNodeAttribute(picture, QString::fromLatin1(kSize), size);
    xhXMLDocument::SetText(picture, url);
}

QStringList GetLinksList()
{
    QStringList out;
    const pugi::xml_node root = base().doc.Root();
    if (std::strcmp(root.name(), kLinks) != 0)
        return out;
    for (pugi::xml_node link : root.children(kLink)) {
        const char* id = link.attribute(kPostID).value();
        if (!*id)
            continue;
        const char* file = link.attribute("OriginalFileName").value();
        if (*file)
            out.append(fromU8(id) + QStringLiteral(" :: ") + fromU8(file));
        else
            out.append(fromU8(id));
    }
    return out;
}

int GetLinksCount()
{
    const pugi::xml_node root = base().doc.Root();
    if (std::strcmp(root.name(), kLinks) != 0)
        return 0;
    int count = 0;
    for (pugi::xml_node link : root.children(kLink)) {
        Q_UNUSED(link);
        ++count;
    }
    return count;
}

pugi::xml_node FindLink(const QString& postId)
{
    return base().index.value(postId);
}

QString LinkAttribute(pugi::xml_node link, const char* name)
{
    return fromU8(link.attribute(name).value());
}

QString LinkPictureURL(pugi::xml_node link, const char* size)
{
    for (pugi::xml_node child : link.children(kPictureURL))
        if (std::strcmp(child.attribute(kSize).value(), size) == 0)
            return fromU8(child.text().get());
    return {};
}

bool IsResolvedText(const QString& text)
{
    const QString t = tsTrimEx2(text).toUpper();
    return t == u"TRUE" || t == u"1" || t == u"YES";
}

bool IsFileSafePostID(const QString& postId)
{
    if (postId.isEmpty())
        return false;
    for (QChar c : postId)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QString GetOriginalFileName(const QString& postId)
{
    return LinkAttribute(FindLink(postId), "OriginalFileName");
}

QString GetThumbnailURL(const QString& postId)
{
    return LinkPictureURL(FindLink(postId), "250");
}

QString GetPictureURL(const QString& postId)
{
    const pugi::xml_node link = FindLink(postId);
    const QString url = LinkPictureURL(link, "1280");
    return url.isEmpty() ? LinkPictureURL(link, "500") : url;
}

QString GetPostURL(const QString& postId)
{
    const pugi::xml_node link = FindLink(postId);
    const QString slug = LinkAttribute(link, "PostURLSlug");
    return slug.isEmpty() ? LinkAttribute(link, "PostURL") : slug;
}

bool IsLinkResolved(const QString& postId)
{
    return IsResolvedText(LinkAttribute(FindLink(postId), "Resolved"));
}

QString GetPictureFileName(const QString& postId)
{
    return localFileName(postId, "500", QStringLiteral("1280"));
}

QString GetThumbnailFileName(const QString& postId)
{
    return localFileName(postId, "250", QStringLiteral("250"));
}

} // namespace ruvia
