#include "gui/resources.h"

#include "platform/textutil.h"

#include <QRegularExpression>

namespace ruvia {
namespace {

QString resourcePath(const QString& name)
{
    return QStringLiteral(":/res/") + name + QStringLiteral(".png");
}

QIcon iconOfSizes(const QString& name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes)
        icon.addFile(resourcePath(name + QLatin1Char('_') + QString::number(size)), QSize(size, size));
    return icon;
}

QString numberedName(const QString& prefix, int number)
{
    return prefix + QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
}

} // namespace

QIcon appIcon() { return iconOfSizes(QStringLiteral("A_MAIN"), {16, 32, 48, 64, 128, 256}); }

QIcon paintIcon() { return iconOfSizes(QStringLiteral("PAINT"), {16, 32}); }

QCursor paintCursor()
{
    return QCursor(resourcePicture(QStringLiteral("PAINT_CURSOR")), kPaintCursorHotSpot.x(),
                   kPaintCursorHotSpot.y());
}

QPixmap resourcePicture(const QString& name)
{
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_]+$"));
    if (!plainName.match(name).hasMatch())
        return {};
    return QPixmap(resourcePath(name), "PNG");
}

QString RandomUploaderPictureName()
{
    return numberedName(QStringLiteral("RUVIA_UPLOADER_"), tsGetRnd(0, 9));
}

QString RandomAboutBoxPictureName()
{
    return numberedName(QStringLiteral("RUVIA_ABOUT_BOX_"), tsGetRnd(0, 2));
}

QPixmap GetUploaderPicture() { return resourcePicture(RandomUploaderPictureName()); }

QPixmap GetAboutBoxPicture() { return resourcePicture(RandomAboutBoxPictureName()); }

} // namespace ruvia
