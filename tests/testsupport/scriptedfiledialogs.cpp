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
    return answer(false, options);
}

QString ScriptedFileDialogs::ShowSave(const FileDialogOptions& options)
{
    return answer(true, options);
}

QString ScriptedFileDialogs::answer(bool save, const FileDialogOptions& options)
{
    m_shown.append({save, options});
    if (m_answers.isEmpty()) {
        QTest::qFail(save ? "unexpected Save dialog" : "unexpected Open dialog", __FILE__,
                     __LINE__);
        return {};
    }
    return m_answers.takeFirst();
}

} // namespace ruvia::test
