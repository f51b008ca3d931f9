// Reading PCM wave files (ten minutes of 44100 Hz stereo, 16-bit and 24-bit)
// into internal samples: openWaveFile and the PCM source in 8192-frame blocks,
// against FFmpeg's wave demuxer and PCM decoder delivering the same samples
// and scaling them to the same internal values.  Both sides read the same file
// from the page cache in the same run; the rate is frames per CPU second.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "formats/OpenWaveFile.h"
#include "formats/WaveFormat.h"

namespace typix::bench {
namespace {

constexpr int32_t kRate = 44100;
constexpr int kChannels = 2;
constexpr int32_t kFrames = kRate * 600;
constexpr int32_t kBlock = 8192;

// The file for a sample width (16 or packed 24 bits), written once per run:
// a deterministic pseudo-random signal, so nothing compresses or repeats.
const std::string& file(int bits) {
    static std::map<int, std::string> made;
    std::string& path = made[bits];
    if (!path.empty()) return path;
    path = (std::filesystem::temp_directory_path() / ("typix-wave-bench-" + std::to_string(bits) + ".wav")).string();
    const int bytes = bits / 8;
    const auto header = makePcmWaveHeader(kChannels, kRate, bytes, kFrames);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    uint32_t seed = 12345;
    std::vector<char> block(static_cast<size_t>(kBlock) * kChannels * bytes);
    for (int32_t done = 0; done < kFrames; done += kBlock) {
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((seed = seed * 1664525 + 1013904223) >> 24);
        const int32_t n = std::min(kBlock, kFrames - done);
        out.write(block.data(), static_cast<std::streamsize>(n) * kChannels * bytes);
    }
    return path;
}

void ours(benchmark::State& state, int bits) {
    const std::string& path = file(bits);
    std::vector<int32_t> out(static_cast<size_t>(kBlock) * kChannels);
    for (auto _ : state) {
        LSoundSource src = openWaveFile(path);
        for (int32_t done = 0; done < src->getLength(); done += kBlock) src.read(out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kFrames});
}

// One pass of FFmpeg over the file: demux, decode, scale to internal samples
// (16-bit: v << 4; 32-bit: (v + 2048) >> 12, the same values as ours).
bool ffmpegPass(const std::string& path, std::vector<int32_t>& out) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return false;
    avformat_find_stream_info(format, nullptr);
    const AVCodecParameters* par = format->streams[0]->codecpar;
    AVCodecContext* codec = avcodec_alloc_context3(avcodec_find_decoder(par->codec_id));
    avcodec_parameters_to_context(codec, par);
    avcodec_open2(codec, nullptr, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    while (av_read_frame(format, packet) >= 0) {
        avcodec_send_packet(codec, packet);
        av_packet_unref(packet);
        while (avcodec_receive_frame(codec, frame) >= 0) {
            const size_t n = static_cast<size_t>(frame->nb_samples) * kChannels;
            if (out.size() < n) out.resize(n);
            if (frame->format == AV_SAMPLE_FMT_S16) {
                const auto* in = reinterpret_cast<const int16_t*>(frame->data[0]);
                for (size_t i = 0; i < n; ++i) out[i] = in[i] * 16;
            } else {
                const auto* in = reinterpret_cast<const int32_t*>(frame->data[0]);
                for (size_t i = 0; i < n; ++i) out[i] = static_cast<int32_t>((int64_t{in[i]} + 2048) >> 12);
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return true;
}

void ffmpeg(benchmark::State& state, int bits) {
    const std::string& path = file(bits);
    std::vector<int32_t> out;
    for (auto _ : state) {
        if (!ffmpegPass(path, out)) {
            state.SkipWithError("FFmpeg could not open the file");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kFrames});
}

BENCHMARK_CAPTURE(ours, 16, 16)->Name("pcm_read_16bit/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ffmpeg, 16, 16)->Name("pcm_read_16bit/ffmpeg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, 24, 24)->Name("pcm_read_24bit/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ffmpeg, 24, 24)->Name("pcm_read_24bit/ffmpeg")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace typix::bench
