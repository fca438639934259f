#include "gui/qtfiledialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace ruvia {

namespace {
QStringList run(const FileDialogOptions& options, QFileDialog::AcceptMode mode,
                QFileDialog::FileMode fileMode)
{
    QFileDialog dialog(QApplication::activeWindow(), options.title, options.initialFolder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    if (!options.filter.isEmpty())
        dialog.setNameFilters(FilterToNameFilters(options.filter));
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files;
    for (const QString& file : dialog.selectedFiles())
        files.append(QDir::toNativeSeparators(file));
    return files;
}

QString first(const QStringList& files) { return files.isEmpty() ? QString() : files.first(); }
} // namespace

QString QtFileDialogs::ShowOpen(const FileDialogOptions& options)
{
    return first(run(options, QFileDialog::AcceptOpen, QFileDialog::ExistingFile));
}

QStringList QtFileDialogs::ShowOpenMany(const FileDialogOptions& options)
{
    return run(options, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
}

QString QtFileDialogs::ShowSave(const FileDialogOptions& options)
{
    return first(run(options, QFileDialog::AcceptSave, QFileDialog::AnyFile));
}

QString QtFileDialogs::ShowFolder(const FileDialogOptions& options)
{
    const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(), options.title,
                                                             options.initialFolder);
    return QDir::toNativeSeparators(folder);
}

} // namespace ruvia
