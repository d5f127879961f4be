#include "vantrelle/pictures/ColorQuantizer.h"

#include "vantrelle/pictures/DIB.h"
#include "vantrelle/pictures/Errors.h"

#include <algorithm>

namespace vantrelle::pictures {

namespace {

// The level of the nodes that the shortcuts name; a leaf above it stands for all of its paths.
constexpr int kShortcutLevel = 4;

// The shortcut of a path given by the top kShortcutLevel bits of each channel.
std::size_t shortcutIndex(unsigned redBits, unsigned greenBits, unsigned blueBits)
{
    return (redBits << (2 * kShortcutLevel)) | (greenBits << kShortcutLevel) | blueBits;
}

} // namespace

TColorQuantizer::TColorQuantizer(int colorLimit, int depth)
    : m_colorLimit(colorLimit)
    , m_depth(depth)
{
    if (colorLimit < 1 || depth < 1 || depth > 8)
        throw EInvalidGraphic("Invalid colour quantizer settings");
    m_reducible.fill(TOctreeNode::kNoNode);
    m_shortcuts.assign(std::size_t { 1 } << (3 * kShortcutLevel), TOctreeNode::kNoNode);
}

std::int32_t TColorQuantizer::createNode(int level, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    std::int32_t index;
    if (!m_freeNodes.empty()) {
        index = m_freeNodes.back();
        m_freeNodes.pop_back();
        m_nodes[static_cast<std::size_t>(index)] = TOctreeNode {};
    } else {
        index = static_cast<std::int32_t>(m_nodes.size());
        m_nodes.emplace_back();
    }
    TOctreeNode& node = m_nodes[static_cast<std::size_t>(index)];
    node.leaf = level == m_depth;
    node.pathRed = red;
    node.pathGreen = green;
    node.pathBlue = blue;
    if (node.leaf) {
        ++m_leafCount;
    } else {
        node.nextReducible = m_reducible[static_cast<std::size_t>(level)];
        m_reducible[static_cast<std::size_t>(level)] = index;
    }
    // A node made above the shortcut level is not named: a path that is not named yet starts at the root.
    if (level == kShortcutLevel)
        nameInShortcuts(index, level);
    return index;
}

void TColorQuantizer::freeNode(std::int32_t node)
{
    m_freeNodes.push_back(node);
}

void TColorQuantizer::nameInShortcuts(std::int32_t index, int level)
{
    const TOctreeNode& node = m_nodes[static_cast<std::size_t>(index)];
    // The node's own bits of each channel, then every value of the bits below them.
    const int below = kShortcutLevel - level;
    const int unused = 8 - level;
    const unsigned red = (static_cast<unsigned>(node.pathRed) >> unused) << below;
    const unsigned green = (static_cast<unsigned>(node.pathGreen) >> unused) << below;
    const unsigned blue = (static_cast<unsigned>(node.pathBlue) >> unused) << below;
    const unsigned span = 1u << below;
    for (unsigned r = 0; r < span; ++r)
        for (unsigned g = 0; g < span; ++g)
            for (unsigned b = 0; b < span; ++b)
                m_shortcuts[shortcutIndex(red | r, green | g, blue | b)] = index;
}

void TColorQuantizer::addColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    constexpr int unused = 8 - kShortcutLevel;
    const std::int32_t shortcut = m_shortcuts[shortcutIndex(red >> unused, green >> unused, blue >> unused)];
    if (shortcut != TOctreeNode::kNoNode) {
        TOctreeNode& node = m_nodes[static_cast<std::size_t>(shortcut)];
        // Only a new node can make a reduction due, so a colour that lands on a leaf is done.
        if (node.leaf)
            node.addPixel(red, green, blue);
        else
            addBelow(shortcut, kShortcutLevel, red, green, blue);
        return;
    }
    if (m_root == TOctreeNode::kNoNode)
        m_root = createNode(0, red, green, blue);
    addBelow(m_root, 0, red, green, blue);
}

void TColorQuantizer::addBelow(std::int32_t index, int level, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    for (;; ++level) {
        TOctreeNode& node = m_nodes[static_cast<std::size_t>(index)];
        if (node.leaf) {
            node.addPixel(red, green, blue);
            break;
        }
        const int shift = 7 - level;
        const int mask = 0x80 >> level;
        const int child = ((red & mask) >> shift) * 4 + ((green & mask) >> shift) * 2 + ((blue & mask) >> shift);
        std::int32_t next = node.children[static_cast<std::size_t>(child)];
        if (next == TOctreeNode::kNoNode) {
            next = createNode(level + 1, red, green, blue); // may move the pool: index the parent afresh
            m_nodes[static_cast<std::size_t>(index)].children[static_cast<std::size_t>(child)] = next;
        }
        index = next;
    }
    while (m_leafCount > m_colorLimit)
        reduceTree();
}

void TColorQuantizer::reduceTree()
{
    int level = m_depth - 1;
    while (level > 0 && m_reducible[static_cast<std::size_t>(level)] == TOctreeNode::kNoNode)
        --level;
    const std::int32_t index = m_reducible[static_cast<std::size_t>(level)];
    TOctreeNode& node = m_nodes[static_cast<std::size_t>(index)];
    m_reducible[static_cast<std::size_t>(level)] = node.nextReducible;
    node.nextReducible = TOctreeNode::kNoNode;

    std::int64_t red = 0;
    std::int64_t green = 0;
    std::int64_t blue = 0;
    int children = 0;
    for (std::int32_t& slot : node.children) {
        if (slot == TOctreeNode::kNoNode)
            continue;
        // Children of a node of the deepest reducible level are always leaves.
        const TOctreeNode& child = m_nodes[static_cast<std::size_t>(slot)];
        red += child.redSum;
        green += child.greenSum;
        blue += child.blueSum;
        node.pixelCount += child.pixelCount;
        freeNode(slot);
        slot = TOctreeNode::kNoNode;
        ++children;
    }
    node.leaf = true;
    node.redSum = red;
    node.greenSum = green;
    node.blueSum = blue;
    m_leafCount -= children - 1;
    // Reduced at the shortcut level, the node stays where the shortcuts name it, now a leaf; above
    // that level, it takes the place of its freed children.
    if (level < kShortcutLevel)
        nameInShortcuts(index, level);
}

void TColorQuantizer::process(const TDIBReader& reader)
{
    const int width = reader.width();
    for (int y = 0; y < reader.height(); ++y) {
        const std::uint8_t* row = reader.scanLine(y);
        for (int x = 0; x < width; ++x, row += 3)
            addColor(row[2], row[1], row[0]);
    }
}

std::vector<PaletteEntry> TColorQuantizer::colorTable() const
{
    std::vector<PaletteEntry> colours;
    if (m_root != TOctreeNode::kNoNode)
        collect(m_root, colours);
    return colours;
}

void TColorQuantizer::collect(std::int32_t index, std::vector<PaletteEntry>& colours) const
{
    const TOctreeNode& node = m_nodes[static_cast<std::size_t>(index)];
    if (node.leaf) {
        if (node.pixelCount == 0) {
            colours.push_back({});
            return;
        }
        colours.push_back({ static_cast<std::uint8_t>(node.redSum / node.pixelCount),
            static_cast<std::uint8_t>(node.greenSum / node.pixelCount),
            static_cast<std::uint8_t>(node.blueSum / node.pixelCount), 0 });
        return;
    }
    for (const std::int32_t child : node.children)
        if (child != TOctreeNode::kNoNode)
            collect(child, colours);
}

} // namespace vantrelle::pictures
