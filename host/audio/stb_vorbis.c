/* The Ogg Vorbis decoder from Debian's libstb-dev, compiled once here. Only
   in-memory decoding is used, so the stdio entry points stay out.
   NOTE: some error paths of this decoder leave blocks allocated; its heap is
   redirected to vorbis_memory.cpp, which gives them back after each decode. */
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API

/* The C headers the decoder includes, first, so that the renaming below
   touches only the decoder's own calls. */
#include <stdlib.h>
#include <string.h>
#include <assert.h>
#include <math.h>
#include <limits.h>
#if defined(_MSC_VER) || defined(__MINGW32__)
#include <malloc.h>
#endif
#if defined(__linux__) || defined(__linux) || defined(__sun__) || defined(__EMSCRIPTEN__) || defined(__NEWLIB__)
#include <alloca.h>
#endif

#include "host/audio/vorbis_memory.h"
#define malloc(size) vorbisMalloc(size)
#define free(block) vorbisFree(block)

#include <stb_vorbis.h>
