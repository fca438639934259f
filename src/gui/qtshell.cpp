#include "gui/qtshell.h"

#include "platform/textrules.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace ruvia {

bool QtShell::Open(const QString& pathOrUrl)
{
    const QUrl url = PathIsURL(pathOrUrl) && !pathOrUrl.contains(QStringLiteral(":\\"))
                         ? QUrl(pathOrUrl, QUrl::StrictMode)
                         : QUrl::fromLocalFile(pathOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void QtShell::SetClipboardText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

QString QtShell::ClipboardText() const { return QGuiApplication::clipboard()->text(); }

QImage QtShell::ClipboardImage() const { return QGuiApplication::clipboard()->image(); }

} // namespace ruvia
