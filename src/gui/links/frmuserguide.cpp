#include "gui/links/frmuserguide.h"

#include "gui/resources.h"
#include "links/linksrules.h"
#include "platform/shell.h"
#include "platform/textrules.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QPointer>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace ruvia {

namespace {
QPointer<frmUserGuide> g_guide;
}

frmUserGuide* frmUserGuide::ShowGuide(const QString& path, QWidget* parent)
{
    if (!g_guide)
        g_guide = new frmUserGuide(path, parent);
    g_guide->show();
    g_guide->raise();
    g_guide->activateWindow();
    return g_guide;
}

frmUserGuide* frmUserGuide::Instance() { return g_guide; }

frmUserGuide::frmUserGuide(const QString& path, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmUserGuide"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(MakeWindowTitle(QStringLiteral("User guide")));
    setWindowIcon(appIcon());
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("txtGuide"));
    // Every link comes to linkClicked: the browser itself would try to load web pages as files.
    m_text->setOpenLinks(false);
    m_text->setSearchPaths({QFileInfo(path).absolutePath()});
    m_text->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()),
                      QTextDocument::MarkdownResource);
    connect(m_text, &QTextBrowser::anchorClicked, this, &frmUserGuide::linkClicked);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    resize(800, 600);
}

void frmUserGuide::linkClicked(const QUrl& url)
{
    switch (ClassifyGuideLink(url)) {
    case GuideLink::Inside:
        ScrollToAnchor(url.fragment(QUrl::FullyDecoded));
        break;
    case GuideLink::Web:
        shell().Open(url.toString());
        break;
    case GuideLink::Ignore:
        break;
    }
}

bool frmUserGuide::ScrollToAnchor(const QString& anchor)
{
    QTextDocument* doc = m_text->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || GuideHeadingAnchor(block.text()) != anchor)
            continue;
        QTextCursor at(block);
        m_text->setTextCursor(at);
        m_text->verticalScrollBar()->setValue(
            int(doc->documentLayout()->blockBoundingRect(block).top()));
        return true;
    }
    return false;
}

} // namespace ruvia
