#pragma once
// The ten templates of the links window's slots: storage in section
// "Templates" of the global settings store, the defaults, and the expansion
// of a body's masks from a post's Link in the link base.
#include <QList>
#include <QString>

#include <functional>

namespace ruvia {

inline constexpr int kTemplateCount = 10;

struct TemplateSlot {
    bool enabled = true;
    QString title;
    QString body;
};

// Slot 0 to 9; "" for any other number.
QString GetDefaultTemplateTitle(int slot);
QString GetDefaultTemplateBody(int slot);

// The masks in the order they are replaced.
const QStringList& TemplateMasks();

// The body with every mask replaced by the value read from the post's Link;
// a missing value (or post) gives the empty text.
QString ExpandTemplate(const QString& postId, const QString& body);
// When text holds mask (letter case counting), replaces every occurrence of
// it, letter case ignored, by readValue(); readValue is not called otherwise.
void ReplaceTemplateMask(QString& text, const QString& mask,
                         const std::function<QString()>& readValue);

// The stored template of a slot, defaults where a key is missing.
TemplateSlot LoadTemplate(int slot);
QList<TemplateSlot> LoadTemplates();
bool SaveTemplates(const QList<TemplateSlot>& templates);

// The caption of a slot's label: the title followed by ":" unless it is empty.
QString SlotLabelText(const QString& title);

// Where the links window puts a slot: shown or not, its label, and the row
// (0 = the row of slot 0) of its label and text box.
struct SlotPlacement {
    bool visible = true;
    QString label;
    int row = 0;
};
// Each slot on its own row; with groupVisibleSlots the rows of hidden slots
// are closed up, so the visible ones take consecutive rows in number order.
QList<SlotPlacement> ArrangeSlots(const QList<TemplateSlot>& templates, bool groupVisibleSlots);

} // namespace ruvia
