#include "support/findsettings.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/inifile.h"

namespace ruvia {

namespace {
const QString kSection = QStringLiteral("Search Settings");
const QString kIndexKey = QStringLiteral("Last Search String Index");
const QString kCaseKey = QStringLiteral("Case Sensitive");
const QString kTypeKey = QStringLiteral("Search Type");
} // namespace

void FindDialogLogic::initHistory()
{
    if (m_loaded)
        return;
    m_history.InitFileName(SET_DataPath, QStringLiteral("Search History.DAT"));
    m_history.LoadHistory();
    m_loaded = true;
}

FindDialogState FindDialogLogic::Load()
{
    m_loaded = false;
    initHistory();
    FindDialogState s;
    s.history = m_history.Entries();
    if (!s.history.isEmpty()) {
        s.currentIndex = 0;
        s.text = s.history.first();
    }
    const QString file = GetGroupSettingsFile();
    const qint32 index = tsReadLongFromINI(kSection, kIndexKey, -1, file);
    if (index == -1) {
        s.currentIndex = -1;
        s.text.clear();
    } else if (index >= 0 && index < s.history.size()) {
        s.currentIndex = index;
        s.text = s.history.at(index);
    }
    s.caseSensitive = tsReadBoolFromINI(kSection, kCaseKey, false, file);
    const qint32 type = tsReadLongFromINI(kSection, kTypeKey, SearchSimple, file);
    if (type >= SearchSimple && type <= SearchRegExp)
        s.searchType = type;
    return s;
}

void FindDialogLogic::Accept(const QString& text, bool caseSensitive, qint32 searchType)
{
    initHistory();
    m_history.Add(text);
    m_history.SaveHistory();
    int index = 0;
    for (int i = 0; i < m_history.Count(); ++i) {
        if (m_history.Item(i).compare(text, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    }
    const QString file = GetGroupSettingsFile();
    tsWriteLongToINI(kSection, kIndexKey, index, file);
    tsWriteBoolToINI(kSection, kCaseKey, caseSensitive, file);
    tsWriteLongToINI(kSection, kTypeKey, searchType, file);
}

} // namespace ruvia
