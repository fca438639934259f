#include "support/searchhost.h"

#include "platform/log.h"
#include "platform/prompter.h"

namespace ruvia {

SearchMatcher::SearchMatcher(const SearchRequest& search)
    : m_search(search), m_cs(search.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive)
{
    if (search.type == SearchMasks) {
        m_mask.emplace(search.text, m_cs);
    } else if (search.type == SearchRegExp) {
        m_re.setPattern(search.text);
        if (!search.caseSensitive)
            m_re.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
        if (m_re.isValid())
            m_re.optimize();
        else
            tsLogWarning(
                QStringLiteral("CSearchHost::SearchText() ==> invalid expression \"%1\": %2")
                    .arg(search.text, m_re.errorString()));
    }
}

bool SearchMatcher::matches(const QString& item) const
{
    switch (m_search.type) {
    case SearchSimple:
        return item.contains(m_search.text, m_cs);
    case SearchMasks:
        return m_mask->matches(item);
    case SearchRegExp:
        // An invalid expression finds nothing.
        return m_re.isValid() && m_re.match(item).hasMatch();
    default:
        return false;
    }
}

int FindNextItem(const SearchList& list, const SearchRequest& search, int current)
{
    const SearchMatcher matcher(search);
    const int count = list.count();
    for (int i = current < 0 ? 0 : current + 1; i < count; ++i)
        if (matcher.matches(list.itemText(i)))
            return i;
    return -1;
}

bool CSearchHost::SearchText(SearchList& list, bool findNext)
{
    if (!findNext || m_search.text.isEmpty()) {
        const SearchRequest asked = m_ask ? m_ask() : SearchRequest{};
        if (asked.text.isEmpty())
            return false;
        m_search = asked;
    }
    const int found = FindNextItem(list, m_search, list.currentIndex());
    if (found < 0) {
        MsgBox(QStringLiteral("Nothing found."), MB_ICONINFORMATION);
        return false;
    }
    LBUnselectAll(list);
    list.selectRange(found, found, true);
    list.setCurrentIndex(found);
    return true;
}

} // namespace ruvia
