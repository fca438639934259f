#include "platform/inifile.h"

#include "platform/fileio.h"
#include "platform/log.h"
#include "platform/textutil.h"
#include "platform/paths.h"
#include "platform/textrules.h"

#include <QFileInfo>

namespace ruvia {

namespace {
bool isHeader(const QString& line, QString* name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return false;
    const qsizetype close = t.indexOf(u']');
    if (name)
        *name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return true;
}

bool splitKey(const QString& line, QString* key, QString* value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';'))
        return false;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return false;
    if (key)
        *key = line.left(eq).trimmed();
    if (value)
        *value = line.mid(eq + 1);
    return true;
}

QString unquote(const QString& raw)
{
    QString v = raw.trimmed();
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"'))
        v = v.mid(1, v.size() - 2);
    return v;
}
} // namespace

bool IniFile::load(const QString& path, QString* error)
{
    m_lines.clear();
    if (!QFileInfo::exists(path))
        return true;
    QString text;
    if (!FileObject::readText(path, text, error))
        return false;
    setText(text);
    return true;
}

bool IniFile::save(const QString& path, QString* error, bool ownerOnly) const
{
    WriteOptions options;
    if (ownerOnly)
        options.permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    return FileObject::writeText(path, text(), error, options);
}

void IniFile::setText(const QString& text)
{
    m_lines.clear();
    if (text.isEmpty())
        return;
    m_lines = text.split(u'\n');
    for (QString& line : m_lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

QString IniFile::text() const
{
    QString out;
    for (const QString& line : m_lines)
        out += line + QStringLiteral("\r\n");
    return out;
}

qsizetype IniFile::findSection(const QString& section) const
{
    if (section.isEmpty())
        return -1;
    QString name;
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (isHeader(m_lines.at(i), &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -2;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !isHeader(m_lines.at(i), nullptr))
        ++i;
    return i;
}

qsizetype IniFile::findKey(const QString& section, const QString& key) const
{
    const qsizetype header = findSection(section);
    if (header == -2)
        return -1;
    QString name;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (splitKey(m_lines.at(i), &name, nullptr) &&
            name.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    return findKey(section, key) >= 0;
}

QString IniFile::value(const QString& section, const QString& key, const QString& def) const
{
    const qsizetype i = findKey(section, key);
    if (i < 0)
        return def;
    QString raw;
    splitKey(m_lines.at(i), nullptr, &raw);
    return unquote(raw);
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString line = key.trimmed() + u'=' + value;
    if (const qsizetype i = findKey(section, key); i >= 0) {
        m_lines[i] = line;
        return;
    }
    qsizetype header = findSection(section);
    if (header == -2) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(line);
        return;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    qsizetype at = sectionEnd(header);
    while (at > header + 1 && m_lines.at(at - 1).trimmed().isEmpty())
        --at;
    m_lines.insert(at, line);
}

QStringList IniFile::sections() const
{
    QStringList out;
    QString name;
    for (const QString& line : m_lines)
        if (isHeader(line, &name))
            out.append(name);
    return out;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList out;
    const qsizetype header = findSection(section);
    if (header == -2)
        return out;
    QString name;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (splitKey(m_lines.at(i), &name, nullptr))
            out.append(name);
    return out;
}

QString tsReadStringFromINI(const QString& section, const QString& key, const QString& def,
                            const QString& file)
{
    IniFile ini;
    QString error;
    if (!ini.load(file, &error)) {
        tsLogWarning(QStringLiteral("tsReadStringFromINI() ==> %1: %2").arg(file, error));
        return def;
    }
    return ini.value(section, key, def);
}

qint32 tsReadLongFromINI(const QString& section, const QString& key, qint32 def,
                         const QString& file)
{
    IniFile ini;
    if (!ini.load(file) || !ini.contains(section, key))
        return def;
    return SafeTextToLong(ini.value(section, key));
}

bool tsReadBoolFromINI(const QString& section, const QString& key, bool def, const QString& file)
{
    return TextToBool(tsReadStringFromINI(section, key, QString(), file), def);
}

bool tsWriteStringToINI(const QString& section, const QString& key, const QString& value,
                        const QString& file)
{
    IniFile ini;
    QString error;
    if (ini.load(file, &error)) {
        ini.setValue(section, key, value);
        if (ini.save(file, &error))
            return true;
    }
    tsLogError(QStringLiteral("tsWriteStringToINI() ==> %1: %2").arg(file, error));
    return false;
}

bool tsWriteLongToINI(const QString& section, const QString& key, qint32 value,
                      const QString& file)
{
    return tsWriteStringToINI(section, key, QString::number(value), file);
}

bool tsWriteBoolToINI(const QString& section, const QString& key, bool value,
                      const QString& file)
{
    return tsWriteStringToINI(section, key, BoolToText(value), file);
}

} // namespace ruvia
