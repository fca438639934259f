#pragma once
// The global settings store: one INI file for the user, shared by every group
// and every running instance. Values are escaped so that any text (line
// breaks and surrounding blanks included) comes back as it was written. The
// file holds the encoded password, so it is readable by its owner only.
#include <QList>
#include <QRect>
#include <QString>
#include <QVariant>

namespace ruvia {

enum ValueKind { KindText = 0, KindNumber = 1, KindBoolean = 3 };

struct WindowPlacement {
    QRect rect;
    bool maximized = false;

    // The stored text: "x,y,width,height,maximized".
    QString toText() const;
    // False, with the placement untouched, for a text that is not one.
    bool fromText(const QString& text);
};

class SettingsStore {
public:
    // ~/.config/Corvanel Studios/Ruvia.ini (the XDG config folder).
    static QString filePath();

    // A missing file, section or key gives def. Every read sees the file as it
    // is now, so a second instance's writes are not lost.
    static QVariant ReadValue(const QString& section, const QString& key, ValueKind kind,
                              const QVariant& def);
    // False (and a log line) when the file could not be written; the previous
    // file is then intact.
    static bool WriteValue(const QString& section, const QString& key, ValueKind kind,
                           const QVariant& value);

    static QString readText(const QString& section, const QString& key, const QString& def = {});
    static qint32 readNumber(const QString& section, const QString& key, qint32 def);
    static bool readBool(const QString& section, const QString& key, bool def);
    static bool writeText(const QString& section, const QString& key, const QString& value);
    static bool writeNumber(const QString& section, const QString& key, qint32 value);
    static bool writeBool(const QString& section, const QString& key, bool value);

    // Several values in one write: fewer rewrites of the file.
    struct Entry {
        QString section, key;
        ValueKind kind;
        QVariant value;
    };
    static bool WriteValues(const QList<Entry>& entries);
    // Several values from one read of the file; each entry's value is its default.
    static QList<QVariant> ReadValues(const QList<Entry>& entries);

    // Removes the temporary files that saves of the store cut short left
    // behind; saves of other instances are held off meanwhile.
    static int RemoveInterruptedSaves();

    static bool LoadWindowPlacement(const QString& section, const QString& key,
                                    WindowPlacement& out);
    static bool SaveWindowPlacement(const QString& section, const QString& key,
                                    const WindowPlacement& placement);
    // Column widths of a list, in order.
    static QList<int> LoadListLayout(const QString& key);
    static bool SaveListLayout(const QString& key, const QList<int>& widths);
};

} // namespace ruvia
