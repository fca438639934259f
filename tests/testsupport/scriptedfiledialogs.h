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
        bool many = false;
        FileDialogOptions options;
    };

    ScriptedFileDialogs();
    ~ScriptedFileDialogs() override;

    QString ShowOpen(const FileDialogOptions& options) override;
    QStringList ShowOpenMany(const FileDialogOptions& options) override;
    QString ShowSave(const FileDialogOptions& options) override;
    QString ShowFolder(const FileDialogOptions& options) override;
    // A single-file dialog takes the first path of an answer; an empty
    // answer is a cancel for either kind.
    void queue(const QString& path) { m_answers.append(path.isEmpty() ? QStringList() : QStringList{path}); }
    void queue(const QStringList& paths) { m_answers.append(paths); }

    const QList<Shown>& shown() const { return m_shown; }
    Shown last() const { return m_shown.value(m_shown.size() - 1); }
    int pending() const { return int(m_answers.size()); }

  private:
    QStringList answer(const Shown& shown);
    QList<Shown> m_shown;
    QList<QStringList> m_answers;
};

} // namespace ruvia::test
