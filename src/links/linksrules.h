#pragma once
// The links window's rules that need no widget: the selection text, the
// Picture menu's state, which controls are enabled, what a key does, the
// list position kept in the group's settings, and opening a post's picture.
#include "links/postlist.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace ruvia {

// "3 / 10: a.jpg": the current item (1-based, 0 for none), the item count and
// "No selection", "Selected N item(s)" or the single post's original file
// name ("Untitled" when it has none).
QString SelectionInfoText(int currentIndex, int count, int selectedCount,
                          const QString& singleFileName);

// The Picture menu's items by their menu index (separators left out).
enum PictureMenuIndex : int {
    miOpenPicture = 0,
    miOpenPost = 1,
    miDownloadThumbnails = 10,
    miDownloadPictures = 11,
    miDownloadMissingThumbnails = 20,
    miDownloadMissingPictures = 21,
    miDeleteThumbnails = 30,
    miDeletePictures = 31,
    miImportThumbnail = 40,
    miImportPicture = 41,
    miResolveLinks = 50,
    miResetLinks = 51,
    miDeleteLinks = 52,
};
struct MenuItemState {
    int index = 0;
    QString caption;
    bool enabled = false;
};
// In menu order. singleResolved matters only for one selected post.
QList<MenuItemState> PictureMenuState(int selectedCount, bool singleResolved);

// The list, preview, slots, Picture and Search take `content`; Base,
// Settings and Help take `others`, which stays on for an idle empty list.
struct ControlsEnabling {
    bool content = false;
    bool others = false;
};
ControlsEnabling EnableControls(bool enable, bool busy);

enum class KeyAction {
    None,        // the key goes on to the control
    Swallow,     // nobody sees it
    RequestStop, // a running batch is asked to stop
    EnterPaint,
    LeavePaint,
    Close,
    OpenPicture,
    ImportPicture,
    SelectAll,
};
struct KeyContext {
    bool inProgress = false;
    bool paintModeAllowed = false; // the "Paint Mode" setting
    bool paintShown = false;
};
// The window sees every key before its controls; key is a Qt::Key, mods the
// Shift, Ctrl and Alt state.
KeyAction LinksWindowKey(int key, Qt::KeyboardModifiers mods, const KeyContext& context);

// Section "Post List" of the group's settings file.
void SaveListPosition(const PostList& list, const QString& settingsFile);
// Restores the current item (selected) and the top item; a stored value out
// of range is ignored. False when the list is empty (nothing to restore).
bool LoadListPosition(PostList& list, const QString& settingsFile);

// Opens the post's downloaded picture with the desktop's program; an
// unresolved post does nothing.
void OpenPicture(const QString& postId);

// Where Help looks for the user guide, in order: beside the program, in its
// installed documentation folder, in the source tree it was built from.
QStringList UserGuideCandidates();
// The first candidate that is a file; "" when none.
QString UserGuidePath(const QStringList& candidates = UserGuideCandidates());
// Hands the guide's path to show, or says that it is missing, naming the
// places it looked. Without show the desktop opens the file.
void OpenUserGuide(const std::function<void(const QString& path)>& show = {},
                   const QStringList& candidates = UserGuideCandidates());

// What a click on a link inside the guide does.
enum class GuideLink { Inside, Web, Ignore };
GuideLink ClassifyGuideLink(const QUrl& url);
// The anchor a Markdown heading gets ("Paint mode" -> "paint-mode"), as the
// guide's own table of contents writes its links.
QString GuideHeadingAnchor(const QString& heading);

} // namespace ruvia
