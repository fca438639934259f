#include "links/templateeditor.h"

namespace ruvia {

QString TemplateMasksHelp()
{
    const QStringList lines = {
        QStringLiteral("You can use these masks only in template body:"),
        QStringLiteral("• %POST_URL% - URL of post with picture."),
        QStringLiteral("• %POST_URL_SLUG% - same as previous but with descriptive tail."),
        QStringLiteral("• %USER_NAME% - Windows user name who uploaded picture."),
        QStringLiteral("• %ORIGINAL_FILE_NAME% - name of uploaded file."),
        QStringLiteral("• %PICTURE_URL_1280%, %PICTURE_URL_500%, %PICTURE_URL_400%, ") +
            QStringLiteral("%PICTURE_URL_250%, %PICTURE_URL_100%, %PICTURE_URL_75%") +
            QStringLiteral(" - URLs of different size variants of picture on server."),
    };
    return lines.join(QStringLiteral("\r\n\r\n"));
}

QString TemplateItemCaption(int slot) { return QStringLiteral("Template #%1").arg(slot + 1); }

void TemplateEditorLogic::Load() { m_templates = LoadTemplates(); }

void TemplateEditorLogic::setEnabled(int slot, bool enabled)
{
    if (valid(slot))
        m_templates[slot].enabled = enabled;
}

void TemplateEditorLogic::setTitle(int slot, const QString& title)
{
    if (valid(slot))
        m_templates[slot].title = title;
}

void TemplateEditorLogic::setBody(int slot, const QString& body)
{
    if (valid(slot))
        m_templates[slot].body = body;
}

void TemplateEditorLogic::Revert()
{
    m_templates.clear();
    for (int n = 0; n < kTemplateCount; ++n)
        m_templates.append({true, GetDefaultTemplateTitle(n), GetDefaultTemplateBody(n)});
}

} // namespace ruvia
