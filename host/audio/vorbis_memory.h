/* The Vorbis decoder's heap: every block it takes is recorded per thread, so
   that what its error paths forget is given back when a decode ends, and so
   that a hostile stream cannot claim more than vorbisMemoryLimit bytes. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A block of size bytes, or null when the limit would be passed. */
void* vorbisMalloc(size_t size);
/* Gives back a block from vorbisMalloc; null is ignored. */
void vorbisFree(void* block);

#ifdef __cplusplus
}

constexpr size_t vorbisMemoryLimit = size_t(64) << 20;

// Gives back every block of this thread still taken.
void vorbisReleaseAll();
#endif
