#include "platform/xmldocument.h"

#include "platform/fileio.h"

#include <QStringDecoder>

#include <cctype>

namespace ruvia {

std::string toU8(const QString& text) { return text.toStdString(); }
QString fromU8(const char* text) { return QString::fromUtf8(text); }

namespace {
QString describe(const pugi::xml_parse_result& r)
{
    return QStringLiteral("%1 (at byte %2)").arg(QString::fromUtf8(r.description())).arg(r.offset);
}

constexpr QByteArrayView kBlanks(" \t\r\n");

// The encoding a declaration names ("" when there is none), read from its
// pseudo-attributes in order; the text starts with "<?xml".
QByteArray declaredEncoding(const QByteArray& text)
{
    const qsizetype end = text.indexOf("?>");
    const QByteArray declaration = text.left(end < 0 ? 0 : end);
    qsizetype at = 5;
    for (;;) {
        const qsizetype before = at;
        while (at < declaration.size() && kBlanks.contains(declaration.at(at)))
            ++at;
        const qsizetype nameStart = at;
        while (at < declaration.size() && (std::isalnum(uchar(declaration.at(at))) || declaration.at(at) == '-'))
            ++at;
        if (at == nameStart || before == nameStart)
            return {}; // no name, or one not set off by a blank
        const QByteArray name = declaration.mid(nameStart, at - nameStart);
        while (at < declaration.size() && kBlanks.contains(declaration.at(at)))
            ++at;
        if (at >= declaration.size() || declaration.at(at) != '=')
            return {};
        ++at;
        while (at < declaration.size() && kBlanks.contains(declaration.at(at)))
            ++at;
        if (at >= declaration.size() || (declaration.at(at) != '"' && declaration.at(at) != '\''))
            return {};
        const qsizetype close = declaration.indexOf(declaration.at(at), at + 1);
        if (close < 0)
            return {};
        if (name == "encoding")
            return declaration.mid(at + 1, close - at - 1).trimmed();
        at = close + 1;
    }
}

bool isUtf8Name(const char* name)
{
    return qstricmp(name, "utf-8") == 0 || qstricmp(name, "utf8") == 0;
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
    // The parser knows the Unicode forms (by their byte-order marks and first
    // bytes) and Latin-1; any other declared encoding is decoded here first.
    // A UTF name over single bytes is a mislabelled file, read as the bytes say.
    // With a declaration in single bytes the encoding is decided here, not
    // guessed by the parser.
    const bool singleBytes = text.startsWith("<?xml") && text.size() > 5 && kBlanks.contains(text.at(5));
    const QByteArray declared = singleBytes ? declaredEncoding(text) : QByteArray();
    QByteArray converted;
    pugi::xml_encoding encoding = singleBytes ? pugi::encoding_utf8 : pugi::encoding_auto;
    if (!declared.isEmpty() && !declared.toLower().startsWith("utf")) {
        QStringDecoder decoder(declared.constData());
        if (!decoder.isValid()) {
            m_lastError = QStringLiteral("The document's encoding is not supported: ") +
                          QString::fromLatin1(declared);
            m_doc.reset();
            return false;
        }
        converted = QString(decoder.decode(text)).toUtf8();
    }
    const QByteArray& input = converted.isNull() ? text : converted;
    const auto r = m_doc.load_buffer(input.constData(), size_t(input.size()),
                                     parseOptions, encoding);
    if (!r) {
        m_lastError = describe(r);
        m_doc.reset();
        return false;
    }
    if (!m_doc.document_element()) {
        m_lastError = QStringLiteral("The document has no root element.");
        return false;
    }
    // In memory the text is Unicode, and every save writes UTF-8: the
    // declaration says so.
    pugi::xml_node declaration = m_doc.first_child();
    if (declaration.type() != pugi::node_declaration) {
        declaration = m_doc.prepend_child(pugi::node_declaration);
        declaration.append_attribute("version") = "1.0";
    }
    pugi::xml_attribute name = declaration.attribute("encoding");
    if (!name) {
        // The order is version, encoding, standalone.
        const pugi::xml_attribute version = declaration.attribute("version");
        name = version ? declaration.insert_attribute_after("encoding", version)
                       : declaration.prepend_attribute("encoding");
    }
    if (!isUtf8Name(name.value()))
        name.set_value("UTF-8");
    m_lastError.clear();
    return true;
}

bool xhXMLDocument::NestsDeeperThan(int levels) const
{
    int depth = 1;
    for (pugi::xml_node node = m_doc.first_child(); node;) {
        if (node.first_child()) {
            node = node.first_child();
            if (++depth > levels)
                return true;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node)
            node = node.next_sibling();
    }
    return false;
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
