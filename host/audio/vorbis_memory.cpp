// The Vorbis decoder's recorded heap: a list of live blocks per thread.
#include "host/audio/vorbis_memory.h"

#include <cstdlib>

namespace {

struct alignas(16) Block {
    Block* previous;
    Block* next;
    size_t size;
};

thread_local Block* liveBlocks = nullptr;
thread_local size_t liveBytes = 0;

}  // namespace

extern "C" void* vorbisMalloc(size_t size) {
    if (size > vorbisMemoryLimit - liveBytes) return nullptr;
    // NOTE: zeroed, because some error paths of the decoder free pointers
    // in tables they had not finished filling.
    Block* block = static_cast<Block*>(std::calloc(1, sizeof(Block) + size));
    if (!block) return nullptr;
    block->previous = nullptr;
    block->next = liveBlocks;
    block->size = size;
    if (liveBlocks) liveBlocks->previous = block;
    liveBlocks = block;
    liveBytes += size;
    return block + 1;
}

extern "C" void vorbisFree(void* pointer) {
    if (!pointer) return;
    Block* block = static_cast<Block*>(pointer) - 1;
    if (block->previous) block->previous->next = block->next;
    else liveBlocks = block->next;
    if (block->next) block->next->previous = block->previous;
    liveBytes -= block->size;
    std::free(block);
}

void vorbisReleaseAll() {
    while (liveBlocks) vorbisFree(liveBlocks + 1);
}
