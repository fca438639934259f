#include "scriptedfiledialogs.h"

#include <QTest>

namespace ruvia::test {

ScriptedFileDialogs::ScriptedFileDialogs()
{
    setFileDialogs(this);
}
ScriptedFileDialogs::~ScriptedFileDialogs()
{
    setFileDialogs(nullptr);
}

QString ScriptedFileDialogs::ShowOpen(const FileDialogOptions& options)
{
    return answer({false, false, false, options}).value(0);
}

QStringList ScriptedFileDialogs::ShowOpenMany(const FileDialogOptions& options)
{
    return answer({false, false, true, options});
}

QString ScriptedFileDialogs::ShowSave(const FileDialogOptions& options)
{
    return answer({true, false, false, options}).value(0);
}

QString ScriptedFileDialogs::ShowFolder(const FileDialogOptions& options)
{
    return answer({false, true, false, options}).value(0);
}

QStringList ScriptedFileDialogs::answer(const Shown& shown)
{
    m_shown.append(shown);
    if (m_answers.isEmpty()) {
        QTest::qFail(shown.folder ? "unexpected folder dialog"
                     : shown.save ? "unexpected Save dialog"
                                  : "unexpected Open dialog",
                     __FILE__, __LINE__);
        return {};
    }
    return m_answers.takeFirst();
}

} // namespace ruvia::test
