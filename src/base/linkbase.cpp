#include "base/linkbase.h"

#include "core/group.h"
#include "platform/fileio.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/textutil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace ruvia {

namespace {

// Links.XML is the file of record; between two full writes of it, each
// change is appended to a journal beside it, so that a durable change costs
// the same in a base of a hundred posts and of a hundred thousand. The
// journal is folded into Links.XML when the group closes or the journal has
// grown large, in an order that a kill at any moment survives:
//   1. the whole base is written to Links.Folded.XML (atomically);
//   2. the journal is removed;
//   3. Links.Folded.XML replaces Links.XML.
// At open, a journal means step 2 was not reached: Links.XML plus the journal
// is the base, and a Links.Folded.XML is dropped. Without a journal, a
// Links.Folded.XML means step 3 was not reached: it is the base.
struct LinkBase {
    xhXMLDocument doc;
    QString path;
    // PostID -> first Link of that PostID in document order. Links are never
    // removed and a PostID is never changed once written, so appending is the
    // only change the index has to follow.
    QHash<QString, pugi::xml_node> index;
    // The largest decimal PostID of the index, kept as links are added;
    // empty until first asked for after the index was rebuilt.
    QString highest;
    // Journal lines of the changes made since the last save.
    QByteArray pending;
    // A change the journal cannot express was made: the next save writes the whole base.
    bool fullSaveNeeded = false;
    bool replaying = false;
    QFile journal;
    qint64 journalBytes = 0;
    QElapsedTimer lastSync;
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
// Links, Link, PictureURL and its text are four levels; hand edits get room.
constexpr int kMaxNesting = 64;
const QByteArray kJournalHeader = QByteArrayLiteral("{\"journal\":\"Ruvia link base\",\"version\":1}\n");
// Past this the journal is folded into Links.XML at the next save.
constexpr qint64 kFoldJournalBytes = 8 * 1024 * 1024;
constexpr qint64 kSyncIntervalMs = 500;

QString siblingPath(const QString& name)
{
    return QFileInfo(base().path).path() + u'/' + name;
}
QString journalPath() { return siblingPath(QStringLiteral("Links.Journal")); }
QString foldedPath() { return siblingPath(QStringLiteral("Links.Folded.XML")); }

void record(const QJsonObject& change)
{
    LinkBase& b = base();
    if (b.replaying)
        return;
    b.pending += QJsonDocument(change).toJson(QJsonDocument::Compact);
    b.pending += '\n';
}

void closeJournal()
{
    LinkBase& b = base();
    if (b.journal.isOpen())
        ::fdatasync(b.journal.handle());
    b.journal.close();
    b.journalBytes = 0;
}

void rebuildIndex()
{
    LinkBase& b = base();
    b.index.clear();
    b.highest.clear();
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


// The document's own setters, used by the changes the journal records.
void setAttribute(pugi::xml_node element, const QString& name, const QString& value)
{
    pugi::xml_attribute a = xhXMLDocument::FindAttribute(element, name);
    if (!a) {
        xhXMLDocument::AppendAttribute(element, name, value);
        return;
    }
    a.set_value(toU8(value).c_str());
}

void setPictureURL(pugi::xml_node link, const QString& url, const QString& size)
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
    setAttribute(picture, QString::fromLatin1(kSize), size);
    xhXMLDocument::SetText(picture, url);
}

// One journal line back into a change; false for a line that is not one.
bool replayLine(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonObject c = QJsonDocument::fromJson(line, &error).object();
    if (error.error != QJsonParseError::NoError)
        return false;
    const QString op = c.value(u"op").toString();
    const QString id = c.value(u"id").toString();
    if (op == u"add")
        return AddLink(id, c.value(u"file").toString(), c.value(u"user").toString());
    if (op == u"resolve") {
        const QJsonArray fields = c.value(u"links").toArray();
        if (fields.size() != PostLinks::FieldCount)
            return false;
        PostLinks links;
        for (int i = 0; i < PostLinks::FieldCount; ++i)
            links[i] = fields.at(i).toString();
        ResolveLink(id, links);
        return true;
    }
    if (op == u"reset") {
        ResetLink(id);
        return true;
    }
    return false;
}

// Applies the journal to the loaded base and keeps it for further changes.
void replayJournal()
{
    LinkBase& b = base();
    QByteArray bytes;
    QString error;
    if (!FileObject::readBytes(journalPath(), bytes, &error)) {
        tsLogError(QStringLiteral("OpenLinksBase() ==> can't read the journal: ") + error);
        b.fullSaveNeeded = true;
        return;
    }
    if (!bytes.startsWith(kJournalHeader)) {
        tsLogError(QStringLiteral("OpenLinksBase() ==> the journal is not one of ours; it is dropped."));
        b.fullSaveNeeded = true;
        return;
    }
    b.replaying = true;
    qsizetype at = kJournalHeader.size();
    int applied = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        // A last line without its line break was being written when the
        // program ended; its save never returned, so it is not a change.
        if (end < 0 || !replayLine(bytes.mid(at, end - at))) {
            tsLogWarning(QStringLiteral("OpenLinksBase() ==> journal read up to byte %1 of %2; the rest "
                                        "is dropped.")
                             .arg(at)
                             .arg(bytes.size()));
            b.fullSaveNeeded = true;
            break;
        }
        ++applied;
        at = end + 1;
    }
    b.replaying = false;
    b.journalBytes = bytes.size();
    tsDebugPrint(QStringLiteral("OpenLinksBase() ==> %1 journalled changes replayed").arg(applied));
}

bool appendJournal(QString* error)
{
    LinkBase& b = base();
    if (b.pending.isEmpty())
        return true;
    if (!b.journal.isOpen()) {
        b.journal.setFileName(journalPath());
        const bool fresh = !b.journal.exists();
        if (!b.journal.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            *error = b.journal.errorString();
            return false;
        }
        if (fresh)
            b.pending.prepend(kJournalHeader);
        b.journalBytes = b.journal.size();
    }
    const qint64 before = b.journal.size();
    // Written through to the system at once, which a killed program cannot
    // undo; pushed to the disk at most every kSyncIntervalMs, so a batch does
    // not wait for the disk after every post and a power cut costs at most
    // the last moments of changes, never the base.
    const bool sync = !b.lastSync.isValid() || b.lastSync.elapsed() >= kSyncIntervalMs;
    if (b.journal.write(b.pending) != b.pending.size() || (sync && ::fdatasync(b.journal.handle()) != 0)) {
        *error = b.journal.errorString();
        // A line cut short would hide every later one from the replay.
        b.journal.resize(before);
        closeJournal();
        return false;
    }
    b.journalBytes = before + b.pending.size();
    b.pending.clear();
    if (sync)
        b.lastSync.start();
    return true;
}

// Writes the whole base and drops the journal (the order is explained above).
bool foldBase(QString* error)
{
    LinkBase& b = base();
    const QString folded = foldedPath();
    if (!b.doc.Save(folded)) {
        *error = b.doc.LastError();
        return false;
    }
    closeJournal();
    if (QFile::exists(journalPath()) && !QFile::remove(journalPath())) {
        *error = QStringLiteral("Can't remove the journal %1.").arg(journalPath());
        QFile::remove(folded);
        return false;
    }
    if (std::rename(QFile::encodeName(folded).constData(), QFile::encodeName(b.path).constData()) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        // Links.Folded.XML holds the base; the next open puts it in place.
        return false;
    }
    b.pending.clear();
    b.fullSaveNeeded = false;
    return true;
}

} // namespace

