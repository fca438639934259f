#include "support/history.h"

#include "core/group.h"
#include "platform/fileio.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/textutil.h"

namespace ruvia {

namespace {
const QChar kSeparator(u'\0');

bool checkPath(const QString& path)
{
    if (!path.isEmpty())
        return true;
    MsgBox(QStringLiteral("History file not defined."), MB_ICONCRITICAL);
    return false;
}
} // namespace

void CHistory::InitFileName(const QString& folder, const QString& fileName)
{
    const QString dir = folder.isEmpty() ? GetProgramDataPath() : folder;
    tsCreateComplexDirectory(dir);
    m_path = tsBuildFileName(dir, fileName);
}

void CHistory::LoadHistory()
{
    if (!checkPath(m_path))
        return;
    m_entries.clear();
    if (!tsIsFileExist(m_path))
        return;
    QString text;
    QString error;
    if (!FileObject::readText(m_path, text, &error)) {
        ErrorReporter::ShowObjectError(error, MB_ICONCRITICAL, QStringLiteral("Can't load history."));
        return;
    }
    for (const QString& piece : text.split(kSeparator)) {
        const QString t = tsTrimEx2(piece);
        if (!t.isEmpty())
            m_entries.append(t);
    }
}

void CHistory::SaveHistory()
{
    if (!checkPath(m_path))
        return;
    QString error;
    if (!FileObject::writeText(m_path, m_entries.join(kSeparator), &error))
        ErrorReporter::ShowObjectError(error, MB_ICONCRITICAL, QStringLiteral("Can't save history."));
}

void CHistory::Add(const QString& text)
{
    const QString t = tsTrimEx2(text);
    if (t.isEmpty())
        return;
    for (const QString& e : m_entries)
        if (e.compare(t, Qt::CaseInsensitive) == 0)
            return;
    m_entries.append(t);
}

} // namespace ruvia
