#include "platform/com/global_memory.hpp"

#include <atomic>
#include <cstring>
#include <new>

namespace tavrin::com {

struct GlobalBlock {
    std::size_t size;
    std::atomic<int> locks{0};
    unsigned char* data;
};

HGLOBAL GlobalAlloc(unsigned flags, std::size_t size) {
    auto* data = new (std::nothrow) unsigned char[size ? size : 1];
    if (!data) return nullptr;
    if (flags & GMEM_ZEROINIT) std::memset(data, 0, size);
    auto* block = new (std::nothrow) GlobalBlock{size, {}, data};
    if (!block) delete[] data;
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
        delete[] block->data;
        delete block;
    }
    return nullptr;
}

}  // namespace tavrin::com
