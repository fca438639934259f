#pragma once
// What the ten slots of the links window hold for a selection of posts.
#include "base/templates.h"
#include "links/postlist.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ruvia {

inline const QString kSlotNotResolved = QStringLiteral("*** Links not resolved ***");
inline const QString kSlotTooMany =
    QStringLiteral("*** Too many items selected. Press F4 to copy to clipboard! ***");

// A slot as the window holds it: shown or not, and its template body.
struct SlotTemplate {
    bool visible = true;
    QString body;
};
QList<SlotTemplate> SlotTemplates(const QList<TemplateSlot>& templates);

// The new texts of the slots; a slot whose entry is unset keeps its text.
struct SlotFill {
    QStringList texts;
    QList<bool> set;
};

// The slots for the selected rows (ascending) of the list's items: every
// slot emptied when none is selected; a single unresolved post or more posts than maxSelection
// show their notice in every visible slot; otherwise each visible slot gets
// the expansions of its body for every resolved post, one after another.
// The wait cursor is shown while more than hourglassThreshold posts expand.
// Only the rows that are expanded are looked at, so a selection of the whole
// list costs no more than its count.
SlotFill FillSlots(const QStringList& items, const QList<int>& rows,
                   const QList<SlotTemplate>& slots, int maxSelection, int hourglassThreshold);

// The text F4 copies from one slot: the expansions of every resolved post,
// without the selection limit.
QString CopyAllText(const QStringList& items, const QList<int>& rows, const QString& body,
                    int hourglassThreshold);

} // namespace ruvia
