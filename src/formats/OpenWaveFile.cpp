#include "formats/OpenWaveFile.h"

#include <cerrno>
#include <cstring>

#include "formats/LSNKPCMFile.h"
#include "formats/LSRCACMWave.h"
#include "formats/LSRCPCMFile.h"

namespace typix {
namespace {

template <class T>
LSoundSource makePcmSource(LReadFile file, const WaveInfo& info) {
    return makeSource<LSRCPCMFile<T>>(std::move(file), static_cast<int32_t>(info.sampleRate),
                                      info.channels, info.dataBytes);
}

LSoundSource makePcmSourceFor(LReadFile file, const WaveInfo& info) {
    // The block align in the file is not consulted: the bits decide.
    if (info.bitsPerSample <= 8) return makePcmSource<LSFU8>(std::move(file), info);
    if (info.bitsPerSample <= 16) return makePcmSource<LSF16>(std::move(file), info);
    if (info.bitsPerSample <= 24) return makePcmSource<LSF24Packed>(std::move(file), info);
    return makePcmSource<LSF32>(std::move(file), info);
}

}  // namespace

LSoundSource openWaveFile(const std::string& path) {
    WaveInfo info;
    return openWaveFile(path, info);
}

LSoundSource openWaveFile(const std::string& path, WaveInfo& info) {
    info = WaveInfo{};
    LReadFile file;
    if (!file.open(path)) {
        info.error = std::string("cannot open: ") + std::strerror(errno);
        return {};
    }
    if (!readWaveHeader(file, info)) return {};
    if (info.isPcm()) return makePcmSourceFor(std::move(file), info);
    return makeCodecWaveSource(std::move(file), info.format, info.dataBytes);
}

LSoundSink createPCMWaveFile(const std::string& path, int32_t sampleRate, int channels,
                             int bitsPerSample, int32_t framesToKeep, HeaderSync sync) {
    if (bitsPerSample < 1) return {};
    LSNKPCMFileBase* sink;
    if (bitsPerSample <= 8)
        sink = new LSNKPCMFile<LSFU8>(path, sampleRate, channels, framesToKeep, sync);
    else if (bitsPerSample <= 16)
        sink = new LSNKPCMFile<LSF16>(path, sampleRate, channels, framesToKeep, sync);
    else
        sink = new LSNKPCMFile<LSF32>(path, sampleRate, channels, framesToKeep, sync);
    return LSoundSink(sink);
}

}  // namespace typix
