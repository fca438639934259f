#pragma once
// The program's own pictures, compiled into the binary as ":/res/<name>.png"
// by resources/ from what tools/artwork draws.
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QString>

namespace ruvia {

// Where the painting program's pencil pointer touches: the tip of the lead.
inline constexpr QPoint kPaintCursorHotSpot{1, 30};

// "A_MAIN" at 16, 32, 48, 64, 128 and 256 pixels.
QIcon appIcon();
// "PAINT", the disguise's window icon, at 16 and 32 pixels.
QIcon paintIcon();
// The "PAINT" pointer.
QCursor paintCursor();
// A picture by resource name ("IDB_CHECKBOX_ON", "PAINT_TL", "RUVIA_UPLOADER_0003"...);
// a null pixmap when the program has no such picture.
QPixmap resourcePicture(const QString& name);

// "RUVIA_UPLOADER_" and a random number from 0 to 9 in four digits.
QString RandomUploaderPictureName();
// "RUVIA_ABOUT_BOX_" and a random number from 0 to 2 in four digits.
QString RandomAboutBoxPictureName();
QPixmap GetUploaderPicture();
QPixmap GetAboutBoxPicture();

} // namespace ruvia
