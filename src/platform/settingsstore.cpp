#include "platform/settingsstore.h"

#include "platform/fileio.h"
#include "platform/inifile.h"
#include "platform/log.h"
#include "platform/textrules.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ruvia {

namespace {
QString encodeValue(ValueKind kind, const QVariant& value)
{
    switch (kind) {
    case KindNumber:
        return QString::number(value.toInt());
    case KindBoolean:
        return BoolToText(value.toBool());
    default:
        // Quotes keep surrounding blanks, which reading trims otherwise.
        return u'"' + EscapeINIText(value.toString()) + u'"';
    }
}

QVariant decodeValue(ValueKind kind, const QString& raw)
{
    switch (kind) {
    case KindNumber:
        return SafeTextToLong(raw);
    case KindBoolean:
        return TextToBool(raw, false);
    default:
        return UnescapeINIText(raw);
    }
}
} // namespace

QString SettingsStore::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Corvanel Studios/Ruvia.ini");
}

QList<QVariant> SettingsStore::ReadValues(const QList<Entry>& entries)
{
    IniFile ini;
    QString error;
    const bool loaded = ini.load(filePath(), &error);
    if (!loaded)
        tsLogWarning(QStringLiteral("SettingsStore::ReadValue() ==> ") + error);
    QList<QVariant> values;
    for (const Entry& e : entries) {
        if (!loaded || !ini.contains(e.section, e.key)) {
            values.append(e.value);
            continue;
        }
        const QString raw = ini.value(e.section, e.key);
        values.append(e.kind == KindBoolean ? QVariant(TextToBool(raw, e.value.toBool()))
                                            : decodeValue(e.kind, raw));
    }
    return values;
}

QVariant SettingsStore::ReadValue(const QString& section, const QString& key, ValueKind kind,
                                  const QVariant& def)
{
    return ReadValues({{section, key, kind, def}}).first();
}

bool SettingsStore::WriteValues(const QList<Entry>& entries)
{
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Another instance's read-modify-write must not run between ours: its
    // keys would be lost. A lock that can't be had only costs that guarantee.
    const SaveLock lock(path);
    IniFile ini;
    QString error;
    bool ok = ini.load(path, &error);
    if (ok) {
        for (const Entry& e : entries)
            ini.setValue(e.section, e.key, encodeValue(e.kind, e.value));
        ok = QDir().mkpath(QFileInfo(path).absolutePath()) && ini.save(path, &error, true);
    }
    if (!ok)
        tsLogError(QStringLiteral("SettingsStore::WriteValue() ==> %1: %2").arg(path, error));
    return ok;
}

bool SettingsStore::WriteValue(const QString& section, const QString& key, ValueKind kind,
                               const QVariant& value)
{
    return WriteValues({{section, key, kind, value}});
}

QString SettingsStore::readText(const QString& section, const QString& key, const QString& def)
{
    return ReadValue(section, key, KindText, def).toString();
}
qint32 SettingsStore::readNumber(const QString& section, const QString& key, qint32 def)
{
    return ReadValue(section, key, KindNumber, def).toInt();
}
bool SettingsStore::readBool(const QString& section, const QString& key, bool def)
{
    return ReadValue(section, key, KindBoolean, def).toBool();
}
bool SettingsStore::writeText(const QString& section, const QString& key, const QString& value)
{
    return WriteValue(section, key, KindText, value);
}
bool SettingsStore::writeNumber(const QString& section, const QString& key, qint32 value)
{
    return WriteValue(section, key, KindNumber, value);
}
bool SettingsStore::writeBool(const QString& section, const QString& key, bool value)
{
    return WriteValue(section, key, KindBoolean, value);
}

QString WindowPlacement::toText() const
{
    return QStringLiteral("%1,%2,%3,%4,%5")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height())
        .arg(maximized ? 1 : 0);
}

bool WindowPlacement::fromText(const QString& text)
{
    const QStringList p = text.split(u',');
    if (p.size() != 5)
        return false;
    QList<int> v;
    for (const QString& s : p) {
        bool ok = false;
        v.append(s.trimmed().toInt(&ok));
        if (!ok)
            return false;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return false;
    rect = QRect(v[0], v[1], v[2], v[3]);
    maximized = v[4] != 0;
    return true;
}

bool SettingsStore::LoadWindowPlacement(const QString& section, const QString& key,
                                        WindowPlacement& out)
{
    return out.fromText(readText(section, key));
}

bool SettingsStore::SaveWindowPlacement(const QString& section, const QString& key,
                                        const WindowPlacement& placement)
{
    return writeText(section, key, placement.toText());
}

QList<int> SettingsStore::LoadListLayout(const QString& key)
{
    QList<int> widths;
    const QString text = readText(QStringLiteral("List Layout"), key);
    for (const QString& s : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int w = s.trimmed().toInt(&ok);
        if (!ok)
            return {};
        widths.append(w);
    }
    return widths;
}

bool SettingsStore::SaveListLayout(const QString& key, const QList<int>& widths)
{
    QStringList parts;
    for (int w : widths)
        parts.append(QString::number(w));
    return writeText(QStringLiteral("List Layout"), key, parts.join(u','));
}

int SettingsStore::RemoveInterruptedSaves()
{
    const QFileInfo file(filePath());
    const SaveLock lock(file.filePath());
    return lock.isHeld() ? ruvia::RemoveInterruptedSaves(file.absolutePath(), {file.fileName()}) : 0;
}

} // namespace ruvia
