#pragma once
// The XML document every stored file and service reply goes through: a DOM
// that can be edited, XPath 1.0 selection, and saves that are atomic.
// Node handles are pugixml's own; they stay valid while the node exists.
#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <string>

namespace ruvia {

std::string toU8(const QString& text);
QString fromU8(const char* text);

class xhXMLDocument {
public:
    static constexpr unsigned kDefaultParse = pugi::parse_default | pugi::parse_declaration;
    // Element texts exactly as stored: line breaks are not folded to LF and a
    // text of blanks only is kept. For files whose texts are user data.
    static constexpr unsigned kExactTextParse =
        (kDefaultParse & ~unsigned(pugi::parse_eol)) | pugi::parse_ws_pcdata_single;

    // Replaces the document with the file's content.
    bool Load(const QString& path, unsigned parseOptions = kDefaultParse);
    // Replaces the document with the text's content (bytes as received), read
    // in the encoding it declares. The declaration then names UTF-8, the
    // encoding every save writes (one is added when the text had none).
    bool LoadXML(const QByteArray& text, unsigned parseOptions = kDefaultParse);
    // True when elements and text nest more than levels deep (the document
    // node's children are level 1).
    bool NestsDeeperThan(int levels) const;
    // Writes the whole document, UTF-8, indented, through an atomic save.
    bool Save(const QString& path);
    QByteArray ToXML() const;
    // An empty document whose declaration names the encoding.
    void New(const QString& encoding = QStringLiteral("utf-8"));

    pugi::xml_node DocumentNode() { return m_doc; }
    pugi::xml_node Root() const { return m_doc.document_element(); }

    // XPath 1.0. An invalid expression selects nothing and sets the last error.
    // vars lets callers bind values ($id) instead of splicing them into the text.
    pugi::xpath_node SelectSingleNode(const QString& xpath, pugi::xml_node context = {},
                                      pugi::xpath_variable_set* vars = nullptr);
    pugi::xpath_node_set SelectNodes(const QString& xpath, pugi::xml_node context = {},
                                     pugi::xpath_variable_set* vars = nullptr);
    // The text of the first match ("" when nothing matches).
    QString GetText(const QString& xpath, pugi::xml_node context = {},
                    pugi::xpath_variable_set* vars = nullptr);

    static pugi::xml_node AppendElement(pugi::xml_node parent, const QString& name);
    static pugi::xml_attribute AppendAttribute(pugi::xml_node element, const QString& name,
                                               const QString& value);
    static pugi::xml_attribute FindAttribute(pugi::xml_node element, const QString& name);
    static bool RemoveAttribute(pugi::xml_node element, const QString& name);
    static void RemoveChildren(pugi::xml_node element);
    static void SetText(pugi::xml_node element, const QString& text);
    // Element text, attribute value, or "" for a null node.
    static QString NodeText(const pugi::xpath_node& node);

    QString LastError() const { return m_lastError; }
    pugi::xml_document& doc() { return m_doc; }

private:
    pugi::xml_node contextOr(pugi::xml_node context) const;
    pugi::xml_document m_doc;
    QString m_lastError;
};

} // namespace ruvia
