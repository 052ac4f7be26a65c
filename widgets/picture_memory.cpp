// The kept pixel blocks. A picture takes the smallest kept block that holds it, else the
// largest there is, and the block is made its size: a block is a mapping of its own,
// which the system makes smaller or larger in place, the pages kept, so only a larger picture's extra part is fresh
// (the program fixes the C library's threshold for such mappings at kSmallestKept, shell/startup.cpp). A block lent to
// a smaller picture never holds more than that picture needs, so what the photos keep stays what their pixels take.
// Blocks are dropped oldest first when more would be kept than the limits allow: what is kept is then what the last few
// pictures gone left, and memory follows the day's last clicks instead of creeping towards its largest photos.
#include "widgets/picture_memory_p.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace picture_memory {

namespace {

struct Block {
    void *data;
    qsizetype bytes;
};

struct Kept {
    std::mutex lock;
    std::vector<Block> blocks; // the oldest first
    Limits limits;

    qsizetype total() const
    {
        qsizetype n = 0;
        for (const Block &b : blocks)
            n += b.bytes;
        return n;
    }
    // Drops the oldest blocks until the limits hold; the lock is held.
    void trim()
    {
        while (!blocks.empty() && (int(blocks.size()) > limits.blocks || total() > limits.bytes)) {
            std::free(blocks.front().data);
            blocks.erase(blocks.begin());
        }
    }
    // The block a picture of `bytes` takes, out of the kept ones: the smallest that holds
    // it, else the largest; none when nothing is kept. The lock is held.
    std::optional<Block> take(qsizetype bytes)
    {
        auto serves = [bytes](const Block &a, const Block &b) { // whether `a` serves better than `b`
            const bool aHolds = a.bytes >= bytes, bHolds = b.bytes >= bytes;
            if (aHolds != bHolds)
                return aHolds;
            return aHolds ? a.bytes < b.bytes : a.bytes > b.bytes;
        };
        auto best = blocks.end();
        for (auto it = blocks.begin(); it != blocks.end(); ++it)
            if (best == blocks.end() || serves(*it, *best))
                best = it;
        if (best == blocks.end())
            return std::nullopt;
        const Block b = *best;
        blocks.erase(best);
        return b;
    }
};

Kept &kept()
{
    // Never destroyed: an image may go after the static objects are gone.
    static Kept *k = new Kept;
    return *k;
}

// The cleanup QImage calls when the last copy of an image goes: `info` is the Block.
void giveBack(void *info)
{
    auto *block = static_cast<Block *>(info);
    Kept &k = kept();
    {
        const std::lock_guard guard(k.lock);
        if (block->bytes <= k.limits.bytes && k.limits.blocks > 0) {
            k.blocks.push_back(*block);
            k.trim();
            delete block;
            return;
        }
    }
    std::free(block->data);
    delete block;
}

} // namespace

QImage newImage(QSize size, QImage::Format format)
{
    const QImage probe(1, 1, format);
    const qsizetype depth = probe.depth();
    if (size.isEmpty() || depth <= 0)
        return QImage(size, format);
    // QImage's own row length: 32-bit aligned.
    const qsizetype bytesPerLine = ((qsizetype(size.width()) * depth + 31) / 32) * 4;
    const qsizetype bytes = bytesPerLine * size.height();
    if (bytes / bytesPerLine != size.height() || bytes < kSmallestKept)
        return QImage(size, format);
    std::optional<Block> reused;
    {
        Kept &k = kept();
        const std::lock_guard guard(k.lock);
        reused = k.take(bytes);
    }
    void *data = nullptr;
    if (reused) {
        data = std::realloc(reused->data, size_t(bytes));
        if (!data)
            std::free(reused->data);
    }
    if (!data)
        data = std::malloc(size_t(bytes));
    if (!data)
        return QImage();
    auto *block = new Block{data, bytes};
    return QImage(static_cast<uchar *>(block->data), size.width(), size.height(), bytesPerLine, format, giveBack,
                  block);
}

int keptBlocks()
{
    Kept &k = kept();
    const std::lock_guard guard(k.lock);
    return int(k.blocks.size());
}

qsizetype keptBytes()
{
    Kept &k = kept();
    const std::lock_guard guard(k.lock);
    return k.total();
}

Limits setLimits(const Limits &limits)
{
    Kept &k = kept();
    const std::lock_guard guard(k.lock);
    const Limits before = k.limits;
    k.limits = limits;
    k.trim();
    return before;
}

} // namespace picture_memory
