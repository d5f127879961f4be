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

bool GraphicClass::InheritsFrom(const GraphicClass& base) const
{
    if (&base == this)
        return true;
    const std::unique_ptr<TGraphic> sample = Create();
    return sample && base.m_isInstance(*sample);
}

void TFileFormatsList::Add(const std::string& extension, const std::string& description,
    std::uint32_t descriptionResource, const GraphicClass& graphicClass)
{
    m_entries.push_back({ &graphicClass, lowerCase(extension), description, descriptionResource });
}

const GraphicClass* TFileFormatsList::FindExt(const std::string& extension) const
{
    const std::string wanted = lowerCase(extension);
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry)
        if (entry->extension == wanted)
            return entry->graphicClass;
    return nullptr;
}

std::string TFileFormatsList::BuildFilter(const GraphicClass& base) const
{
    std::string filter;
    std::string masks;
    int count = 0;
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (entry->extension.empty() || !entry->graphicClass->InheritsFrom(base))
            continue;
        if (count > 0) {
            filter += '|';
            masks += ';';
        }
        const std::string description = entry->description.empty() && entry->descriptionResource != 0
            ? loadResourceString(entry->descriptionResource)
            : entry->description;
        filter += description + " (*." + entry->extension + ")|*." + entry->extension;
        masks += "*." + entry->extension;
        ++count;
    }
    if (count > 1)
        return "All (" + masks + ")|" + masks + "|" + filter;
    return filter;
}

TFileFormatsList& FileFormats()
{
    static TFileFormatsList formats = [] {
        TFileFormatsList list;
        // The built-in formats, then the picture units in the order the program starts them.
        list.Add("wmf", "", kMetafilesResource, GraphicClass::Of<TMetafile>());
        list.Add("emf", "", kEnhancedMetafilesResource, GraphicClass::Of<TMetafile>());
        list.Add("ico", "", kIconsResource, GraphicClass::Of<TIcon>());
        list.Add("bmp", "", kBitmapsResource, GraphicClass::Of<TBitmap>());
        list.Add("", "", 0, GraphicClass::Of<TOleGraphic>());
        list.Add("gif", "CompuServe GIF Image", 0, GraphicClass::Of<CompuServeGIF>());
        list.Add("GIF", "GIF Image", 0, GraphicClass::Of<TGIFGraphic>());
        list.Add("jpeg", "JPEG Image File", 0, GraphicClass::Of<TJPEGImage>());
        list.Add("jpg", "JPEG Image File", 0, GraphicClass::Of<TJPEGImage>());
        return list;
    }();
    return formats;
}

void RegisterPictureFormat(
    const std::string& extension, const std::string& description, const GraphicClass& graphicClass)
{
    FileFormats().Add(extension, description, 0, graphicClass);
}

const GraphicClass* FindPictureFormat(const std::string& extension)
{
    return FileFormats().FindExt(extension);
}

std::string PictureFileExtension(const std::string& fileName)
{
    const std::size_t delimiter = fileName.find_last_of("\\:/");
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (delimiter != std::string::npos && dot < delimiter))
        return {};
    return fileName.substr(dot + 1);
}

void LoadPictureFile(TPicture& picture, const std::string& fileName)
{
    const std::string extension = PictureFileExtension(fileName);
    const GraphicClass* graphicClass = FindPictureFormat(extension);
    if (!graphicClass)
        throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    std::unique_ptr<TGraphic> graphic = graphicClass->Create();
    graphic->loadFromFile(fileName);
    picture.SetGraphic(std::move(graphic));
}

std::string PictureFilter(const GraphicClass& base)
{
    return FileFormats().BuildFilter(base);
}

} // namespace vantrelle::pictures
