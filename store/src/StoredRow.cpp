#include "vantrelle/store/StoredRow.h"

#include "StoredText.h"

namespace vantrelle::store {

std::string describe(const UnreadableValue& value)
{
    std::string film = value.id ? "the film with ID " + std::to_string(*value.id) : "a film without an ID";
    if (!value.title.empty())
        film.append(", \"").append(shortenedText(value.title)).append("\",");
    return "The column " + value.column + " of " + film + " holds " + value.stored + ", which is not " + value.expected;
}

std::string unreadableValuesMessage(const std::vector<UnreadableValue>& values)
{
    if (values.empty())
        return {};
    std::string message = "Some values in the catalogue cannot be read. They are shown empty, and each stays "
                          "as it is in the file until a new value is saved in its place:";
    for (const UnreadableValue& value : values)
        message.append("\n").append(describe(value));
    return message;
}

} // namespace vantrelle::store
