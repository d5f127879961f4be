#pragma once

// The process-wide registry of picture formats: which graphic class reads a file of a given
// extension, and the filter of the open-picture dialogs.

#include "vantrelle/pictures/Graphic.h"

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace vantrelle::pictures {

class TPicture;

// Stands for a graphic class: makes new objects of it and tells whether it derives from another.
class GraphicClass {
public:
    template <class T> static const GraphicClass& of();

    // A new, empty object of the class; null for an abstract class.
    std::unique_ptr<TGraphic> create() const { return m_create(); }
    // True when the class is `base` or derives from it.
    bool inheritsFrom(const GraphicClass& base) const;

    GraphicClass(const GraphicClass&) = delete;
    GraphicClass& operator=(const GraphicClass&) = delete;

private:
    using Factory = std::unique_ptr<TGraphic> (*)();
    using Test = bool (*)(const TGraphic&);
    GraphicClass(Factory create, Test isInstance)
        : m_create(create)
        , m_isInstance(isInstance)
    {
    }

    Factory m_create;
    Test m_isInstance;
};

template <class T> const GraphicClass& GraphicClass::of()
{
    static_assert(std::is_base_of_v<TGraphic, T>);
    static const GraphicClass info(
        []() -> std::unique_ptr<TGraphic> {
            if constexpr (std::is_abstract_v<T>)
                return nullptr;
            else
                return std::make_unique<T>();
        },
        [](const TGraphic& graphic) {
            if constexpr (std::is_same_v<T, TGraphic>)
                return true;
            else
                return dynamic_cast<const T*>(&graphic) != nullptr;
        });
    return info;
}

struct FileFormat {
    const GraphicClass* graphicClass = nullptr;
    std::string extension; // lower case, without the "."; may be empty
    std::string description;
    std::uint32_t descriptionResource = 0; // string resource read when the description is empty; 0 for none
};

class TFileFormatsList {
public:
    // Appends an entry; the extension is stored in lower case.
    void add(const std::string& extension, const std::string& description, std::uint32_t descriptionResource,
        const GraphicClass& graphicClass);
    // The class of the latest entry whose extension equals `extension` lower-cased, or null.
    const GraphicClass* findExt(const std::string& extension) const;
    // "All (masks)|masks|" followed by "Description (*.ext)|*.ext" pairs, last entry first, for the entries
    // with an extension whose class derives from `base`.
    std::string buildFilter(const GraphicClass& base) const;

    const std::vector<FileFormat>& entries() const { return m_entries; }

private:
    std::vector<FileFormat> m_entries;
};

// The registry, made with the program's nine entries on first use.
TFileFormatsList& fileFormats();

void RegisterPictureFormat(
    const std::string& extension, const std::string& description, const GraphicClass& graphicClass);
const GraphicClass* FindPictureFormat(const std::string& extension);

// Reads the file with the class its extension selects and makes the result the picture's graphic.
// Throws EInvalidGraphic "Unknown picture file extension (.%s)", "Cannot open file %s" or the reader's
// error; the picture is then unchanged.
void LoadPictureFile(TPicture& picture, const std::string& fileName);

// The extension of a file name as LoadPictureFile takes it: after the last "." that follows the last path
// delimiter ("\", ":" or "/"); empty when there is none.
std::string pictureFileExtension(const std::string& fileName);

// The open-picture dialogs' filter for the registered classes deriving from `base`.
std::string PictureFilter(const GraphicClass& base = GraphicClass::of<TGraphic>());

} // namespace vantrelle::pictures
