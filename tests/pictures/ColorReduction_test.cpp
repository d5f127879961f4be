#include "vantrelle/pictures/ColorLookup.h"
#include "vantrelle/pictures/ColorQuantizer.h"
#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/DIB.h"
#include "vantrelle/pictures/DitherEngine.h"
#include "vantrelle/pictures/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

using namespace vantrelle::pictures;

namespace {

using Colour = PaletteEntry;

TBitmap trueColour(int width, int height, const std::vector<Colour>& pixels)
{
    TBitmap bitmap(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour& c = pixels[static_cast<std::size_t>(y * width + x)];
            std::uint8_t* p = bitmap.scanLine(y) + 3 * x;
            p[0] = c.blue;
            p[1] = c.green;
            p[2] = c.red;
        }
    return bitmap;
}

int key(const Colour& c)
{
    return TFastColorLookup::key(c.red, c.green, c.blue);
}

// The octree's leaf order for exact colours: the bits of red, green and blue interleaved from the top.
std::uint32_t treeOrder(const Colour& c)
{
    std::uint32_t order = 0;
    for (int bit = 7; bit >= 0; --bit)
        order = (order << 3) | (((c.red >> bit) & 1) << 2) | (((c.green >> bit) & 1) << 1) | ((c.blue >> bit) & 1);
    return order;
}

std::vector<int> indices(const TBitmap& bitmap)
{
    std::vector<int> all;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            all.push_back(bitmap.scanLine(y)[x]);
    return all;
}

// A straightforward model of the reduction, written apart from the production code (owning
// pointers, a list per level), used to check every palette entry and every pixel of whole pictures.
struct ModelNode {
    bool leaf = false;
    std::int64_t count = 0, red = 0, green = 0, blue = 0;
    ModelNode* next = nullptr;
    std::unique_ptr<ModelNode> children[8];
};

struct Model {
    std::unique_ptr<ModelNode> root;
    ModelNode* lists[8] = {};
    int leaves = 0;

    std::unique_ptr<ModelNode> make(int level)
    {
        auto node = std::make_unique<ModelNode>();
        node->leaf = level == 8;
        if (node->leaf) {
            ++leaves;
        } else {
            node->next = lists[level];
            lists[level] = node.get();
        }
        return node;
    }
    void add(int r, int g, int b)
    {
        std::unique_ptr<ModelNode>* slot = &root;
        for (int level = 0;; ++level) {
            if (!*slot)
                *slot = make(level);
            ModelNode* node = slot->get();
            if (node->leaf) {
                node->count++, node->red += r, node->green += g, node->blue += b;
                break;
            }
            const int bit = 7 - level;
            slot = &node->children[((r >> bit) & 1) * 4 + ((g >> bit) & 1) * 2 + ((b >> bit) & 1)];
        }
        while (leaves > 236) {
            int level = 7;
            while (level > 0 && !lists[level])
                --level;
            ModelNode* node = lists[level];
            lists[level] = node->next;
            int merged = 0;
            std::int64_t r = 0, g = 0, b = 0;
            for (auto& child : node->children)
                if (child) {
                    r += child->red, g += child->green, b += child->blue, node->count += child->count;
                    child.reset();
                    ++merged;
                }
            node->leaf = true, node->red = r, node->green = g, node->blue = b;
            leaves -= merged - 1;
        }
    }
    void table(const ModelNode* node, std::vector<Colour>& out) const
    {
        if (node->leaf) {
            out.push_back(node->count == 0 ? Colour {}
                                           : Colour { static_cast<std::uint8_t>(node->red / node->count),
                                               static_cast<std::uint8_t>(node->green / node->count),
                                               static_cast<std::uint8_t>(node->blue / node->count), 0 });
            return;
        }
        for (const auto& child : node->children)
            if (child)
                table(child.get(), out);
    }
};

struct ModelResult {
    std::vector<Colour> palette;
    std::vector<int> indices;
};

ModelResult modelReduce(int width, int height, const std::vector<Colour>& pixels)
{
    Model model;
    for (const Colour& c : pixels)
        model.add(c.red, c.green, c.blue);
    std::vector<Colour> quantized;
    if (model.root)
        model.table(model.root.get(), quantized);
    ModelResult result;
    result.palette.assign(kSystemColors.begin(), kSystemColors.begin() + 10);
    result.palette.insert(result.palette.end(), quantized.begin(), quantized.end());
    result.palette.resize(246, kSystemColors[0]);
    result.palette.insert(result.palette.end(), kSystemColors.begin() + 10, kSystemColors.end());

    std::map<int, int> cells;
    for (int i = 0; i < 256; ++i)
        cells.emplace(key(result.palette[static_cast<std::size_t>(i)]), i);
    result.indices.resize(pixels.size());
    for (int y = 0; y < height; ++y)
        for (int step = 0; step < width; ++step) {
            const int x = y % 2 == 0 ? step : width - 1 - step;
            const Colour& c = pixels[static_cast<std::size_t>(y * width + x)];
            auto cell = cells.find(key(c));
            if (cell == cells.end()) {
                int best = 0, bestDistance = 1 << 30;
                for (int i = 0; i < 256; ++i) {
                    const Colour& p = result.palette[static_cast<std::size_t>(i)];
                    const int d = std::abs(p.red - c.red) + std::abs(p.green - c.green) + std::abs(p.blue - c.blue);
                    if (d < bestDistance)
                        best = i, bestDistance = d;
                }
                cell = cells.emplace(key(c), best).first;
            }
            result.indices[static_cast<std::size_t>(y * width + x)] = cell->second;
        }
    return result;
}

std::vector<Colour> noisyPicture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<Colour> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto channel = [&](int base) {
                return static_cast<std::uint8_t>(std::clamp(base + static_cast<int>(random() % 41) - 20, 0, 255));
            };
            pixels.push_back({ channel(x * 255 / width), channel(y * 255 / height), channel((x + y) * 2 % 256), 0 });
        }
    return pixels;
}

