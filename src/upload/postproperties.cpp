#include "upload/postproperties.h"

#include "platform/inifile.h"
#include "platform/textrules.h"
#include "service/postsubmit.h"

namespace ruvia {

namespace {
const QString kSection = QStringLiteral("Post Properties");
const QString kCaption = QStringLiteral("Last Caption");
const QString kTags = QStringLiteral("Last Tags");
const QString kTagsFromCaption = QStringLiteral("Tags From Caption");
const QString kUrl = QStringLiteral("Last Click-Through URL");
const QString kAltText = QStringLiteral("Last Alt Text");
const QString kStateIndex = QStringLiteral("Last State Index");
const QString kPublishOn = QStringLiteral("Publish Post On");

// Quoted, so blanks at either end survive the trimming of a stored value.
QString quoted(const QString& text) { return u'"' + EscapeINIText(text) + u'"'; }
} // namespace

QList<PostStateEntry> PostStateEntries(bool hideTroublesome)
{
    QList<PostStateEntry> entries{{QStringLiteral("Publish now"), StatePublishNow}};
    if (!hideTroublesome)
        entries += {{QStringLiteral("Add to queue"), StateQueue},
                    {QStringLiteral("Publish on..."), StatePublishOn},
                    {QStringLiteral("Save as draft"), StateDraft},
                    {QStringLiteral("Make submission"), StateSubmission}};
    entries.append({QStringLiteral("Private"), StatePrivate});
    return entries;
}

QList<PostStateEntry> OfferedPostStates(const QList<int>& offered, bool hideTroublesome)
{
    const QList<PostStateEntry> all = PostStateEntries(hideTroublesome);
    QList<PostStateEntry> entries;
    for (int code : offered)
        for (const PostStateEntry& e : all)
            if (e.code == code)
                entries.append(e);
    return entries;
}

int StateCodeAtIndex(int stateIndex, bool hideTroublesome)
{
    const QList<PostStateEntry> all = PostStateEntries(hideTroublesome);
    return stateIndex >= 0 && stateIndex < all.size() ? all.at(stateIndex).code : -1;
}

int StateIndexOfCode(int code, bool hideTroublesome)
{
    const QList<PostStateEntry> all = PostStateEntries(hideTroublesome);
    for (int i = 0; i < all.size(); ++i)
        if (all.at(i).code == code)
            return i;
    return -1;
}

PostProperties LoadPostProperties(const QString& settingsFile)
{
    PostProperties p;
    IniFile ini;
    if (!ini.load(settingsFile))
        return p;
    p.caption = UnescapeINIText(ini.value(kSection, kCaption));
    p.tags = UnescapeINIText(ini.value(kSection, kTags));
    p.tagsFromCaption = TextToBool(ini.value(kSection, kTagsFromCaption), false);
    p.clickThroughUrl = UnescapeINIText(ini.value(kSection, kUrl));
    p.altText = UnescapeINIText(ini.value(kSection, kAltText));
    p.stateIndex = SafeTextToLong(ini.value(kSection, kStateIndex));
    p.publishOn = UnescapeINIText(ini.value(kSection, kPublishOn));
    return p;
}

bool SavePostProperties(const QString& settingsFile, const PostProperties& p)
{
    IniFile ini;
    if (!ini.load(settingsFile))
        return false;
    ini.setValue(kSection, kCaption, quoted(p.caption));
    ini.setValue(kSection, kTags, quoted(p.tags));
    ini.setValue(kSection, kTagsFromCaption, BoolToText(p.tagsFromCaption));
    ini.setValue(kSection, kUrl, quoted(p.clickThroughUrl));
    ini.setValue(kSection, kAltText, quoted(p.altText));
    ini.setValue(kSection, kStateIndex, QString::number(p.stateIndex));
    ini.setValue(kSection, kPublishOn, EscapeINIText(p.publishOn));
    return ini.save(settingsFile);
}

} // namespace ruvia
