#pragma once
// Helpers for window tests: act on the modal window that a click is about to
// open, and find controls by their names.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace ruvia::test {

// Runs action on the next modal window as soon as it is shown (polling, so it
// works whatever opens it). Fails the test when none appears within 10 s.
inline void onNextModal(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    auto* elapsed = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            action(modal);
            return;
        }
        if ((*elapsed += 10) > 10000) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            QTest::qFail("no modal window appeared", __FILE__, __LINE__);
        }
    });
    timer->start(10);
}

// The visible top-level window of type T (the links window a Proceed opened).
template <typename T> T* visibleWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
            return t;
    return nullptr;
}

template <typename T> T* child(QWidget* window, const char* name)
{
    T* w = window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!w)
        qWarning("no control named %s", name);
    return w;
}

} // namespace ruvia::test
