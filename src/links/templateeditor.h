#pragma once
// The template editor's working copy: the ten templates as the dialog
// shows them, kept apart from the stored ones until OK.
#include "base/templates.h"

#include <QList>
#include <QString>

namespace ruvia {

// The mask help shown by the editor's help button and F1.
QString TemplateMasksHelp();
// "Template #1" ... "Template #10".
QString TemplateItemCaption(int slot);

class TemplateEditorLogic {
  public:
    // Reads the stored templates (defaults where a key is missing).
    void Load();
    const TemplateSlot& at(int slot) const { return m_templates.at(slot); }
    const QList<TemplateSlot>& templates() const { return m_templates; }
    void setEnabled(int slot, bool enabled);
    void setTitle(int slot, const QString& title);
    void setBody(int slot, const QString& body);
    // Every template enabled with its default title and body; nothing stored.
    void Revert();
    bool Store() const { return SaveTemplates(m_templates); }

  private:
    bool valid(int slot) const { return slot >= 0 && slot < m_templates.size(); }
    QList<TemplateSlot> m_templates;
};

} // namespace ruvia
