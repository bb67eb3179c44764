/* The Ogg Vorbis decoder from Debian's libstb-dev, compiled once here. Only
   in-memory decoding is used, so the stdio entry points stay out. */
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>
