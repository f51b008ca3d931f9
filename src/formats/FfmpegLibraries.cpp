#include "formats/FfmpegLibraries.h"

#include <dlfcn.h>

#include <string>

namespace typix {
namespace {

#define TYPIX_STRING(x) #x
#define TYPIX_SONAME(library, major) "lib" library ".so." TYPIX_STRING(major)

// The major versions are those of the headers built against, so a library of
// another, incompatible major version is never taken.
struct Libraries {
    void* avutil = dlopen(TYPIX_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR), RTLD_NOW | RTLD_LOCAL);
    void* swresample = dlopen(TYPIX_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR), RTLD_NOW | RTLD_LOCAL);
    void* avcodec = dlopen(TYPIX_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR), RTLD_NOW | RTLD_LOCAL);
    void* avformat = dlopen(TYPIX_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR), RTLD_NOW | RTLD_LOCAL);
};

struct Loaded {
    FfmpegFunctions functions;
    bool complete = true;

    Loaded() {
        const Libraries libraries;
#define TYPIX_FFMPEG_LOAD(library, name)                                                     \
    functions.name = libraries.library                                                        \
                         ? reinterpret_cast<decltype(&::name)>(dlsym(libraries.library, #name)) \
                         : nullptr;                                                           \
    complete = complete && functions.name != nullptr;
        TYPIX_FFMPEG_FUNCTIONS(TYPIX_FFMPEG_LOAD)
#undef TYPIX_FFMPEG_LOAD
        // The libraries stay loaded for the rest of the run: decoders made
        // from them may live until the program ends.
    }
};

const Loaded& loaded() {
    static const Loaded once;
    return once;
}

}  // namespace

bool ffmpegAvailable() { return loaded().complete; }

const FfmpegFunctions& ffmpeg() { return loaded().functions; }

}  // namespace typix
