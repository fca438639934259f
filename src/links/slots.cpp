#include "links/slots.h"

#include "base/linkbase.h"
#include "platform/waitcursor.h"

#include <optional>

namespace ruvia {

namespace {
QStringList resolvedOnly(const QStringList& items, const QList<int>& rows)
{
    QStringList out;
    out.reserve(rows.size());
    for (int row : rows) {
        const QString id = PostIdOfItem(items.value(row));
        if (IsLinkResolved(id))
            out.append(id);
    }
    return out;
}

QString expandAll(const QStringList& resolved, const QString& body)
{
    QString text;
    for (const QString& id : resolved)
        text += ExpandTemplate(id, body);
    return text;
}
} // namespace

QList<SlotTemplate> SlotTemplates(const QList<TemplateSlot>& templates)
{
    QList<SlotTemplate> out;
    for (const TemplateSlot& t : templates)
        out.append({t.enabled, t.body});
    return out;
}

SlotFill FillSlots(const QStringList& items, const QList<int>& rows,
                   const QList<SlotTemplate>& slots, int maxSelection, int hourglassThreshold)
{
    SlotFill fill;
    const int n = int(slots.size());
    fill.texts = QStringList(n, QString());
    fill.set = QList<bool>(n, false);
    if (rows.isEmpty()) {
        fill.set.fill(true);
        return fill;
    }
    auto notice = [&](const QString& text) {
        for (int i = 0; i < n; ++i) {
            if (slots.at(i).visible) {
                fill.texts[i] = text;
                fill.set[i] = true;
            }
        }
        return fill;
    };
    if (rows.size() == 1 && !IsLinkResolved(PostIdOfItem(items.value(rows.first()))))
        return notice(kSlotNotResolved);
    if (rows.size() > maxSelection)
        return notice(kSlotTooMany);
    std::optional<WaitCursor> wait;
    if (rows.size() > hourglassThreshold)
        wait.emplace();
    const QStringList resolved = resolvedOnly(items, rows);
    for (int i = 0; i < n; ++i) {
        if (!slots.at(i).visible)
            continue;
        fill.texts[i] = expandAll(resolved, slots.at(i).body);
        fill.set[i] = true;
    }
    return fill;
}

QString CopyAllText(const QStringList& items, const QList<int>& rows, const QString& body,
                    int hourglassThreshold)
{
    std::optional<WaitCursor> wait;
    if (rows.size() > hourglassThreshold)
        wait.emplace();
    return expandAll(resolvedOnly(items, rows), body);
}

} // namespace ruvia
