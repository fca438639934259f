#include "platform/filedialogs.h"

namespace ruvia {

namespace {
class HeadlessFileDialogs : public FileDialogs {
  public:
    QString ShowOpen(const FileDialogOptions&) override { return {}; }
    QStringList ShowOpenMany(const FileDialogOptions&) override { return {}; }
    QString ShowSave(const FileDialogOptions&) override { return {}; }
    QString ShowFolder(const FileDialogOptions&) override { return {}; }
};

HeadlessFileDialogs g_headless;
FileDialogs* g_dialogs = nullptr;
} // namespace

FileDialogs& fileDialogs()
{
    return g_dialogs ? *g_dialogs : g_headless;
}
void setFileDialogs(FileDialogs* d)
{
    g_dialogs = d;
}

QStringList FilterToNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts.at(i).trimmed();
        const QString patterns = QString(parts.at(i + 1)).replace(u';', u' ').simplified();
        out.append(name.contains(u'(') ? name : name + QStringLiteral(" (") + patterns + u')');
    }
    return out;
}

} // namespace ruvia
