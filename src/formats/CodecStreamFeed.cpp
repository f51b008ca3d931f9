// The feeding side of the codec stream: packets out of the caller's input
// (whole blocks, or what the parser finds), frames out of the decoder, and
// the audio kept for the next call when the caller's buffer is full.
#include <algorithm>
#include <cstring>

#include "formats/CodecStream.h"
#include "formats/CodecStreamImpl.h"

namespace typix {

namespace {

// Decode errors in a row after which a conversion gives up on its input.
constexpr int kMaxErrorsInRow = 64;
// The parser takes at most this much in one step (its size is an int).
constexpr int64_t kParseStep = 1 << 20;

bool sendBytes(AVCodecContext* ctx, AVPacket* packet, const uint8_t* data, int64_t size) {
    ffmpeg().av_packet_unref(packet);
    packet->data = const_cast<uint8_t*>(data);
    packet->size = static_cast<int>(size);
    const int ret = ffmpeg().avcodec_send_packet(ctx, packet);
    packet->data = nullptr;
    packet->size = 0;
    return ret != AVERROR(EAGAIN);
}

}  // namespace

int codecParse(AVCodecParserContext* parser, AVCodecContext* ctx, const uint8_t* data, int64_t bytes,
               uint8_t*& packet, int& packetSize) {
    packet = nullptr;
    packetSize = 0;
    const int n = ffmpeg().av_parser_parse2(parser, ctx, &packet, &packetSize, bytes > 0 ? data : nullptr,
                                   static_cast<int>(std::min(bytes, kParseStep)), AV_NOPTS_VALUE,
                                   AV_NOPTS_VALUE, 0);
    return std::max(n, 0);
}

void CodecStream::scanPackets(const uint8_t* data, int64_t bytes, bool end, std::vector<CodecPacket>& packets) {
    Impl& s = *impl_;
    if (!s.parser) return;
    if (!s.scanCtx) s.scanCtx = ffmpeg().avcodec_alloc_context3(s.codec);
    if (!s.scanParser) s.scanParser = ffmpeg().av_parser_init(s.id);
    if (!s.scanParser || !s.scanCtx) return;
    int64_t used = 0;
    for (;;) {
        const int64_t remaining = bytes - used;
        if (remaining == 0 && !end) return;
        uint8_t* out = nullptr;
        int size = 0;
        const int n = codecParse(s.scanParser, s.scanCtx, data + used, remaining, out, size);
        used += n;
        if (size > 0) packets.push_back({size, std::max(s.scanParser->duration, 0)});
        if ((remaining == 0 && size == 0) || (remaining > 0 && n <= 0)) return;
    }
}

CodecConvertResult CodecStream::convert(const uint8_t* input, int64_t inputBytes, int16_t* output,
                                        int64_t outputSamples, CodecConvert flag) {
    CodecConvertResult result;
    int64_t written = 0;
    const int64_t keptLeft = static_cast<int64_t>(kept_.size() - keptTaken_);
    if (keptLeft > 0) {
        written = std::min(keptLeft, outputSamples);
        std::memcpy(output, kept_.data() + keptTaken_, static_cast<size_t>(written) * 2);
        keptTaken_ += static_cast<size_t>(written);
    }
    int64_t used = 0;
    int errors = 0;
    while (written < outputSamples && errors < kMaxErrorsInRow) {
        const int64_t before = written;
        if (receiveInto(output, outputSamples, written)) {
            errors = written > before ? 0 : errors + 1;
            continue;
        }
        if (impl_->finished || !nextPacket(input, inputBytes, flag, used)) break;
    }
    result.inputUsed = used;
    result.outputSamples = written;
    return result;
}

// One frame from the decoder into the output (and what does not fit into the
// kept audio).  False when the decoder wants input or has finished.
bool CodecStream::receiveInto(int16_t* output, int64_t outputSamples, int64_t& written) {
    Impl& s = *impl_;
    if (s.finished) return false;
    const int ret = ffmpeg().avcodec_receive_frame(s.ctx, s.frame);
    if (ret == AVERROR(EAGAIN)) return false;
    if (ret == AVERROR_EOF) {
        s.finished = true;
        return false;
    }
    if (ret < 0) return true;  // a bad packet: skipped, as the decoder's own tools do
    keepFrame(output, outputSamples, written);
    ffmpeg().av_frame_unref(s.frame);
    return true;
}

void CodecStream::keepFrame(int16_t* output, int64_t outputSamples, int64_t& written) {
    const AVFrame* f = impl_->frame;
    const int channels = f->ch_layout.nb_channels;
    if (channels != impl_->channels || f->nb_samples <= 0) return;
    const int64_t samples = static_cast<int64_t>(f->nb_samples) * channels;
    if (written + samples <= outputSamples) {
        if (codecInterleaveS16(f->format, f->extended_data, channels, f->nb_samples, output + written))
            written += samples;
        return;
    }
    kept_.resize(static_cast<size_t>(samples));
    if (!codecInterleaveS16(f->format, f->extended_data, channels, f->nb_samples, kept_.data())) {
        kept_.clear();
        return;
    }
    const int64_t part = outputSamples - written;
    std::memcpy(output + written, kept_.data(), static_cast<size_t>(part) * 2);
    keptTaken_ = static_cast<size_t>(part);
    written = outputSamples;
}

// Hands the decoder its next packet from the input, or the end once the
// input is used up under kEnd.  False when it may take nothing now.
bool CodecStream::nextPacket(const uint8_t* input, int64_t inputBytes, CodecConvert flag, int64_t& used) {
    Impl& s = *impl_;
    if (s.drained) return false;
    const bool end = flag == CodecConvert::kEnd;
    const int sent = s.parser ? sendParsedPacket(input, inputBytes, end, used) : sendBlockPacket(input, inputBytes, end, used);
    if (sent >= 0) return sent > 0;
    s.drained = true;
    return sendBytes(s.ctx, s.packet, nullptr, 0);
}

// Both return 1 when a packet went to the decoder, 0 when the input holds no
// packet yet, -1 when the input is used up and the decoder should drain.
int CodecStream::sendParsedPacket(const uint8_t* input, int64_t inputBytes, bool end, int64_t& used) {
    Impl& s = *impl_;
    for (;;) {
        const int64_t remaining = inputBytes - used;
        if (remaining == 0 && !end) return 0;
        uint8_t* data = nullptr;
        int size = 0;
        const int n = codecParse(s.parser, s.ctx, input + used, remaining, data, size);
        used += n;
        if (size > 0) return sendBytes(s.ctx, s.packet, data, size) ? 1 : 0;
        if (remaining == 0 || n == 0) break;
    }
    return end ? -1 : 0;
}

int CodecStream::sendBlockPacket(const uint8_t* input, int64_t inputBytes, bool end, int64_t& used) {
    Impl& s = *impl_;
    const int64_t remaining = inputBytes - used;
    int64_t size = 0;
    if (remaining >= s.packetBytes) size = s.packetBytes;
    else if (s.blockAlign > 0 && remaining >= s.blockAlign) size = remaining / s.blockAlign * s.blockAlign;
    else if (remaining > 0 && (s.blockAlign == 0 || end)) size = remaining;  // the last, partial block
    if (size == 0) return end ? -1 : 0;
    if (!sendBytes(s.ctx, s.packet, input + used, size)) return 0;
    used += size;
    return 1;
}

}  // namespace typix
