// Opens arbitrary bytes as a wave file and reads every frame, with a seek to
// the middle and one before the start.  The bytes live in a memory file so
// that the real open path (by name, through the file wrappers) is exercised.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/OpenWaveFile.h"

namespace {

// The frames worth reading: what the source says, but never much more than
// the bytes could hold (a size field may claim 4 GB of a 100-byte file).
int64_t framesToRead(typix::LSoundSource& src, size_t bytes) {
    const int64_t cap = 64 * static_cast<int64_t>(bytes) + 16384;
    return std::min<int64_t>(src->getLength(), cap);
}

void readAll(typix::LSoundSource& src, size_t bytes) {
    constexpr int32_t kBlock = 4096;
    std::vector<int32_t> buffer(static_cast<size_t>(kBlock) * src->channels());
    const int64_t frames = framesToRead(src, bytes);
    for (int64_t done = 0; done < frames + kBlock; done += kBlock) src.read(buffer.data(), kBlock);
    src->setPosition(static_cast<int32_t>(frames / 2));
    src.read(buffer.data(), kBlock);
    src->setPosition(-100);
    src.read(buffer.data(), kBlock);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = ::memfd_create("wave", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size)) {
        typix::WaveInfo info;
        typix::LSoundSource src = typix::openWaveFile("/proc/self/fd/" + std::to_string(fd), info);
        if (src) readAll(src, size);
    }
    ::close(fd);
    return 0;
}