xhXMLDocument& LinksDocument()
{
    // Whatever a caller changes here, the journal cannot know.
    base().fullSaveNeeded = true;
    return base().doc;
}

QString LinksBasePath()
{
    return base().path;
}

bool OpenLinksBase()
{
    LinkBase& b = base();
    closeJournal();
    b.doc.New();
    b.index.clear();
    b.highest.clear();
    b.pending.clear();
    b.fullSaveNeeded = false;
    b.path = tsBuildFileName(SET_DataPath, QStringLiteral("Links.XML"));

    // Finish or undo a fold that an earlier run did not complete.
    const bool journal = QFile::exists(journalPath());
    if (journal)
        QFile::remove(foldedPath());
    else if (QFile::exists(foldedPath()))
        std::rename(QFile::encodeName(foldedPath()).constData(), QFile::encodeName(b.path).constData());

    if (!tsIsFileExist(b.path)) {
        if (journal)
            tsLogError(QStringLiteral("OpenLinksBase() ==> a journal without its Links.XML is dropped."));
        CreateLinksBase();
        return SaveLinksBase();
    }

    bool loaded = b.doc.Load(b.path);
    QString error = b.doc.LastError();
    if (loaded && std::strcmp(b.doc.Root().name(), kLinks) != 0) {
        // Another XML file under this name would take every new link and show none.
        loaded = false;
        error = QStringLiteral("The root element is not \"Links\".");
    } else if (loaded && b.doc.NestsDeeperThan(kMaxNesting)) {
        // No base nests so deep; such a file would make every indented save
        // grow with the square of its depth.
        loaded = false;
        error = QStringLiteral("The elements nest deeper than %1 levels.").arg(kMaxNesting);
    }
    if (loaded) {
        rebuildIndex();
        if (journal)
            replayJournal();
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
    b.highest.clear();
    b.pending.clear();
    b.fullSaveNeeded = true;
    const pugi::xml_node root =
        xhXMLDocument::AppendElement(b.doc.DocumentNode(), QString::fromLatin1(kLinks));
    xhXMLDocument::AppendAttribute(root, QStringLiteral("Group"), SET_GroupName);
}

bool SaveLinksBase()
{
    LinkBase& b = base();
    QString error;
    if (!b.fullSaveNeeded && appendJournal(&error)) {
        // A failed fold costs nothing: the journal holds every change.
        if (b.journalBytes > kFoldJournalBytes && !foldBase(&error))
            tsLogWarning(QStringLiteral("SaveLinksBase() ==> the journal was not folded: ") + error);
        return true;
    }
    if (!error.isEmpty())
        tsLogWarning(QStringLiteral("SaveLinksBase() ==> can't write the journal: ") + error);
    return FoldLinksBase();
}

bool FoldLinksBase()
{
    LinkBase& b = base();
    // Links.XML already holds everything: nothing to write.
    if (b.pending.isEmpty() && !b.fullSaveNeeded && !b.journal.isOpen() && !QFile::exists(journalPath()))
        return true;
    for (;;) {
        QString error;
        if (foldBase(&error))
            return true;
        // Whatever failed, the base is still whole in memory and on disk.
        b.fullSaveNeeded = true;
        const QString text =
            joinMessage({b.path, QStringLiteral("Can't save data file with all links."), error});
        if (MsgBox(text, MB_RETRYCANCEL | MB_ICONCRITICAL) != IDRETRY)
            return false;
    }
}

bool AddLink(const QString& postId, const QString& originalFileName, const QString& userName)
{
    LinkBase& b = base();
    const pugi::xml_node link =
        xhXMLDocument::AppendElement(b.doc.Root(), QString::fromLatin1(kLink));
    setAttribute(link, QStringLiteral("PostID"), postId);
    setAttribute(link, QStringLiteral("OriginalFileName"), originalFileName);
    setAttribute(link, QStringLiteral("UserName"), userName);
    setAttribute(link, QStringLiteral("Resolved"), QStringLiteral("False"));
    record({{QStringLiteral("op"), QStringLiteral("add")},
            {QStringLiteral("id"), postId},
            {QStringLiteral("file"), originalFileName},
            {QStringLiteral("user"), userName}});
    // An earlier Link of the same PostID stays the one that lookups find.
    if (link && std::strcmp(b.doc.Root().name(), kLinks) == 0 && !b.index.contains(postId)) {
        b.index.insert(postId, link);
        if (!b.highest.isEmpty() && IsFileSafePostID(postId) && ComparePostIDs(postId, b.highest) > 0)
            b.highest = postId;
    }
    return true;
}

bool ResolveLink(const QString& postId, const PostLinks& links)
{
    const pugi::xml_node link = FindLink(postId);
    if (!link)
        return false;
    setAttribute(link, QStringLiteral("PostID"), postId);
    setAttribute(link, QStringLiteral("PostURL"), links[PostLinks::PostURL]);
    setAttribute(link, QStringLiteral("PostURLSlug"), links[PostLinks::PostURLSlug]);
    setAttribute(link, QStringLiteral("Resolved"), QStringLiteral("True"));
    const QStringList sizes = PostLinks::Sizes();
    QJsonArray fields;
    for (int i = 0; i < sizes.size(); ++i)
        setPictureURL(link, links[PostLinks::Picture1280 + i], sizes.at(i));
    for (const QString& f : links.fields)
        fields.append(f);
    record({{QStringLiteral("op"), QStringLiteral("resolve")},
            {QStringLiteral("id"), postId},
            {QStringLiteral("links"), fields}});
    return true;
}

bool ResetLink(const QString& postId)
{
    const pugi::xml_node link = FindLink(postId);
    if (!link)
        return false;
    setAttribute(link, QStringLiteral("PostID"), postId);
    xhXMLDocument::RemoveAttribute(link, QStringLiteral("PostURL"));
    xhXMLDocument::RemoveAttribute(link, QStringLiteral("PostURLSlug"));
    setAttribute(link, QStringLiteral("Resolved"), QStringLiteral("False"));
    xhXMLDocument::RemoveChildren(link);
    record({{QStringLiteral("op"), QStringLiteral("reset")}, {QStringLiteral("id"), postId}});
    return true;
}

void SetNodeAttribute(pugi::xml_node element, const QString& name, const QString& value)
{
    base().fullSaveNeeded = true;
    setAttribute(element, name, value);
}

void SetPictureURL(pugi::xml_node link, const QString& url, const QString& size)
{
    base().fullSaveNeeded = true;
    setPictureURL(link, url, size);
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

int ComparePostIDs(const QString& a, const QString& b)
{
    auto significant = [](const QString& id) {
        qsizetype zeros = 0;
        while (zeros + 1 < id.size() && id.at(zeros) == u'0')
            ++zeros;
        return QStringView(id).mid(zeros);
    };
    const QStringView x = significant(a);
    const QStringView y = significant(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}

QString HighestPostID()
{
    LinkBase& b = base();
    if (b.highest.isEmpty()) {
        b.highest = QStringLiteral("0");
        for (auto it = b.index.cbegin(); it != b.index.cend(); ++it)
            if (IsFileSafePostID(it.key()) && ComparePostIDs(it.key(), b.highest) > 0)
                b.highest = it.key();
    }
    return b.highest;
}

QStringList PostIDsAbove(const QString& postId)
{
    QStringList out;
    for (auto it = base().index.cbegin(); it != base().index.cend(); ++it)
        if (IsFileSafePostID(it.key()) && ComparePostIDs(it.key(), postId) > 0)
            out.append(it.key());
    return out;
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
