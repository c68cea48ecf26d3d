#include "frontend/host/code_cache.h"

#include <sys/mman.h>

namespace varn {

u8* work_block        = nullptr;
u8* work_block_second = nullptr;

bool code_cache_allocate() {
    if (work_block != nullptr) return true;
    void* block =
        mmap(nullptr, kCodeCacheBytes, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return false;
    work_block        = static_cast<u8*>(block);
    work_block_second = work_block + kCodeCacheHalf;
    return true;
}

void code_cache_release() {
    if (work_block == nullptr) return;
    munmap(work_block, kCodeCacheBytes);
    work_block        = nullptr;
    work_block_second = nullptr;
}

bool code_cache_protect_write() {
    return work_block != nullptr &&
           mprotect(work_block, kCodeCacheBytes, PROT_READ | PROT_WRITE) == 0;
}

bool code_cache_protect_execute() {
    return work_block != nullptr &&
           mprotect(work_block, kCodeCacheBytes, PROT_READ | PROT_EXEC) == 0;
}

}  // namespace varn
