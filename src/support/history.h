#pragma once
// An input history: an ordered list of distinct strings kept in a .DAT file,
// the entries joined by one NUL character, oldest first.
#include <QString>
#include <QStringList>

namespace ruvia {

class CHistory {
public:
    // An empty folder means the program's data folder. The folder is created.
    void InitFileName(const QString& folder, const QString& fileName);
    QString FileName() const { return m_path; }
    void LoadHistory();
    void SaveHistory();
    int Count() const { return int(m_entries.size()); }
    // Trimmed of white space and line breaks at both ends; ignored when
    // empty or already present (letter case ignored).
    void Add(const QString& text);
    // 0-based; "" out of range.
    QString Item(int index) const { return m_entries.value(index); }
    const QStringList& Entries() const { return m_entries; }

private:
    QString m_path;
    QStringList m_entries;
};

} // namespace ruvia
