#include "vantrelle/JsonText.h"

namespace vantrelle {

void appendJsonQuoted(std::string& out, std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += kHex[(c >> 4) & 0xF];
                out += kHex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

std::string jsonQuoted(std::string_view utf8)
{
    std::string quoted;
    quoted.reserve(utf8.size() + 2);
    appendJsonQuoted(quoted, utf8);
    return quoted;
}

} // namespace vantrelle