// Colours spread over the whole cube: the tree is folded up to its top levels.
std::vector<Colour> scatteredPicture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<Colour> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.push_back({ static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
            static_cast<std::uint8_t>(random()), 0 });
    return pixels;
}

// ---- Whole reductions ----

TEST(ReduceToPaletteBitmap, MatchesTheModelOnNoisyPictures)
{
    for (const auto& [width, height, pixels] :
        { std::tuple { 64, 48, noisyPicture(64, 48, 1u) }, std::tuple { 17, 33, noisyPicture(17, 33, 2u) },
            std::tuple { 1, 5, noisyPicture(1, 5, 3u) }, std::tuple { 240, 160, noisyPicture(240, 160, 4u) },
            std::tuple { 120, 90, scatteredPicture(120, 90, 5u) } }) {
        TBitmap source = trueColour(width, height, pixels);
        const auto result
            = ReduceToPaletteBitmap(source, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor);
        const ModelResult expected = modelReduce(width, height, pixels);
        ASSERT_EQ(8, result->bitsPerPixel());
        EXPECT_EQ(expected.palette, result->palette()) << width << "x" << height;
        EXPECT_EQ(expected.indices, indices(*result)) << width << "x" << height;
    }
}

TEST(ReduceToPaletteBitmap, FewColoursAreKeptExactlyInTreeOrder)
{
    // 100 colours in distinct 5-5-5 cells, none shared with a system colour.
    std::vector<Colour> colours;
    std::set<int> cells;
    for (const Colour& c : kSystemColors)
        cells.insert(key(c));
    std::mt19937 random(7);
    while (colours.size() < 100) {
        const Colour c { static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
            static_cast<std::uint8_t>(random()), 0 };
        if (cells.insert(key(c)).second)
            colours.push_back(c);
    }
    TBitmap source = trueColour(10, 10, colours);
    const auto result
        = ReduceToPaletteBitmap(source, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor);

    std::vector<Colour> sorted = colours;
    std::sort(
        sorted.begin(), sorted.end(), [](const Colour& a, const Colour& b) { return treeOrder(a) < treeOrder(b); });
    const std::vector<Colour>& palette = result->palette();
    ASSERT_EQ(256u, palette.size());
    EXPECT_EQ(std::vector<Colour>(kSystemColors.begin(), kSystemColors.begin() + 10),
        std::vector<Colour>(palette.begin(), palette.begin() + 10));
    EXPECT_EQ(sorted, std::vector<Colour>(palette.begin() + 10, palette.begin() + 110));
    EXPECT_EQ(
        std::vector<Colour>(136, kSystemColors[0]), std::vector<Colour>(palette.begin() + 110, palette.begin() + 246));
    EXPECT_EQ(std::vector<Colour>(kSystemColors.begin() + 10, kSystemColors.end()),
        std::vector<Colour>(palette.begin() + 246, palette.end()));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(colours[static_cast<std::size_t>(y * 10 + x)], result->pixelColor(x, y));

    // The source stays converted to 24 bits; the result is what the cover column stores.
    EXPECT_EQ(24, source.bitsPerPixel());
    EXPECT_EQ(256u, result->colorsUsed());
    EXPECT_EQ(256u, result->colorsImportant());
    EXPECT_EQ(14u + 40 + 1024 + 12 * 10, result->saveToBytes().size());
}

