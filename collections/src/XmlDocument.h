#pragma once

// XML collection files through libxml2: the document, and the few walks the readers make over it. Elements are
// named by their local name, so a default namespace (Tellico's) changes nothing. Texts come out as UTF-8 in
// whatever encoding the file declares (DVD Profiler writes windows-1252).
//
// Limitations: no external entity or DTD is ever loaded and no entity is expanded, so a file cannot make the
// reader fetch anything or grow without bound; nesting deeper than libxml2's default limit is refused.

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::collections {

class XmlDocument {
public:
    // Throws ECollectionError "not well-formed XML: <libxml2's reason> (line N)".
    explicit XmlDocument(std::string_view text);

    const xmlNode* root() const { return xmlDocGetRootElement(m_doc.get()); }

private:
    struct Free {
        void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    };
    std::unique_ptr<xmlDoc, Free> m_doc;
};

// Whether the text begins, after blanks and a byte-order mark, with an XML declaration or element.
bool looksLikeXml(std::string_view text);

std::string_view localName(const xmlNode* node);

// The element children of `node` (whose local name is `name`; any when empty).
std::vector<const xmlNode*> childElements(const xmlNode* node, std::string_view name = {});

// The first element child of that name; nullptr when there is none.
const xmlNode* firstChild(const xmlNode* node, std::string_view name);

// The text within `node` (all of it, trimmed); empty for nullptr.
std::string textOf(const xmlNode* node);

// The trimmed text of the first child of that name; empty when there is none.
std::string childText(const xmlNode* node, std::string_view name);

// The texts of the children of that name, non-empty ones only.
std::vector<std::string> childTexts(const xmlNode* node, std::string_view name);

// The value of an attribute, trimmed; empty when there is none.
std::string attribute(const xmlNode* node, const char* name);

// The line of the file the element starts on.
int lineOf(const xmlNode* node);

} // namespace vantrelle::collections
