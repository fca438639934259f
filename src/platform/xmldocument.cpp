#include "platform/xmldocument.h"

#include "platform/fileio.h"

#include <sstream>

namespace ruvia {

std::string toU8(const QString& text) { return text.toStdString(); }
QString fromU8(const char* text) { return QString::fromUtf8(text); }

namespace {
QString describe(const pugi::xml_parse_result& r)
{
    return QStringLiteral("%1 (at byte %2)").arg(QString::fromUtf8(r.description())).arg(r.offset);
}

struct ByteWriter : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override
    {
        out.append(static_cast<const char*>(data), qsizetype(size));
    }
};
} // namespace

bool xhXMLDocument::Load(const QString& path, unsigned parseOptions)
{
    QByteArray bytes;
    QString error;
    if (!FileObject::readBytes(path, bytes, &error)) {
        m_doc.reset();
        m_lastError = error;
        return false;
    }
    return LoadXML(bytes, parseOptions);
}

bool xhXMLDocument::LoadXML(const QByteArray& text, unsigned parseOptions)
{
    const auto r = m_doc.load_buffer(text.constData(), size_t(text.size()), parseOptions);
    if (!r) {
        m_lastError = describe(r);
        m_doc.reset();
        return false;
    }
    if (!m_doc.document_element()) {
        m_lastError = QStringLiteral("The document has no root element.");
        return false;
    }
    m_lastError.clear();
    return true;
}

QByteArray xhXMLDocument::ToXML() const
{
    ByteWriter w;
    m_doc.save(w, "  ", pugi::format_default, pugi::encoding_utf8);
    return std::move(w.out);
}

bool xhXMLDocument::Save(const QString& path)
{
    QString error;
    if (!FileObject::writeBytes(path, ToXML(), &error)) {
        m_lastError = error;
        return false;
    }
    m_lastError.clear();
    return true;
}

void xhXMLDocument::New(const QString& encoding)
{
    m_doc.reset();
    auto decl = m_doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = toU8(encoding).c_str();
    m_lastError.clear();
}

pugi::xml_node xhXMLDocument::contextOr(pugi::xml_node context) const
{
    return context ? context : pugi::xml_node(m_doc);
}

pugi::xpath_node xhXMLDocument::SelectSingleNode(const QString& xpath, pugi::xml_node context,
                                                 pugi::xpath_variable_set* vars)
{
    try {
        pugi::xpath_query q(toU8(xpath).c_str(), vars);
        return q.evaluate_node(contextOr(context));
    } catch (const pugi::xpath_exception& e) {
        m_lastError = QString::fromUtf8(e.what());
        return {};
    }
}

pugi::xpath_node_set xhXMLDocument::SelectNodes(const QString& xpath, pugi::xml_node context,
                                                pugi::xpath_variable_set* vars)
{
    try {
        pugi::xpath_query q(toU8(xpath).c_str(), vars);
        return q.evaluate_node_set(contextOr(context));
    } catch (const pugi::xpath_exception& e) {
        m_lastError = QString::fromUtf8(e.what());
        return {};
    }
}

QString xhXMLDocument::GetText(const QString& xpath, pugi::xml_node context,
                               pugi::xpath_variable_set* vars)
{
    return NodeText(SelectSingleNode(xpath, context, vars));
}

pugi::xml_node xhXMLDocument::AppendElement(pugi::xml_node parent, const QString& name)
{
    return parent.append_child(toU8(name).c_str());
}

pugi::xml_attribute xhXMLDocument::AppendAttribute(pugi::xml_node element, const QString& name,
                                                   const QString& value)
{
    auto a = element.append_attribute(toU8(name).c_str());
    a.set_value(toU8(value).c_str());
    return a;
}

pugi::xml_attribute xhXMLDocument::FindAttribute(pugi::xml_node element, const QString& name)
{
    return element.attribute(toU8(name).c_str());
}

bool xhXMLDocument::RemoveAttribute(pugi::xml_node element, const QString& name)
{
    return element.remove_attribute(toU8(name).c_str());
}

void xhXMLDocument::RemoveChildren(pugi::xml_node element)
{
    while (element.first_child())
        element.remove_child(element.first_child());
}

void xhXMLDocument::SetText(pugi::xml_node element, const QString& text)
{
    element.text().set(toU8(text).c_str());
}

QString xhXMLDocument::NodeText(const pugi::xpath_node& node)
{
    if (node.attribute())
        return fromU8(node.attribute().value());
    if (node.node())
        return fromU8(node.node().text().get());
    return {};
}

} // namespace ruvia
