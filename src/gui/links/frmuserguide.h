#pragma once
// The user guide, rendered from its Markdown file in a window of the
// program: links inside the guide move within it, links to the web go to the
// user's browser. One such window at a time.
#include <QWidget>

class QTextBrowser;
class QUrl;

namespace ruvia {

class frmUserGuide : public QWidget {
    Q_OBJECT
  public:
    // Shows the guide at path: a new window, or the open one raised.
    static frmUserGuide* ShowGuide(const QString& path, QWidget* parent);
    // The open window, if any.
    static frmUserGuide* Instance();

    QTextBrowser* browser() const { return m_text; }
    // Brings the heading with this anchor to the top; false when none has it.
    bool ScrollToAnchor(const QString& anchor);

  private:
    frmUserGuide(const QString& path, QWidget* parent);
    void linkClicked(const QUrl& url);

    QTextBrowser* m_text;
};

} // namespace ruvia
