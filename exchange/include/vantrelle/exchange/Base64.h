#pragma once

// Base64 (RFC 4648, section 4), the form in which a data file carries a cover's bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::exchange {

void appendBase64(std::string& out, std::span<const std::uint8_t> bytes);

// The bytes, or nothing when `text` is not base64 with its padding. Line breaks and blanks between the
// characters are skipped (RFC 2045 wraps lines).
std::optional<std::vector<std::uint8_t>> decodeBase64(std::string_view text);

} // namespace vantrelle::exchange