TEST(ReduceToPaletteBitmap, CellsWithASystemColourAnswerWithIt)
{
    // Black and white become entries 10 and 11, but black pixels take system entry 0 (same cell,
    // lower index). (129, 1, 2) shares the cell of system red (128, 0, 0) at entry 1.
    TBitmap source = trueColour(3, 1, { { 0, 0, 0, 0 }, { 255, 255, 255, 0 }, { 129, 1, 2, 0 } });
    const auto result
        = ReduceToPaletteBitmap(source, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor);
    EXPECT_EQ((Colour { 0, 0, 0, 0 }), result->palette()[10]);
    EXPECT_EQ((Colour { 129, 1, 2, 0 }), result->palette()[11]);
    EXPECT_EQ((Colour { 255, 255, 255, 0 }), result->palette()[12]);
    EXPECT_EQ((std::vector<int> { 0, 12, 1 }), indices(*result));

    TBitmap blackAndWhite = trueColour(2, 1, { { 255, 255, 255, 0 }, { 0, 0, 0, 0 } });
    const LogicalPalette palette = BuildOptimizedPalette(blackAndWhite);
    EXPECT_EQ((Colour { 0, 0, 0, 0 }), palette.entries[10]);
    EXPECT_EQ((Colour { 255, 255, 255, 0 }), palette.entries[11]);
}

TEST(ReduceToPaletteBitmap, ConvertsOtherDepthsAndRefusesEmptySources)
{
    TBitmap source(2, 1, 16);
    source.scanLine(0)[0] = 0x1F; // 5-5-5 blue
    const auto result
        = ReduceToPaletteBitmap(source, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor);
    EXPECT_EQ(24, source.bitsPerPixel());
    EXPECT_EQ((Colour { 0, 0, 255, 0 }), result->pixelColor(0, 0));
    EXPECT_EQ((Colour { 0, 0, 0, 0 }), result->pixelColor(1, 0));

    // A source that must stay as it is goes through a converted copy, to the same result.
    TBitmap kept(2, 1, 16);
    kept.scanLine(0)[0] = 0x1F;
    const auto fromCopy = ReduceToPaletteBitmap(
        std::as_const(kept), TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor);
    EXPECT_EQ(16, kept.bitsPerPixel());
    EXPECT_EQ(result->saveToBytes(), fromCopy->saveToBytes());

    for (TBitmap empty : { TBitmap(), TBitmap(0, 3, 24), TBitmap(3, 0, 24) }) {
        try {
            ReduceToPaletteBitmap(empty, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor);
            ADD_FAILURE() << "reduced an empty bitmap";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ("Invalid image dimensions", e.what());
        }
    }
}

// ---- The parts ----

TEST(ColorQuantizer, ReducesTheNewestDeepestNodeFirst)
{
    // Two pairs of colours that share a level-7 node: (0,0,0)+(0,0,1) first, (0,2,0)+(0,2,1) later.
    // Every other colour has a level-7 node of its own. The 237th leaf makes the quantizer fold
    // level-7 nodes from the newest: single-child nodes change nothing, and the later pair is merged.
    TColorQuantizer quantizer(236, 8);
    std::vector<Colour> added { { 0, 0, 0, 0 }, { 0, 0, 1, 0 } };
    for (int i = 1; added.size() < 200; ++i)
        added.push_back(
            { static_cast<std::uint8_t>(2 * (i % 100)), 0, static_cast<std::uint8_t>(2 * (i / 100) + 4), 0 });
    added.push_back({ 0, 2, 0, 0 });
    added.push_back({ 0, 2, 1, 0 });
    for (int i = 1; added.size() < 237; ++i)
        added.push_back({ static_cast<std::uint8_t>(2 * i), 100, 0, 0 });
    for (std::size_t i = 0; i < added.size(); ++i) {
        quantizer.addColor(added[i].red, added[i].green, added[i].blue);
        ASSERT_EQ(std::min<int>(static_cast<int>(i) + 1, 236), quantizer.leafCount());
    }
    const std::vector<Colour> table = quantizer.colorTable();
    const std::set<std::uint32_t> kept = [&] {
        std::set<std::uint32_t> s;
        for (const Colour& c : table)
            s.insert(treeOrder(c));
        return s;
    }();
    EXPECT_EQ(236u, table.size());
    EXPECT_TRUE(kept.count(treeOrder({ 0, 0, 1, 0 }))) << "the older pair was merged";
    EXPECT_FALSE(kept.count(treeOrder({ 0, 2, 1, 0 }))) << "the newer pair was kept";
    EXPECT_TRUE(kept.count(treeOrder({ 0, 2, 0, 0 }))); // (0+0)/2, (2+2)/2, (0+1)/2 truncated
}

