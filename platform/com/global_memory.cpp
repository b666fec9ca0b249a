#include "platform/com/global_memory.hpp"

#include <atomic>
#include <cstdlib>
#include <new>

namespace tavrin::com {

struct GlobalBlock {
    std::size_t size;
    std::atomic<int> locks{0};
    unsigned char* data;
};

HGLOBAL GlobalAlloc(unsigned flags, std::size_t size) {
    // Large zeroed blocks come as fresh pages from the system, which are zero already.
    const std::size_t bytes = size ? size : 1;
    auto* data = static_cast<unsigned char*>(flags & GMEM_ZEROINIT ? std::calloc(1, bytes)
                                                                   : std::malloc(bytes));
    if (!data) return nullptr;
    auto* block = new (std::nothrow) GlobalBlock{size, {}, data};
    if (!block) std::free(data);
    return block;
}

void* GlobalLock(HGLOBAL block) {
    if (!block) return nullptr;
    ++block->locks;
    return block->data;
}

bool GlobalUnlock(HGLOBAL block) {
    if (!block || block->locks == 0) return false;
    return --block->locks > 0;
}

std::size_t GlobalSize(HGLOBAL block) {
    return block ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    if (block) {
        std::free(block->data);
        delete block;
    }
    return nullptr;
}

}  // namespace tavrin::com
