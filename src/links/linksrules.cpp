#include "links/linksrules.h"

#include "base/linkbase.h"
#include "platform/inifile.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ruvia {

namespace {
const QString kPositionSection = QStringLiteral("Post List");
const QString kSelectedKey = QStringLiteral("Last Selected Index");
const QString kTopKey = QStringLiteral("Last Top Index");

struct PictureItem {
    int index;
    const char* singular;
    const char* plural;
};
constexpr PictureItem kPictureItems[] = {
    {miOpenPicture, "Open picture\tEnter", nullptr},
    {miOpenPost, "Open post", nullptr},
    {miDownloadThumbnails, "Download thumbnail", "Download thumbnails"},
    {miDownloadPictures, "Download picture", "Download pictures"},
    {miDownloadMissingThumbnails, "Download missing thumbnail", "Download missing thumbnails"},
    {miDownloadMissingPictures, "Download missing picture", "Download missing pictures"},
    {miDeleteThumbnails, "Delete thumbnail", "Delete thumbnails"},
    {miDeletePictures, "Delete picture", "Delete pictures"},
    {miImportThumbnail, "Import thumbnail...", nullptr},
    {miImportPicture, "Import picture...\tIns", nullptr},
    {miResolveLinks, "Resolve links", nullptr},
    {miResetLinks, "Reset links", nullptr},
    {miDeleteLinks, "Delete links", nullptr},
};
} // namespace

QString SelectionInfoText(int currentIndex, int count, int selectedCount,
                          const QString& singleFileName)
{
    QString info;
    if (selectedCount <= 0)
        info = QStringLiteral("No selection");
    else if (selectedCount > 1)
        info = QStringLiteral("Selected %1 item(s)").arg(selectedCount);
    else
        info = singleFileName.isEmpty() ? QStringLiteral("Untitled") : singleFileName;
    return QStringLiteral("%1 / %2: ").arg(currentIndex + 1).arg(count) + info;
}

QList<MenuItemState> PictureMenuState(int selectedCount, bool singleResolved)
{
    const int n = selectedCount;
    QList<MenuItemState> items;
    for (const PictureItem& p : kPictureItems) {
        MenuItemState s;
        s.index = p.index;
        s.caption = QString::fromLatin1(n >= 2 && p.plural ? p.plural : p.singular);
        const bool single = p.index == miOpenPost || p.index == miImportThumbnail ||
                            p.index == miImportPicture;
        s.enabled = single ? n == 1 : n > 0;
        if (n == 1 && !singleResolved)
            s.enabled = p.index == miResolveLinks || p.index == miDeleteLinks;
        else if (n == 1 && p.index == miResolveLinks)
            s.enabled = false;
        items.append(s);
    }
    return items;
}

ControlsEnabling EnableControls(bool enable, bool busy)
{
    return {enable, enable || !busy};
}

KeyAction LinksWindowKey(int key, Qt::KeyboardModifiers mods, const KeyContext& c)
{
    mods &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    const bool plain = mods == Qt::NoModifier;
    if (c.inProgress)
        return key == Qt::Key_Escape && plain ? KeyAction::RequestStop : KeyAction::Swallow;
    if (c.paintModeAllowed) {
        if (key == Qt::Key_Escape && plain && !c.paintShown)
            return KeyAction::EnterPaint;
        if (key == Qt::Key_F12 && plain)
            return c.paintShown ? KeyAction::LeavePaint : KeyAction::EnterPaint;
        if (key == Qt::Key_Escape && mods == Qt::ShiftModifier)
            return KeyAction::Close;
        if (c.paintShown)
            return KeyAction::Swallow;
    } else if (key == Qt::Key_Escape && plain) {
        return KeyAction::Close;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && plain)
        return KeyAction::OpenPicture;
    if (key == Qt::Key_Insert && plain)
        return KeyAction::ImportPicture;
    if (key == Qt::Key_A && mods == Qt::ControlModifier)
        return KeyAction::SelectAll;
    return KeyAction::None;
}

void SaveListPosition(const PostList& list, const QString& settingsFile)
{
    if (list.count() <= 0 || list.currentIndex() < 0)
        return;
    IniFile ini;
    if (!ini.load(settingsFile))
        return;
    ini.setValue(kPositionSection, kSelectedKey, QString::number(list.currentIndex()));
    ini.setValue(kPositionSection, kTopKey, QString::number(list.topIndex()));
    ini.save(settingsFile);
}

bool LoadListPosition(PostList& list, const QString& settingsFile)
{
    const int count = list.count();
    if (count <= 0)
        return false;
    IniFile ini;
    ini.load(settingsFile);
    const int fallback = list.currentIndex() >= 0 ? list.currentIndex() : 0;
    const QString stored = ini.value(kPositionSection, kSelectedKey);
    bool ok = false;
    const int selected = stored.isEmpty() ? fallback : stored.toInt(&ok);
    if ((stored.isEmpty() || ok) && selected >= 0 && selected < count) {
        list.setCurrentIndex(selected);
        list.selectRange(selected, selected, true);
    }
    const int top = ini.value(kPositionSection, kTopKey, QStringLiteral("-1")).toInt(&ok);
    if (ok && top >= 0 && top < count)
        list.setTopIndex(top);
    return true;
}

void OpenPicture(const QString& postId)
{
    if (postId.isEmpty() || !IsLinkResolved(postId))
        return;
    const QString file = GetPictureFileName(postId);
    if (!file.isEmpty() && tsIsFileExist(file)) {
        if (!shell().Open(file))
            MsgBox(joinMessage({file, QStringLiteral("Can't open picture file. File damaged or in "
                                                     "unknown format.")}),
                   MB_ICONCRITICAL);
        return;
    }
    MsgBox(QStringLiteral("Can't open picture. It's most likely you haven't downloaded it yet."),
           MB_ICONCRITICAL);
}

QStringList UserGuideCandidates()
{
    const QString name = QStringLiteral("user-guide.md");
    const QString bin = QCoreApplication::applicationDirPath();
    return {
        QDir::cleanPath(bin + u'/' + name),
        QDir::cleanPath(bin + QStringLiteral("/../share/doc/ruvia/") + name),
        QDir::cleanPath(QStringLiteral(RUVIA_SOURCE_DIR "/docs/") + name),
    };
}

QString UserGuidePath(const QStringList& candidates)
{
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    return {};
}

void OpenUserGuide(const std::function<void(const QString&)>& show, const QStringList& candidates)
{
    const QString path = UserGuidePath(candidates);
    if (path.isEmpty()) {
        QStringList lines{QStringLiteral("The user guide was not found. Ruvia looked for it here:")};
        for (const QString& place : candidates)
            lines.append(QDir::toNativeSeparators(place));
        MsgBox(lines.join(QStringLiteral("\r\n")), MB_ICONEXCLAMATION);
        return;
    }
    if (show)
        show(path);
    else if (!shell().Open(path))
        MsgBox(joinMessage({path, QStringLiteral("Can't open the user guide.")}), MB_ICONCRITICAL);
}

GuideLink ClassifyGuideLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
        return GuideLink::Web;
    if (scheme.isEmpty() && url.path().isEmpty() && url.hasFragment())
        return GuideLink::Inside;
    return GuideLink::Ignore;
}

QString GuideHeadingAnchor(const QString& heading)
{
    QString anchor;
    for (const QChar c : heading.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            anchor += c;
        else if (c == u' ')
            anchor += u'-';
    }
    return anchor;
}

} // namespace ruvia
