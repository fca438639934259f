#include "gui/frmpictureslist.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "gui/frmgroupselector.h"
#include "gui/resources.h"
#include "gui/toolbarproxy.h"
#include "gui/windowhelper.h"
#include "platform/textrules.h"
#include "support/statistics.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace ruvia {

frmPicturesList::frmPicturesList(frmGroupSelector* login) : m_login(login)
{
    setObjectName(QStringLiteral("frmPicturesList"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(MakeWindowTitle(QStringLiteral("Links :: ") + SET_GroupName));
    setWindowIcon(appIcon());
    auto* layout = new QVBoxLayout(this);
    auto* info = new QLabel(QStringLiteral("%1 posts in the base of %2.")
                                .arg(GetLinksCount())
                                .arg(SET_GroupName),
                            this);
    info->setObjectName(QStringLiteral("lblInfo"));
    layout->addWidget(info);
    layout->addStretch(1);
    resize(640, 420);
    tsCenterFormEx(this);
    MarkToolBarForm(this);
    m_statistics = std::make_unique<CStatistics>();
}

frmPicturesList::~frmPicturesList() = default;

void frmPicturesList::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        m_statistics.reset();
        SaveLinksBase();
        UnMarkToolBarForm(this);
        ReleaseGroupLock();
        if (m_login)
            m_login->GroupClosed();
    }
    event->accept();
}

void frmPicturesList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace ruvia