TEST(ColorQuantizer, ReducesALevelOnlyWhenDeeperLevelsAreDone)
{
    // Limit 2: the third colour folds every level-7 node (single children, no gain), then the newest
    // level-6 node (white's, single child), then black's, which merges black and (0,0,2).
    TColorQuantizer quantizer(2, 8);
    quantizer.addColor(0, 0, 0);
    quantizer.addColor(255, 255, 255);
    quantizer.addColor(0, 0, 2);
    EXPECT_EQ((std::vector<Colour> { { 0, 0, 1, 0 }, { 255, 255, 255, 0 } }), quantizer.colorTable());
    quantizer.addColor(0, 0, 0); // lands on the merged leaf
    EXPECT_EQ((std::vector<Colour> { { 0, 0, 0, 0 }, { 255, 255, 255, 0 } }), quantizer.colorTable());
}

TEST(FastColorLookup, SeedsLowestIndexSearchesWithTiesDownAndCachesPerCell)
{
    LogicalPalette palette;
    palette.entries = { { 0, 10, 0, 0 }, { 10, 0, 0, 0 }, { 200, 200, 200, 0 }, { 201, 201, 201, 0 }, { 30, 0, 0, 0 } };
    TFastColorLookup lookup(palette);
    std::uint8_t r, g, b;
    const struct {
        Colour asked;
        int index;
    } cases[] = {
        { { 5, 5, 0, 0 }, 0 }, // equal distances: the lower index
        { { 202, 202, 202, 0 }, 2 }, // a seeded cell answers with its lowest entry, not the nearest
        { { 1, 1, 1, 0 }, 0 }, // the cell of (5,5,0), already answered
        { { 16, 0, 0, 0 }, 1 }, // full search: (10,0,0) is nearest
        { { 23, 0, 0, 0 }, 1 }, // same cell: the first answer stands, though (30,0,0) is nearer
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.index, lookup.NearestIndex(c.asked.red, c.asked.green, c.asked.blue, r, g, b))
            << int(c.asked.red) << "," << int(c.asked.green) << "," << int(c.asked.blue);
        EXPECT_EQ(palette.entries[static_cast<std::size_t>(c.index)], (Colour { r, g, b, 0 }));
    }
    // Visited the other way round, the cell answers with (30,0,0).
    TFastColorLookup fresh(palette);
    EXPECT_EQ(4, fresh.NearestIndex(23, 0, 0, r, g, b));
    EXPECT_EQ(4, fresh.NearestIndex(16, 0, 0, r, g, b));
}

TEST(DitherEngine, WalksRowsInASerpentine)
{
    LogicalPalette palette;
    palette.entries = { { 0, 0, 0, 0 } };
    TFastColorLookup lookup(palette);
    TDitherEngine walker(3, lookup);
    std::vector<int> columns;
    for (int row = 0; row < 3; ++row) {
        while (!walker.rowDone()) {
            columns.push_back(walker.column());
            walker.dither(1, 2, 3);
        }
        walker.nextLine();
    }
    EXPECT_EQ((std::vector<int> { 0, 1, 2, 2, 1, 0, 0, 1, 2 }), columns);
}

TEST(DIBWriter, HandsOverA256ColourBitmapOnlyWhenFinished)
{
    LogicalPalette palette;
    palette.entries = { { 1, 2, 3, 0 }, { 4, 5, 6, 0 } };
    TBitmap result;
    {
        TDIBWriter writer(result, palette, 3, 2, 8);
        writer.scanLine(0)[2] = 1;
        writer.scanLine(1)[0] = 1;
    }
    EXPECT_TRUE(result.empty()); // not finished: nothing handed over

    TDIBWriter writer(result, palette, 3, 2, 8);
    writer.scanLine(0)[2] = 1;
    writer.scanLine(1)[0] = 1;
    writer.finish();
    EXPECT_EQ(8, result.bitsPerPixel());
    EXPECT_EQ(256u, result.palette().size());
    EXPECT_EQ(2u, result.colorsImportant());
    EXPECT_EQ((Colour { 4, 5, 6, 0 }), result.pixelColor(2, 0));
    EXPECT_EQ((Colour { 4, 5, 6, 0 }), result.pixelColor(0, 1));
    EXPECT_EQ((Colour { 1, 2, 3, 0 }), result.pixelColor(0, 0));
    EXPECT_EQ((Colour {}), result.palette()[2]);

    TDIBWriter empty(result, palette, 0, 2, 8);
    EXPECT_THROW(empty.scanLine(0), EInvalidGraphic);
}

} // namespace
