#pragma once
// A group with a link base of made-up posts for the links window's tests
// and benchmarks: resolved or not, with real thumbnail files where asked.
#include "platform/xmldocument.h"
#include "service/postlinks.h"

#include <QColor>
#include <QString>
#include <QStringList>

namespace ruvia::test {

// Opens the group "<host>" of the current profile with an empty link base:
// folders, the group lock and the current-group values, as Proceed does.
bool OpenFreshGroup(const QString& host);
// Releases the group opened by OpenFreshGroup.
void CloseGroup();

// The links a lookup of post id would store: picture URLs of the six sizes
// ending in ext, and the post's two addresses.
PostLinks SampleLinks(const QString& postId, const QString& ext = QStringLiteral("jpg"));
// Adds a Link (resolved with SampleLinks when asked); nothing is saved.
void AddPost(const QString& postId, const QString& fileName, bool resolved,
             const QString& userName = QStringLiteral("tester@workstation"));
// Adds count resolved posts with ids first, first + 1, ...; "IMG_<n>.JPG" file names.
QStringList AddPosts(int count, qint64 first = 1000);
// Writes a real JPEG thumbnail (250 x 188, one colour) under the post's
// thumbnail name; false when the post has no thumbnail name.
bool WriteThumbnail(const QString& postId, const QColor& color = QColor(40, 120, 200));
// Writes bytes under the post's thumbnail name.
bool WriteThumbnailBytes(const QString& postId, const QByteArray& bytes);

// The base as the next session finds it (Links.XML and its journal), loaded
// into out; the open base is read again from disk on the way.
bool LoadDurableBase(xhXMLDocument& out);

} // namespace ruvia::test
