#pragma once
// Internal to the codec stream's files: the decoder library's objects behind
// a CodecStream, and the steps its files share.
#include <cstdint>

#include "formats/FfmpegLibraries.h"

#include "formats/CodecStream.h"

namespace typix {

struct CodecStream::Impl {
    CodecWaveFormat format;
    const AVCodec* codec = nullptr;
    AVCodecContext* ctx = nullptr;
    AVCodecParserContext* parser = nullptr;
    AVCodecParserContext* scanParser = nullptr;
    AVCodecContext* scanCtx = nullptr;  // the scan parser's, kept apart from the decoder
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    AVCodecID id = AV_CODEC_ID_NONE;
    int channels = 0;
    int64_t blockAlign = 0;
    int64_t packetBytes = 0;
    int64_t rate = 0;
    int64_t byteRate = 0;
    bool drained = false;   // the end was signalled to the decoder
    bool finished = false;  // the decoder has given its last frame

    ~Impl() {
        if (parser) ffmpeg().av_parser_close(parser);
        if (scanParser) ffmpeg().av_parser_close(scanParser);
        ffmpeg().avcodec_free_context(&scanCtx);
        ffmpeg().av_packet_free(&packet);
        ffmpeg().av_frame_free(&frame);
        ffmpeg().avcodec_free_context(&ctx);
    }
};

// One step of `parser` over `bytes` at `data` (null and 0 flush it): returns
// the bytes it took and sets `packet`/`packetSize` when a packet is complete.
int codecParse(AVCodecParserContext* parser, AVCodecContext* ctx, const uint8_t* data, int64_t bytes,
               uint8_t*& packet, int& packetSize);

}  // namespace typix
