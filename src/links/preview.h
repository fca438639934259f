#pragma once
// The thumbnail preview of the links window: what to draw for a post.
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

namespace ruvia {

struct Preview {
    enum State {
        Empty,  // no thumbnail on disk: the black area
        Broken, // a file that is not a picture we can show: the red area
        Picture,
    };
    State state = Empty;
    QImage image;
};

// Loads a thumbnail file. A file that is empty, truncated, not a picture
// (an error page saved under the picture's name) or too large to be a
// thumbnail gives Broken; none of them may stall the window.
Preview LoadPreviewFile(const QString& file);
// The preview of a post: its thumbnail file (GetThumbnailFileName).
Preview LoadPostPreview(const QString& postId);

// Where the picture goes in the area: centred, at its natural size, cut off
// at the edges when it is larger.
QPoint PreviewOrigin(QSize area, QSize picture);

} // namespace ruvia
