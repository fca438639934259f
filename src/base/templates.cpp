#include "base/templates.h"

#include "base/linkbase.h"
#include "platform/settingsstore.h"

namespace ruvia {

namespace {

const QString kSection = QStringLiteral("Templates");

QString key(const char* word, int slot)
{
    return QString::fromLatin1(word) + QString::number(slot);
}

} // namespace

QString GetDefaultTemplateTitle(int slot)
{
    switch (slot) {
    case 0:
        return QStringLiteral("Link to post");
    case 1:
        return QStringLiteral("Direct link to 1280px picture");
    case 2:
        return QStringLiteral("Direct link to 250px thumbnail");
    case 3:
        return QStringLiteral("Picture for forum");
    case 4:
        return QStringLiteral("Thumbnail for forum with link to 1280px picture");
    case 5:
        return QStringLiteral("Thumbnail for forum with link to post");
    case 6:
        return QStringLiteral("Picture for site (HTML)");
    case 7:
        return QStringLiteral("Thumbnail for site with link to 1280px picture (HTML)");
    case 8:
        return QStringLiteral("Thumbnail for site with link to post (HTML)");
    case 9:
        return QStringLiteral("Uploaded by");
    default:
        return {};
    }
}

// Every body ends in one blank, so expansions of several posts placed one
// after another stay apart.
QString GetDefaultTemplateBody(int slot)
{
    switch (slot) {
    case 0:
        return QStringLiteral("%POST_URL_SLUG% ");
    case 1:
        return QStringLiteral("%PICTURE_URL_1280% ");
    case 2:
        return QStringLiteral("%PICTURE_URL_250% ");
    case 3:
        return QStringLiteral("[IMG]%PICTURE_URL_1280%[/IMG] ");
    case 4:
        return QStringLiteral("[URL=%PICTURE_URL_1280%][IMG]%PICTURE_URL_250%[/IMG][/URL] ");
    case 5:
        return QStringLiteral("[URL=%POST_URL_SLUG%][IMG]%PICTURE_URL_250%[/IMG][/URL] ");
    case 6:
        return QStringLiteral("<IMG SRC=\"%PICTURE_URL_1280%\" BORDER=\"0\"> ");
    case 7:
        return QStringLiteral("<A HREF=\"%PICTURE_URL_1280%\" TARGET=\"_blank\"><IMG "
                              "SRC=\"%PICTURE_URL_250%\" BORDER=\"0\"></A> ");
    case 8:
        return QStringLiteral("<A HREF=\"%POST_URL_SLUG%\" TARGET=\"_blank\"><IMG "
                              "SRC=\"%PICTURE_URL_250%\" BORDER=\"0\"></A> ");
    case 9:
        return QStringLiteral("%USER_NAME% ");
    default:
        return {};
    }
}

const QStringList& TemplateMasks()
{
    static const QStringList masks = {
        QStringLiteral("%POST_URL%"),         QStringLiteral("%POST_URL_SLUG%"),
        QStringLiteral("%USER_NAME%"),        QStringLiteral("%ORIGINAL_FILE_NAME%"),
        QStringLiteral("%PICTURE_URL_1280%"), QStringLiteral("%PICTURE_URL_500%"),
        QStringLiteral("%PICTURE_URL_400%"),  QStringLiteral("%PICTURE_URL_250%"),
        QStringLiteral("%PICTURE_URL_100%"),  QStringLiteral("%PICTURE_URL_75%"),
    };
    return masks;
}

QString ExpandTemplate(const QString& postId, const QString& body)
{
    QString text = body;
    if (!text.contains(u'%'))
        return text;
    const pugi::xml_node link = FindLink(postId);
    static const char* const attributes[] = {"PostURL", "PostURLSlug", "UserName",
                                             "OriginalFileName"};
    static const char* const sizes[] = {"1280", "500", "400", "250", "100", "75"};
    const QStringList& masks = TemplateMasks();
    for (int i = 0; i < 4; ++i)
        ReplaceTemplateMask(text, masks.at(i), [&] { return LinkAttribute(link, attributes[i]); });
    for (int i = 0; i < 6; ++i)
        ReplaceTemplateMask(text, masks.at(4 + i), [&] { return LinkPictureURL(link, sizes[i]); });
    return text;
}

void ReplaceTemplateMask(QString& text, const QString& mask,
                         const std::function<QString()>& readValue)
{
    if (!text.contains(mask, Qt::CaseSensitive))
        return;
    text.replace(mask, readValue(), Qt::CaseInsensitive);
}

TemplateSlot LoadTemplate(int slot)
{
    TemplateSlot t;
    t.enabled =
        SettingsStore::ReadValue(kSection, key("Enabled ", slot), KindBoolean, true).toBool();
    t.title = SettingsStore::ReadValue(kSection, key("Title ", slot), KindText,
                                       GetDefaultTemplateTitle(slot))
                  .toString();
    t.body = SettingsStore::ReadValue(kSection, key("Body ", slot), KindText,
                                      GetDefaultTemplateBody(slot))
                 .toString();
    return t;
}

QList<TemplateSlot> LoadTemplates()
{
    QList<TemplateSlot> out;
    for (int n = 0; n < kTemplateCount; ++n)
        out.append(LoadTemplate(n));
    return out;
}

bool SaveTemplates(const QList<TemplateSlot>& templates)
{
    QList<SettingsStore::Entry> entries;
    for (int n = 0; n < templates.size() && n < kTemplateCount; ++n) {
        const TemplateSlot& t = templates.at(n);
        entries.append({kSection, key("Enabled ", n), KindBoolean, t.enabled});
        entries.append({kSection, key("Title ", n), KindText, t.title});
        entries.append({kSection, key("Body ", n), KindText, t.body});
    }
    return SettingsStore::WriteValues(entries);
}

QString SlotLabelText(const QString& title)
{
    return title.isEmpty() ? title : title + u':';
}

QList<SlotPlacement> ArrangeSlots(const QList<TemplateSlot>& templates, bool groupVisibleSlots)
{
    QList<SlotPlacement> out;
    for (int n = 0; n < kTemplateCount; ++n) {
        SlotPlacement p;
        const TemplateSlot t = templates.value(n);
        p.visible = n < templates.size() ? t.enabled : false;
        p.label = SlotLabelText(t.title);
        p.row = n;
        out.append(p);
    }
    if (!groupVisibleSlots)
        return out;
    for (int n = 0; n < kTemplateCount - 1; ++n) {
        if (out.at(n).visible)
            continue;
        for (int m = kTemplateCount - 1; m > n; --m)
            out[m].row = out.at(m - 1).row;
    }
    return out;
}

} // namespace ruvia
