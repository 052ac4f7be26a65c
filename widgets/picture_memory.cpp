// The kept pixel blocks: the smallest that fits is given out, however much larger. A
// catalogue's photos differ in size, and a block given only to pictures of about its own
// size was seldom given at all; a block lent to a smaller picture stays as large as it was, within the limits. The
// smallest are dropped first when more would be kept than the limits allow, as larger
// blocks fit more of the pictures to come.
#include "widgets/picture_memory_p.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace picture_memory {

namespace {

struct Block {
    void *data;
    qsizetype bytes;
};

struct Kept {
    std::mutex lock;
    std::vector<Block> blocks; // by size, smallest first
    Limits limits;

    qsizetype total() const
    {
        qsizetype n = 0;
        for (const Block &b : blocks)
            n += b.bytes;
        return n;
    }
    // Drops the smallest blocks until the limits hold; the lock is held.
    void trim()
    {
        while (!blocks.empty() && (int(blocks.size()) > limits.blocks || total() > limits.bytes)) {
            std::free(blocks.front().data);
            blocks.erase(blocks.begin());
        }
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
            const auto at = std::lower_bound(k.blocks.begin(), k.blocks.end(), block->bytes,
                                             [](const Block &b, qsizetype n) { return b.bytes < n; });
            k.blocks.insert(at, *block);
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
    auto *block = new Block{nullptr, bytes};
    {
        Kept &k = kept();
        const std::lock_guard guard(k.lock);
        const auto fits = std::lower_bound(k.blocks.begin(), k.blocks.end(), bytes,
                                           [](const Block &b, qsizetype n) { return b.bytes < n; });
        if (fits != k.blocks.end()) {
            *block = *fits;
            k.blocks.erase(fits);
        }
    }
    if (!block->data)
        block->data = std::malloc(size_t(bytes));
    if (!block->data) {
        delete block;
        return QImage();
    }
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
