// Start-up: settings first, then the first window. The program runs while a
// window is open.
#include "core/settings.h"
#include "gui/qtprompter.h"
#include "platform/textrules.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ruvia"));
    QApplication::setOrganizationName(QStringLiteral("Corvanel Studios"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(RUVIA_VERSION_MAJOR)
                                            .arg(RUVIA_VERSION_MINOR)
                                            .arg(RUVIA_VERSION_PATCH));

    ruvia::QtPrompter prompter;
    ruvia::setPrompter(&prompter);

    ruvia::LoadSettings();

    QMainWindow starting;
    starting.setObjectName(QStringLiteral("frmStarting"));
    starting.setWindowTitle(ruvia::MakeWindowTitle(QStringLiteral("Starting")));
    starting.resize(420, 240);
    starting.show();
    const int rc = QApplication::exec();
    ruvia::setPrompter(nullptr);
    return rc;
}
