#pragma once
// FileDialogs for tests: records every dialog shown and answers from a queue
// of chosen paths ("" = cancelled). A dialog with no queued answer fails the
// running test.
#include "platform/filedialogs.h"

#include <QList>

namespace ruvia::test {

class ScriptedFileDialogs : public FileDialogs {
  public:
    struct Shown {
        bool save = false;
        bool folder = false;
        FileDialogOptions options;
    };

    ScriptedFileDialogs();
    ~ScriptedFileDialogs() override;

    QString ShowOpen(const FileDialogOptions& options) override;
    QString ShowSave(const FileDialogOptions& options) override;
    QString ShowFolder(const FileDialogOptions& options) override;
    void queue(const QString& path) { m_answers.append(path); }

    const QList<Shown>& shown() const { return m_shown; }
    Shown last() const { return m_shown.value(m_shown.size() - 1); }
    int pending() const { return int(m_answers.size()); }

  private:
    QString answer(const Shown& shown);
    QList<Shown> m_shown;
    QStringList m_answers;
};

} // namespace ruvia::test
