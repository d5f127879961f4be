#include "vantrelle/pictures/ColorQuantizer.h"

#include "vantrelle/pictures/DIB.h"
#include "vantrelle/pictures/Errors.h"

#include <algorithm>

namespace vantrelle::pictures {

namespace {

// The level of the nodes that the shortcuts name; a leaf above it stands for all of its paths.
constexpr int kShortcutLevel = 3;
constexpr int kShortcutUnusedBits = 8 - kShortcutLevel;

int shortcutKey(unsigned redBits, unsigned greenBits, unsigned blueBits)
{
    return static_cast<int>((redBits << (2 * kShortcutLevel)) | (greenBits << kShortcutLevel) | blueBits);
}

} // namespace

TColorQuantizer::TColorQuantizer(int colorLimit, int depth)
    : m_colorLimit(colorLimit)
    , m_depth(depth)
{
    if (colorLimit < 1 || depth < 1 || depth > 8)
        throw EInvalidGraphic("Invalid colour quantizer settings");
    m_reducible.fill(TOctreeNode::kNoNode);
    m_shortcuts.resize(std::size_t { 1 } << (3 * kShortcutLevel));
}

std::int32_t TColorQuantizer::createNode(int level)
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
    if (level <= kShortcutLevel)
        m_shortcutsStale = true;
    TOctreeNode& node = m_nodes[static_cast<std::size_t>(index)];
    node.leaf = level == m_depth;
    if (node.leaf) {
        ++m_leafCount;
    } else {
        node.nextReducible = m_reducible[static_cast<std::size_t>(level)];
        m_reducible[static_cast<std::size_t>(level)] = index;
    }
    return index;
}

void TColorQuantizer::freeNode(std::int32_t node)
{
    m_freeNodes.push_back(node);
}

void TColorQuantizer::rebuildShortcuts()
{
    std::fill(m_shortcuts.begin(), m_shortcuts.end(), TOctreeNode::kNoNode);
    if (m_root != TOctreeNode::kNoNode)
        fillShortcuts(m_root, 0, 0, 0, 0);
    m_shortcutsStale = false;
}

// The *Bits arguments are the node's path so far: the top `level` bits of each channel.
void TColorQuantizer::fillShortcuts(
    std::int32_t index, int level, unsigned redBits, unsigned greenBits, unsigned blueBits)
{
    const TOctreeNode& node = m_nodes[static_cast<std::size_t>(index)];
    if (node.leaf || level == kShortcutLevel) {
        // A leaf above the shortcut level stands for every path below it.
        const int below = kShortcutLevel - level;
        const unsigned span = 1u << below;
        for (unsigned red = 0; red < span; ++red)
            for (unsigned green = 0; green < span; ++green)
                for (unsigned blue = 0; blue < span; ++blue)
                    m_shortcuts[static_cast<std::size_t>(shortcutKey(
                        (redBits << below) | red, (greenBits << below) | green, (blueBits << below) | blue))]
                        = index;
        return;
    }
    for (unsigned child = 0; child < 8; ++child) {
        const std::int32_t next = node.children[child];
        if (next != TOctreeNode::kNoNode)
            fillShortcuts(next, level + 1, redBits * 2 + (child >> 2), greenBits * 2 + ((child >> 1) & 1),
                blueBits * 2 + (child & 1));
    }
}

void TColorQuantizer::addColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    if (m_shortcutsStale)
        rebuildShortcuts();
    const std::int32_t shortcut = m_shortcuts[static_cast<std::size_t>(
        shortcutKey(red >> kShortcutUnusedBits, green >> kShortcutUnusedBits, blue >> kShortcutUnusedBits))];
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
        m_root = createNode(0);
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
            next = createNode(level + 1); // may move the pool: index the parent afresh
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
    // Reduced at the shortcut level, the node stays where the shortcuts name it, now a leaf; above that
    // level, it takes the place of children that they name.
    if (level < kShortcutLevel)
        m_shortcutsStale = true;

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
