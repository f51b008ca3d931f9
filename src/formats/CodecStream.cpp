#include "formats/CodecStream.h"

#include <algorithm>
#include <cstring>

#include "formats/CodecStreamImpl.h"

#include "formats/FfmpegLibraries.h"

namespace typix {

static_assert(CodecStream::kInputPadding >= AV_INPUT_BUFFER_PADDING_SIZE);

namespace {

// Packets of tiny-block codecs (A-law has one byte per sample) are grouped up
// to this size so that the decoder is not called once per sample.
constexpr int64_t kGroupedPacketBytes = 4096;
// Blocks of this size or more are codec blocks that go one to a packet, as
// the decoders that return one block per call expect.
constexpr int64_t kRealBlockBytes = 8;
// Decoders with running state (GSM, G.726...) settle to the same output after
// this much audio has gone through them; a seek starts that far earlier.
// Speech settles both within about 3300 frames.  GSM's long-term predictor
// can keep a difference alive on a steady tone, where it stays small.
constexpr int64_t kRunInFrames = 8192;
// MPEG audio frames borrow bits from up to two frames before them and overlap
// their neighbours in the filter bank; starting four frames early is enough.
constexpr int64_t kParsedRunInPackets = 4;

uint16_t readLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t readLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The RIFF tag table names one codec per tag; plain and float PCM need the
// sample size as well, as the decoder library's own wave reader does.
AVCodecID codecIdFor(uint16_t tag, uint16_t bits) {
    if (tag == 1) {
        switch (bits) {
        case 8: return AV_CODEC_ID_PCM_U8;
        case 24: return AV_CODEC_ID_PCM_S24LE;
        case 32: return AV_CODEC_ID_PCM_S32LE;
        default: break;
        }
    }
    if (tag == 3 && bits == 64) return AV_CODEC_ID_PCM_F64LE;
    const AVCodecTag* const tables[] = {ffmpeg().avformat_get_riff_audio_tags(), nullptr};
    return ffmpeg().av_codec_get_id(tables, tag);
}

bool needsParser(AVCodecID id) {
    return id == AV_CODEC_ID_MP1 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP3 ||
           id == AV_CODEC_ID_AC3 || id == AV_CODEC_ID_EAC3 || id == AV_CODEC_ID_DTS;
}

// Codecs whose blocks decode on their own, without state from earlier blocks.
bool blocksIndependent(AVCodecID id) {
    const bool pcm = id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT;
    return pcm || id == AV_CODEC_ID_ADPCM_IMA_WAV || id == AV_CODEC_ID_ADPCM_MS;
}

}  // namespace

bool CodecWaveFormat::parse(const std::vector<uint8_t>& chunk) {
    if (chunk.size() < 14) return false;
    const uint8_t* p = chunk.data();
    tag = readLe16(p);
    channels = readLe16(p + 2);
    rate = readLe32(p + 4);
    byteRate = readLe32(p + 8);
    blockAlign = readLe16(p + 12);
    bitsPerSample = chunk.size() >= 16 ? readLe16(p + 14) : 0;
    extra.clear();
    if (chunk.size() >= 18) {
        const size_t declared = readLe16(p + 16);
        const size_t size = std::min(declared, chunk.size() - 18);
        extra.assign(p + 18, p + 18 + size);
    }
    // An extensible format names its real tag in the first bytes of the
    // sub-format identifier, after valid bits (2) and the channel mask (4).
    if (tag == 0xFFFE && extra.size() >= 8) tag = readLe16(extra.data() + 6);
    return true;
}

std::string CodecStream::decoderNameFor(uint16_t tag, uint16_t bits) {
    if (!ffmpegAvailable()) return "";
    const AVCodec* codec = ffmpeg().avcodec_find_decoder(codecIdFor(tag, bits));
    return codec ? codec->name : "";
}

static bool configureContext(AVCodecContext* ctx, const CodecWaveFormat& f, AVCodecID id) {
    ctx->sample_rate = static_cast<int>(f.rate);
    ffmpeg().av_channel_layout_default(&ctx->ch_layout, f.channels);
    ctx->block_align = f.blockAlign;
    ctx->bit_rate = static_cast<int64_t>(f.byteRate) * 8;
    ctx->bits_per_coded_sample = f.bitsPerSample;
    // G.726 in a wave file tells its code size only through the bit rate.
    if (id == AV_CODEC_ID_ADPCM_G726 && f.rate > 0) {
        const int64_t bits = ctx->bit_rate / f.rate;
        if (bits >= 2 && bits <= 5) ctx->bits_per_coded_sample = static_cast<int>(bits);
    }
    if (!f.extra.empty()) {
        ctx->extradata = static_cast<uint8_t*>(ffmpeg().av_mallocz(f.extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!ctx->extradata) return false;
        std::memcpy(ctx->extradata, f.extra.data(), f.extra.size());
        ctx->extradata_size = static_cast<int>(f.extra.size());
    }
    return true;
}

// A decoder context set up for the format and opened; null when refused.
static AVCodecContext* codecOpenContext(const AVCodec* codec, const CodecWaveFormat& f, AVCodecID id) {
    AVCodecContext* ctx = ffmpeg().avcodec_alloc_context3(codec);
    if (!ctx) return nullptr;
    if (!configureContext(ctx, f, id) || ffmpeg().avcodec_open2(ctx, codec, nullptr) < 0 ||
        ctx->ch_layout.nb_channels != f.channels) {
        ffmpeg().avcodec_free_context(&ctx);
    }
    return ctx;
}

static void quietDecoderLog() {
    // The program keeps no log; a damaged packet is skipped silently.
    static const bool quiet = [] {
        ffmpeg().av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
}

std::unique_ptr<CodecStream> CodecStream::open(const CodecWaveFormat& f) {
    if (f.channels == 0 || f.rate == 0 || !ffmpegAvailable()) return nullptr;
    quietDecoderLog();
    const AVCodecID id = codecIdFor(f.tag, f.bitsPerSample);
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : ffmpeg().avcodec_find_decoder(id);
    if (!codec) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->format = f;
    impl->codec = codec;
    impl->id = id;
    impl->ctx = codecOpenContext(codec, f, id);
    impl->packet = ffmpeg().av_packet_alloc();
    impl->frame = ffmpeg().av_frame_alloc();
    if (!impl->ctx || !impl->packet || !impl->frame) return nullptr;
    if (needsParser(id)) {
        impl->parser = ffmpeg().av_parser_init(id);
        if (!impl->parser) return nullptr;
    }
    impl->channels = f.channels;
    impl->blockAlign = f.blockAlign;
    impl->rate = f.rate;
    impl->byteRate = f.byteRate;
    std::unique_ptr<CodecStream> stream(new CodecStream(std::move(impl)));
    stream->planPackets();
    return stream;
}

// Packet size, frames per block and the seek run-in for the opened codec.
void CodecStream::planPackets() {
    Impl& s = *impl_;
    if (s.blockAlign >= kRealBlockBytes) s.packetBytes = s.blockAlign;
    else if (s.blockAlign > 0) s.packetBytes = s.blockAlign * (kGroupedPacketBytes / s.blockAlign);
    else s.packetBytes = kGroupedPacketBytes;
    if (!s.parser && s.blockAlign > 0) {
        const int64_t one = ffmpeg().av_get_audio_frame_duration(s.ctx, static_cast<int>(s.blockAlign));
        const int64_t all = ffmpeg().av_get_audio_frame_duration(s.ctx, static_cast<int>(s.packetBytes));
        if (one > 0 && all == one * (s.packetBytes / s.blockAlign)) framesPerBlock_ = one;
    }
    if (s.parser) {
        runInFrames_ = kParsedRunInPackets * 1152;
    } else if (!blocksIndependent(s.id)) {
        runInFrames_ = kRunInFrames;
    }
}

CodecStream::CodecStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CodecStream::~CodecStream() = default;

std::string CodecStream::name() const { return impl_->ctx->codec->name; }

bool CodecStream::usesParser() const { return impl_->parser != nullptr; }

int64_t CodecStream::inputSizeFor(int64_t outputFrames) const {
    const Impl& s = *impl_;
    if (framesPerBlock_ > 0) return std::max<int64_t>(1, outputFrames / framesPerBlock_) * s.blockAlign;
    int64_t bytes = s.rate > 0 ? outputFrames * s.byteRate / s.rate : 0;
    if (bytes <= 0) bytes = kGroupedPacketBytes;
    bytes = std::clamp<int64_t>(bytes, 1024, 1 << 20);
    if (!s.parser && s.blockAlign > 0) bytes = std::max<int64_t>(1, bytes / s.blockAlign) * s.blockAlign;
    return bytes;
}

void CodecStream::reset() {
    Impl& s = *impl_;
    // Reopening clears every decoder's running state; not all decoders
    // clear it on a flush.
    AVCodecContext* fresh = codecOpenContext(s.codec, s.format, s.id);
    if (fresh) {
        ffmpeg().avcodec_free_context(&s.ctx);
        s.ctx = fresh;
    } else {
        ffmpeg().avcodec_flush_buffers(s.ctx);
    }
    if (s.parser) {
        ffmpeg().av_parser_close(s.parser);
        s.parser = ffmpeg().av_parser_init(s.id);
    }
    s.drained = false;
    s.finished = false;
    kept_.clear();
    keptTaken_ = 0;
}

}  // namespace typix
