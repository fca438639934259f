#pragma once
// The post property fields of the upload window: the entries of the state
// list, and the values kept for the group in section "Post Properties" of
// its Settings.INI between two openings of the window.
#include <QList>
#include <QString>

namespace ruvia {

struct PostStateEntry {
    QString text;
    int code;
};

// "Publish now" to "Private"; with hideTroublesome only the first and the last.
QList<PostStateEntry> PostStateEntries(bool hideTroublesome);
// The entries of PostStateEntries(hideTroublesome) whose codes are in
// offered, in the order of offered.
QList<PostStateEntry> OfferedPostStates(const QList<int>& offered, bool hideTroublesome);
// The stored state index is a position in PostStateEntries(hideTroublesome),
// whatever the account offers, so that each kind of account reads back the
// same state. -1: no such position / no such code.
int StateCodeAtIndex(int stateIndex, bool hideTroublesome);
int StateIndexOfCode(int code, bool hideTroublesome);

struct PostProperties {
    QString caption;
    QString tags;
    bool tagsFromCaption = false;
    QString clickThroughUrl;
    // Position in the state list as it was filled.
    int stateIndex = 0;
    QString publishOn;
    QString altText = {};

    bool operator==(const PostProperties&) const = default;
};

PostProperties LoadPostProperties(const QString& settingsFile);
bool SavePostProperties(const QString& settingsFile, const PostProperties& properties);

} // namespace ruvia
