#pragma once

#include "vantrelle/pictures/Bitmap.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vantrelle::pictures {

class TDIBReader;

// One node of the colour octree. Nodes live in the quantizer's pool and name each other by
// index; kNoNode marks an empty child slot or the end of a reducible list.
struct TOctreeNode {
    static constexpr std::int32_t kNoNode = -1;

    bool leaf = false;
    std::int64_t pixelCount = 0;
    std::int64_t redSum = 0;
    std::int64_t greenSum = 0;
    std::int64_t blueSum = 0;
    std::int32_t nextReducible = kNoNode;
    std::array<std::int32_t, 8> children { kNoNode, kNoNode, kNoNode, kNoNode, kNoNode, kNoNode, kNoNode, kNoNode };
    // The colour that made the node: the top bits of its channels, one per level above the node, are
    // the node's path.
    std::uint8_t pathRed = 0;
    std::uint8_t pathGreen = 0;
    std::uint8_t pathBlue = 0;

    void addPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        ++pixelCount;
        redSum += red;
        greenSum += green;
        blueSum += blue;
    }
};

// An octree colour quantizer: every colour added goes down the tree one bit of red, green and
// blue per level; after each colour, while there are more leaves than the colour limit, the most
// recently created internal node of the deepest level that has one is folded into a leaf. The
// tree thus never holds more than limit + 1 leaves, whatever the size of the picture.
class TColorQuantizer {
public:
    TColorQuantizer(int colorLimit, int depth);

    // Adds every pixel of the reader's (24-bit) bitmap: rows from the top, columns left to right.
    void process(const TDIBReader& reader);
    void addColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // The leaf colours in tree order (children 0 to 7, depth first): each sum divided by the
    // leaf's pixel count, truncated; black for a leaf without pixels.
    std::vector<PaletteEntry> colorTable() const;
    int leafCount() const { return m_leafCount; }

private:
    std::int32_t createNode(int level, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    void freeNode(std::int32_t node);
    // Adds a colour from a node of the given level on its path, creating the rest of the path.
    void addBelow(std::int32_t node, int level, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    void reduceTree();
    void collect(std::int32_t node, std::vector<PaletteEntry>& colours) const;
    // Makes the shortcuts of every path through a node of the given level (at or above the shortcut
    // level) name it.
    void nameInShortcuts(std::int32_t node, int level);

    int m_colorLimit;
    int m_depth;
    std::int32_t m_root = TOctreeNode::kNoNode;
    int m_leafCount = 0;
    std::array<std::int32_t, 8> m_reducible {};
    std::vector<TOctreeNode> m_nodes;
    std::vector<std::int32_t> m_freeNodes;
    // Where a colour enters the tree, by the top 4 bits of each channel: the node of level 4 on its
    // path, or the leaf above it that a reduction made, or kNoNode (the colour starts at the root).
    // The leaves of a reduced tree mostly stand at levels 3 and 4, so most colours need no descent.
    std::vector<std::int32_t> m_shortcuts;
};

} // namespace vantrelle::pictures
