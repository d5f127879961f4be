#include "vantrelle/pictures/PictureFormats.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"
#include "vantrelle/pictures/Icon.h"
#include "vantrelle/pictures/JPEGImage.h"
#include "vantrelle/pictures/Metafile.h"
#include "vantrelle/pictures/OleGraphic.h"
#include "vantrelle/pictures/Picture.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace vantrelle::pictures {

namespace {

// The string resources that name the built-in formats.
enum : std::uint32_t {
    kMetafilesResource = 0xFEB0,
    kEnhancedMetafilesResource,
    kIconsResource,
    kBitmapsResource,
};

std::string loadResourceString(std::uint32_t id)
{
    switch (id) {
    case kMetafilesResource:
        return "Metafiles";
    case kEnhancedMetafilesResource:
        return "Enhanced Metafiles";
    case kIconsResource:
        return "Icons";
    case kBitmapsResource:
        return "Bitmaps";
    default:
        return {};
    }
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The older GIF class of the registry. Its entry only shows in the filter: the later "gif" entry of
// TGIFGraphic always wins the lookup.
class CompuServeGIF final : public TGIFGraphic {
public:
    const char* className() const override { return "CompuServeGIF"; }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<CompuServeGIF>(*this); }
};

} // namespace

bool GraphicClass::inheritsFrom(const GraphicClass& base) const
{
    if (&base == this)
        return true;
    const std::unique_ptr<TGraphic> sample = create();
    return sample && base.m_isInstance(*sample);
}

void TFileFormatsList::add(const std::string& extension, const std::string& description,
    std::uint32_t descriptionResource, const GraphicClass& graphicClass)
{
    m_entries.push_back({ &graphicClass, lowerCase(extension), description, descriptionResource });
}

const GraphicClass* TFileFormatsList::findExt(const std::string& extension) const
{
    const std::string wanted = lowerCase(extension);
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry)
        if (entry->extension == wanted)
            return entry->graphicClass;
    return nullptr;
}

// One line per description, with every extension of that description ("JPEG Image File (*.jpg;*.jpeg)"), and each
// extension once: a later registration of an extension hides an earlier one, as it does in the lookup.
std::string TFileFormatsList::buildFilter(const GraphicClass& base) const
{
    struct Line {
        std::string description;
        std::string masks;
    };
    std::vector<Line> lines;
    std::vector<std::string> seen;
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (entry->extension.empty() || !entry->graphicClass->inheritsFrom(base)
            || std::find(seen.begin(), seen.end(), entry->extension) != seen.end())
            continue;
        seen.push_back(entry->extension);
        const std::string description = entry->description.empty() && entry->descriptionResource != 0
            ? loadResourceString(entry->descriptionResource)
            : entry->description;
        const std::string mask = "*." + entry->extension;
        const auto same = std::find_if(
            lines.begin(), lines.end(), [&](const Line& line) { return line.description == description; });
        if (same != lines.end())
            same->masks += ";" + mask;
        else
            lines.push_back({ description, mask });
    }
    std::string filter;
    std::string masks;
    for (const Line& line : lines) {
        filter += (filter.empty() ? "" : "|") + line.description + " (" + line.masks + ")|" + line.masks;
        masks += (masks.empty() ? "" : ";") + line.masks;
    }
    if (lines.size() > 1)
        return "All (" + masks + ")|" + masks + "|" + filter;
    return filter;
}

TFileFormatsList& fileFormats()
{
    static TFileFormatsList formats = [] {
        TFileFormatsList list;
        // The built-in formats, then the picture units in the order the program starts them.
        list.add("wmf", "", kMetafilesResource, GraphicClass::of<TMetafile>());
        list.add("emf", "", kEnhancedMetafilesResource, GraphicClass::of<TMetafile>());
        list.add("ico", "", kIconsResource, GraphicClass::of<TIcon>());
        list.add("bmp", "", kBitmapsResource, GraphicClass::of<TBitmap>());
        list.add("", "", 0, GraphicClass::of<TOleGraphic>());
        list.add("gif", "CompuServe GIF Image", 0, GraphicClass::of<CompuServeGIF>());
        list.add("GIF", "GIF Image", 0, GraphicClass::of<TGIFGraphic>());
        list.add("jpeg", "JPEG Image File", 0, GraphicClass::of<TJPEGImage>());
        list.add("jpg", "JPEG Image File", 0, GraphicClass::of<TJPEGImage>());
        return list;
    }();
    return formats;
}

void RegisterPictureFormat(
    const std::string& extension, const std::string& description, const GraphicClass& graphicClass)
{
    fileFormats().add(extension, description, 0, graphicClass);
}

const GraphicClass* FindPictureFormat(const std::string& extension)
{
    return fileFormats().findExt(extension);
}

std::string pictureFileExtension(const std::string& fileName)
{
    const std::size_t delimiter = fileName.find_last_of("\\:/");
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (delimiter != std::string::npos && dot < delimiter))
        return {};
    return fileName.substr(dot + 1);
}

void LoadPictureFile(TPicture& picture, const std::string& fileName)
{
    const std::string extension = pictureFileExtension(fileName);
    const GraphicClass* graphicClass = FindPictureFormat(extension);
    if (!graphicClass)
        throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    std::unique_ptr<TGraphic> graphic = graphicClass->create();
    graphic->loadFromFile(fileName);
    picture.setGraphic(std::move(graphic));
}

std::string PictureFilter(const GraphicClass& base)
{
    return fileFormats().buildFilter(base);
}

} // namespace vantrelle::pictures
