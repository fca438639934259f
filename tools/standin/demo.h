#pragma once
// The demo account's photo posts: a fixed table of captions, tags and file
// names, ids and picture keys made from each post's place in it, and pictures
// drawn from its index. Every start holds the same posts with the same ids,
// and a picture file drawn twice is the same bytes.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace standin {

struct DemoPost {
    QString blog;
    QString id;
    QString key; // of the picture's file names
    QString originalFileName;
    QString caption;
    QStringList tags;
    int width = 0;
    int height = 0;
    QString extension; // "jpg" or "png"
    int daysAgo = 0;   // its date, counted back from the first start
    int hour = 0;
};

// Oldest first; ids grow in that order.
const QList<DemoPost>& demoPosts();
// The index in demoPosts() of a post id, or -1.
int demoIndexOf(const QString& id);
// One file of a demo post's picture, label "1280" ... "100" or "75sq", drawn
// at that file's size. Empty for a label the post has no file of.
QByteArray demoPictureFile(int index, const QString& label);

} // namespace standin
