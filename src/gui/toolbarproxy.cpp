#include "gui/toolbarproxy.h"

#include <QWidget>

namespace ruvia {

namespace {
ToolBarFactory g_factory;
std::unique_ptr<IToolBarComponent> g_toolbar;

quintptr handleOf(QWidget* window) { return reinterpret_cast<quintptr>(window); }
} // namespace

void RegisterToolBarFactory(ToolBarFactory factory) { g_factory = std::move(factory); }

void ConnectToolBar()
{
    if (g_toolbar || !g_factory)
        return;
    g_toolbar = g_factory();
    if (g_toolbar)
        g_toolbar->ShowToolBar();
}

void MarkToolBarForm(QWidget* window)
{
    if (g_toolbar && window)
        g_toolbar->MarkForm(handleOf(window));
}

void UnMarkToolBarForm(QWidget* window)
{
    if (g_toolbar && window)
        g_toolbar->UnMarkForm(handleOf(window));
}

void DisconnectToolBar() { g_toolbar.reset(); }

} // namespace ruvia
