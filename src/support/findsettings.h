#pragma once
// What the find dialog keeps between uses, per group: the search strings in
// "Search History.DAT" and its last choices in section "Search Settings" of
// the group's Settings.INI. The dialog window applies FindDialogState to its
// controls and calls Accept on Ok.
#include "support/history.h"
#include "support/searchhost.h"

#include <QString>
#include <QStringList>

namespace ruvia {

struct FindDialogState {
    QStringList history;   // the combo box's list, oldest first
    int currentIndex = -1; // the combo box's selected item, -1 for none
    QString text;          // the combo box's text
    bool caseSensitive = false;
    qint32 searchType = SearchSimple;
};

class FindDialogLogic {
  public:
    // Loads the history and applies the stored settings; a value out of range
    // leaves its control as the dialog starts (first history item selected,
    // "Simple search").
    FindDialogState Load();
    // Ok is enabled exactly when the text is not empty.
    static bool IsOkEnabled(const QString& text) { return !text.isEmpty(); }
    // Adds text to the history, saves it, and stores the choices.
    void Accept(const QString& text, bool caseSensitive, qint32 searchType);
    // The search strings as loaded (and added to by Accept).
    const CHistory& History() const { return m_history; }
    // What the search runs with: the text as typed, not trimmed.
    static SearchRequest Request(const QString& text, bool caseSensitive, qint32 searchType)
    {
        return {text, searchType, caseSensitive};
    }

  private:
    void initHistory();
    CHistory m_history;
    bool m_loaded = false;
};

} // namespace ruvia
