// Fuzzer for the MP3 decoder: tags and frame headers (the frames themselves
// are decoded by the system codec, which exists only on Windows).
#include "host/audio/decoders.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzOne<decodeMp3>(data, size);
}
