#include "gui/qtfiledialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace ruvia {

namespace {
QString run(const FileDialogOptions& options, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(QApplication::activeWindow(), options.title, options.initialFolder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                        : QFileDialog::ExistingFile);
    if (!options.filter.isEmpty())
        dialog.setNameFilters(FilterToNameFilters(options.filter));
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().first());
}
} // namespace

QString QtFileDialogs::ShowOpen(const FileDialogOptions& options)
{
    return run(options, QFileDialog::AcceptOpen);
}

QString QtFileDialogs::ShowSave(const FileDialogOptions& options)
{
    return run(options, QFileDialog::AcceptSave);
}

QString QtFileDialogs::ShowFolder(const FileDialogOptions& options)
{
    const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(), options.title,
                                                             options.initialFolder);
    return QDir::toNativeSeparators(folder);
}

} // namespace ruvia
