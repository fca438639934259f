#pragma once
// Finding an item of the links window's list by its text: a plain text, a
// wildcard mask (support/like.h) or a regular expression. The window wraps
// its list in a SearchList and supplies the find dialog as the asker.
#include "platform/listselection.h"
#include "support/like.h"

#include <QRegularExpression>
#include <QString>

#include <functional>
#include <optional>

namespace ruvia {

// The list as the search sees it.
class SearchList : public ListSelection {
  public:
    virtual QString itemText(int index) const = 0;
    // -1 when the list has no current item.
    virtual int currentIndex() const = 0;
    // Makes the item current and scrolls it into view.
    virtual void setCurrentIndex(int index) = 0;
};

enum SearchType : qint32 { SearchSimple = 0, SearchMasks = 1, SearchRegExp = 2 };

struct SearchRequest {
    QString text; // empty when the user cancelled
    qint32 type = SearchSimple;
    bool caseSensitive = false;
};

// Tests items against one search; built once per search, used per item.
class SearchMatcher {
  public:
    explicit SearchMatcher(const SearchRequest& search);
    bool matches(const QString& item) const;

  private:
    SearchRequest m_search;
    Qt::CaseSensitivity m_cs;
    std::optional<LikeMask> m_mask;
    QRegularExpression m_re;
};

// The index of the first item after `current` (from the first item when
// current is -1) that matches, or -1. The walk stops at the last item.
int FindNextItem(const SearchList& list, const SearchRequest& search, int current);

class CSearchHost {
  public:
    using Asker = std::function<SearchRequest()>;
    explicit CSearchHost(Asker ask) : m_ask(std::move(ask)) {}

    // findNext false: ask for a new search first; true: repeat the stored one
    // (asking when there is none yet). A found item becomes the only selected
    // item and the current one; otherwise "Nothing found." is shown. True when
    // an item was found.
    bool SearchText(SearchList& list, bool findNext);
    const SearchRequest& StoredSearch() const { return m_search; }

  private:
    Asker m_ask;
    SearchRequest m_search;
};

} // namespace ruvia
