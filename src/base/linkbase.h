#pragma once
// The link base of the open group: Links.XML in its data folder, one Link
// element per post. The document held here is the only copy in memory and
// is written only by SaveLinksBase, which callers invoke after each change.
//
// Changes made through AddLink, ResolveLink and ResetLink are journalled;
// any other change (SetNodeAttribute, LinksDocument) makes the next save a
// full one.
//
// Lookups by PostID take the first Link in document order whose PostID
// equals the given text exactly. They go through an index kept beside the
// document, so a lookup never scans the base and a PostID is never turned
// into XPath text.
#include "platform/xmldocument.h"
#include "service/postlinks.h"

#include <QString>
#include <QStringList>

namespace ruvia {

// Loads the open group's Links.XML (SET_DataPath), creating it when missing.
// A damaged file is recreated only when the user agrees. True when a usable
// document is in memory.
bool OpenLinksBase();
// Replaces the document with an empty base of the current group (SET_GroupName).
void CreateLinksBase();
// Makes every change since the last save durable: appended to the journal
// beside Links.XML, or, when that cannot be done, by writing the whole base.
// A failed save asks Retry/Cancel. False when the user gave up; what is on
// disk is then intact and memory keeps the changes.
bool SaveLinksBase();
// Writes the whole base into Links.XML and drops the journal, unless
// Links.XML already holds it all: when the group closes, and before anything
// reads Links.XML itself.
bool FoldLinksBase();

bool AddLink(const QString& postId, const QString& originalFileName, const QString& userName);
bool ResolveLink(const QString& postId, const PostLinks& links);
bool ResetLink(const QString& postId);
void SetNodeAttribute(pugi::xml_node element, const QString& name, const QString& value);
void SetPictureURL(pugi::xml_node link, const QString& url, const QString& size);

// "PostID :: OriginalFileName" (or the PostID alone), document order; Links
// with an empty PostID are left out.
QStringList GetLinksList();
// Every Link, those with an empty PostID included.
int GetLinksCount();

QString GetOriginalFileName(const QString& postId);
QString GetThumbnailURL(const QString& postId);
// Size 1280, or size 500 when the 1280 text is empty.
QString GetPictureURL(const QString& postId);
// The slug URL, or the plain post URL when the slug is empty.
QString GetPostURL(const QString& postId);
bool IsLinkResolved(const QString& postId);
// <data folder>/<PostID>.1280.<EXT of the 500 URL>, or "" when there is none.
QString GetPictureFileName(const QString& postId);
// <data folder>/<PostID>.250.<EXT of the 250 URL>, or "" when there is none.
QString GetThumbnailFileName(const QString& postId);

// The first Link of that PostID, or a null node.
pugi::xml_node FindLink(const QString& postId);
// An attribute of a Link ("" when absent or for a null node).
QString LinkAttribute(pugi::xml_node link, const char* name);
// The text of the Link's first PictureURL of that size ("" when absent).
QString LinkPictureURL(pugi::xml_node link, const char* size);
// The resolved-flag rule: trimmed, upper-cased "TRUE", "1" or "YES".
bool IsResolvedText(const QString& text);
// Only a PostID of decimal digits names local files; any other text (a base
// edited by hand, an odd reply) gets no file name, as an unresolved post.
bool IsFileSafePostID(const QString& postId);

// Orders two decimal post IDs by their value (no length limit): below 0, 0
// or above 0. Not for other texts.
int ComparePostIDs(const QString& a, const QString& b);
// The largest decimal PostID in the base, or "0" when it holds none.
QString HighestPostID();
// The decimal PostIDs of the base above postId, in no particular order.
QStringList PostIDsAbove(const QString& postId);

xhXMLDocument& LinksDocument();
// The full path kept by OpenLinksBase.
QString LinksBasePath();

} // namespace ruvia
