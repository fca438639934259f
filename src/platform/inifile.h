#pragma once
// INI files with the semantics of the classic profile-string functions, which
// stored files rely on: section and key names match without regard to case,
// keys may hold blanks, values are trimmed and lose one pair of enclosing
// double quotes on read, and a write keeps every other line as it was.
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace ruvia {

class IniFile {
public:
    // A missing file loads as empty; false only when an existing file can't be read.
    bool load(const QString& path, QString* error = nullptr);
    bool save(const QString& path, QString* error = nullptr, bool ownerOnly = false) const;

    bool contains(const QString& section, const QString& key) const;
    // The raw stored value, trimmed and unquoted; def when the key is absent.
    QString value(const QString& section, const QString& key, const QString& def = {}) const;
    // Creates the section and key as needed. The value is written as given.
    void setValue(const QString& section, const QString& key, const QString& value);
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    QString text() const;
    void setText(const QString& text);

private:
    // Entries before the first section header belong to the section "".
    qsizetype findSection(const QString& section) const; // index of header line, -1 for ""
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(const QString& section, const QString& key) const;
    QStringList m_lines;
};

// Profile-string functions over a file: each reads or updates the file whole.
QString tsReadStringFromINI(const QString& section, const QString& key, const QString& def,
                            const QString& file);
qint32 tsReadLongFromINI(const QString& section, const QString& key, qint32 def,
                         const QString& file);
bool tsReadBoolFromINI(const QString& section, const QString& key, bool def, const QString& file);
bool tsWriteStringToINI(const QString& section, const QString& key, const QString& value,
                        const QString& file);
bool tsWriteLongToINI(const QString& section, const QString& key, qint32 value,
                      const QString& file);
bool tsWriteBoolToINI(const QString& section, const QString& key, bool value,
                      const QString& file);

} // namespace ruvia
