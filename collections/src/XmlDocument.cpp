#include "XmlDocument.h"

#include "FilmText.h"
#include "vantrelle/collections/Collection.h"

#include <libxml/parser.h>

#include <climits>

namespace vantrelle::collections {

namespace {

struct FreeContext {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

std::string text(const xmlChar* chars)
{
    return chars ? std::string(reinterpret_cast<const char*>(chars)) : std::string();
}

} // namespace

XmlDocument::XmlDocument(std::string_view text)
{
    if (text.size() > INT_MAX)
        throw ECollectionError("the XML file is too large");
    const std::unique_ptr<xmlParserCtxt, FreeContext> context(xmlNewParserCtxt());
    if (!context)
        throw ECollectionError("out of memory for the XML reader");
    m_doc.reset(xmlCtxtReadMemory(context.get(), text.data(), static_cast<int>(text.size()), nullptr, nullptr,
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES));
    if (!m_doc || !root()) {
        const xmlError* error = xmlCtxtGetLastError(context.get());
        std::string reason = error && error->message ? std::string(trimmedText(error->message)) : "no root element";
        if (error && error->line > 0 && reason.find("line") == std::string::npos)
            reason += " (line " + std::to_string(error->line) + ")";
        throw ECollectionError("not well-formed XML: " + reason);
    }
}

bool looksLikeXml(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return trimmedText(text).starts_with('<');
}

std::string_view localName(const xmlNode* node)
{
    return node && node->name ? std::string_view(reinterpret_cast<const char*>(node->name)) : std::string_view();
}

std::vector<const xmlNode*> childElements(const xmlNode* node, std::string_view name)
{
    std::vector<const xmlNode*> children;
    if (!node)
        return children;
    for (const xmlNode* child = node->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && (name.empty() || localName(child) == name))
            children.push_back(child);
    return children;
}

const xmlNode* firstChild(const xmlNode* node, std::string_view name)
{
    if (!node)
        return nullptr;
    for (const xmlNode* child = node->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && localName(child) == name)
            return child;
    return nullptr;
}

std::string textOf(const xmlNode* node)
{
    if (!node)
        return {};
    xmlChar* content = xmlNodeGetContent(node);
    std::string value = text(content);
    xmlFree(content);
    return std::string(trimmedText(value));
}

std::string childText(const xmlNode* node, std::string_view name)
{
    return textOf(firstChild(node, name));
}

std::vector<std::string> childTexts(const xmlNode* node, std::string_view name)
{
    std::vector<std::string> texts;
    for (const xmlNode* child : childElements(node, name))
        if (std::string value = textOf(child); !value.empty())
            texts.push_back(std::move(value));
    return texts;
}

std::string attribute(const xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string result = text(value);
    xmlFree(value);
    return std::string(trimmedText(result));
}

int lineOf(const xmlNode* node)
{
    const long line = xmlGetLineNo(node);
    return line > 0 && line < INT_MAX ? static_cast<int>(line) : 0;
}

} // namespace vantrelle::collections
