#pragma once
// The optional toolbar component. It is a separate program part that may
// not be present: every call here is harmless without it. A component
// registers a factory; ConnectToolBar creates it once.
#include <QtGlobal>

#include <functional>
#include <memory>

class QWidget;

namespace ruvia {

class IToolBarComponent {
public:
    virtual ~IToolBarComponent() = default;
    virtual void ShowToolBar() = 0;
    virtual void MarkForm(quintptr window) = 0;
    virtual void UnMarkForm(quintptr window) = 0;
};

using ToolBarFactory = std::function<std::unique_ptr<IToolBarComponent>()>;
// Installed by a component that is present; none is on this platform.
void RegisterToolBarFactory(ToolBarFactory factory);

void ConnectToolBar();
void MarkToolBarForm(QWidget* window);
void UnMarkToolBarForm(QWidget* window);
// Drops the component (at exit, and between tests).
void DisconnectToolBar();

} // namespace ruvia
