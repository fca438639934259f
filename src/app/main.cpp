// Start-up: settings first, then the optional toolbar component, then the
// login window. The program runs while a window is open.
#include "core/settings.h"
#include "gui/frmgroupselector.h"
#include "gui/qtfiledialogs.h"
#include "gui/qtprompter.h"
#include "gui/qtshell.h"
#include "gui/qtwaitcursor.h"
#include "gui/toolbarproxy.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ruvia"));
    QApplication::setOrganizationName(QStringLiteral("Corvanel Studios"));
    // Lets the desktop match the windows to the installed entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("com.corvanelstudios.Ruvia"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(RUVIA_VERSION_MAJOR)
                                            .arg(RUVIA_VERSION_MINOR)
                                            .arg(RUVIA_VERSION_PATCH));

    ruvia::QtPrompter prompter;
    ruvia::setPrompter(&prompter);
    ruvia::QtFileDialogs fileDialogs;
    ruvia::setFileDialogs(&fileDialogs);
    ruvia::QtShell desktop;
    ruvia::setShell(&desktop);
    ruvia::InstallWaitCursor();

    ruvia::LoadSettings();
    ruvia::ConnectToolBar();

    auto* login = new ruvia::frmGroupSelector;
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->show();
    const int rc = QApplication::exec();
    ruvia::DisconnectToolBar();
    ruvia::RemoveWaitCursor();
    ruvia::setShell(nullptr);
    ruvia::setFileDialogs(nullptr);
    ruvia::setPrompter(nullptr);
    return rc;
}
