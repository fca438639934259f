#pragma once
// Ctrl+A selects all the text of a hooked text box, and nothing is typed.
// Ctrl+Shift+A and Alt+A are left to the box.
#include <QObject>
#include <QPointer>

class QWidget;

namespace ruvia {

class kzmTBHooks : public QObject {
    Q_OBJECT
public:
    explicit kzmTBHooks(QObject* parent = nullptr);
    ~kzmTBHooks() override;

    QWidget* TextBox() const { return m_box; }
    // Setting another box releases the previous one.
    void setTextBox(QWidget* box);
    void InitSelectAllHook() { m_selectAll = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_box;
    bool m_selectAll = false;
};

} // namespace ruvia
