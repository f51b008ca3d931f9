#include "formats/AudioFileReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/FfmpegLibraries.h"

namespace typix {

namespace {

// The library's diagnostics would reach the typist's terminal; a file that
// does not decode is reported through the result instead.
void quietLibrary() {
    static const bool once = [] {
        ffmpeg().av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)once;
}

std::string tag(const AVDictionary* container, const AVDictionary* stream,
                std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        for (const AVDictionary* dict : {container, stream}) {
            const AVDictionaryEntry* e = ffmpeg().av_dict_get(dict, key, nullptr, 0);
            if (e && e->value && *e->value) return e->value;
        }
    }
    return {};
}

// A layout the converter accepts: one without a channel order (some decoders
// only know the count) becomes the default layout for that count.
AVChannelLayout usableLayout(const AVChannelLayout& layout) {
    AVChannelLayout result{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC || ffmpeg().av_channel_layout_check(&layout) == 0) {
        ffmpeg().av_channel_layout_default(&result, layout.nb_channels);
    } else {
        ffmpeg().av_channel_layout_copy(&result, &layout);
    }
    return result;
}

}  // namespace

struct AudioFileReader::Impl {
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwrContext* converter = nullptr;
    int stream = -1;
    bool endSent = false;
    bool decoderDone = false;
    bool frameWaiting = false;  // `frame` holds decoded audio not yet converted

    AVChannelLayout outLayout{};
    int outRate = 0;
    // What the converter was set up for.
    AVChannelLayout inLayout{};
    int inRate = 0;
    int inFormat = -1;

    std::vector<int16_t> pending;  // converted samples not yet read
    size_t pendingTaken = 0;

    ~Impl() {
        ffmpeg().swr_free(&converter);
        ffmpeg().av_frame_free(&frame);
        ffmpeg().av_packet_free(&packet);
        ffmpeg().avcodec_free_context(&decoder);
        ffmpeg().avformat_close_input(&format);
        ffmpeg().av_channel_layout_uninit(&outLayout);
        ffmpeg().av_channel_layout_uninit(&inLayout);
    }
};

AudioFileReader::AudioFileReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
AudioFileReader::~AudioFileReader() = default;

std::unique_ptr<AudioFileReader> AudioFileReader::open(const std::string& path, std::string* why) {
    auto fail = [why](const char* reason) {
        if (why) *why = reason;
        return std::unique_ptr<AudioFileReader>();
    };
    if (!ffmpegAvailable()) return fail("the audio library (FFmpeg) is not installed");
    quietLibrary();
    auto impl = std::make_unique<Impl>();
    if (ffmpeg().avformat_open_input(&impl->format, path.c_str(), nullptr, nullptr) < 0)
        return fail("not a file the audio library recognises");
    if (ffmpeg().avformat_find_stream_info(impl->format, nullptr) < 0)
        return fail("the file's streams cannot be read");
    const AVCodec* codec = nullptr;
    impl->stream = ffmpeg().av_find_best_stream(impl->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (impl->stream == AVERROR_STREAM_NOT_FOUND) return fail("the file holds no audio");
    if (impl->stream < 0 || !codec) return fail("no decoder for the file's audio");
    AVStream* stream = impl->format->streams[impl->stream];
    impl->decoder = ffmpeg().avcodec_alloc_context3(codec);
    impl->packet = ffmpeg().av_packet_alloc();
    impl->frame = ffmpeg().av_frame_alloc();
    if (!impl->decoder || !impl->packet || !impl->frame) return fail("out of memory");
    if (ffmpeg().avcodec_parameters_to_context(impl->decoder, stream->codecpar) < 0 ||
        ffmpeg().avcodec_open2(impl->decoder, codec, nullptr) < 0)
        return fail("the decoder refuses the file's audio");
    // Other streams (cover art, video) are never decoded.
    for (unsigned i = 0; i < impl->format->nb_streams; ++i)
        if (static_cast<int>(i) != impl->stream) impl->format->streams[i]->discard = AVDISCARD_ALL;

    std::unique_ptr<AudioFileReader> reader(new AudioFileReader(std::move(impl)));
    // The format of the first decoded frame is the format of the whole file;
    // a file without one decodable frame is not audio we can use.
    if (!reader->decodeNext()) return fail("no audio in the file could be decoded");
    Impl& d = *reader->impl_;
    d.frameWaiting = true;
    d.outLayout = usableLayout(d.frame->ch_layout);
    d.outRate = d.frame->sample_rate;
    if (d.outRate <= 0 || d.outLayout.nb_channels <= 0 || d.outLayout.nb_channels > 255)
        return fail("the audio's rate or channels are out of range");
    AudioFileInfo& info = reader->info_;
    info.sampleRate = d.outRate;
    info.channels = d.outLayout.nb_channels;
    info.title = tag(d.format->metadata, stream->metadata, {"title"});
    info.artist = tag(d.format->metadata, stream->metadata, {"artist", "author", "album_artist"});
    info.codec = codec->name;
    if (d.format->duration > 0) info.seconds = double(d.format->duration) / AV_TIME_BASE;
    if (why) why->clear();
    return reader;
}

// Leaves the next decoded frame in impl_->frame; false once the decoder has
// given everything.
bool AudioFileReader::decodeNext() {
    Impl& d = *impl_;
    // A decoder error after the end was sent is retried a bounded number of
    // times, so a decoder that keeps failing cannot hold the import forever.
    int errorsAfterEnd = 0;
    while (!d.decoderDone) {
        const int got = ffmpeg().avcodec_receive_frame(d.decoder, d.frame);
        if (got == 0) return true;
        if (got == AVERROR_EOF) break;
        if (d.endSent) {
            if (got == AVERROR(EAGAIN) || ++errorsAfterEnd > 64) break;
            continue;
        }
        // EAGAIN, or an error of one packet: either way the next packet goes in.
        const int read = ffmpeg().av_read_frame(d.format, d.packet);
        if (read < 0) {
            // The end of the file, or a file cut short or damaged at its end,
            // ends the stream as the library's own tools take it; an error of
            // the disk is a failed read.
            if (read == AVERROR(EIO)) failed_ = true;
            ffmpeg().avcodec_send_packet(d.decoder, nullptr);
            d.endSent = true;
            continue;
        }
        // A packet the decoder rejects is skipped.
        if (d.packet->stream_index == d.stream) ffmpeg().avcodec_send_packet(d.decoder, d.packet);
        ffmpeg().av_packet_unref(d.packet);
    }
    d.decoderDone = true;
    return false;
}

bool AudioFileReader::convertFrame() {
    Impl& d = *impl_;
    AVFrame* f = d.frame;
    AVChannelLayout layout = usableLayout(f->ch_layout);
    const bool changed = !d.converter || d.inRate != f->sample_rate || d.inFormat != f->format ||
                         ffmpeg().av_channel_layout_compare(&d.inLayout, &layout) != 0;
    if (changed) {
        ffmpeg().swr_free(&d.converter);
        if (ffmpeg().swr_alloc_set_opts2(&d.converter, &d.outLayout, AV_SAMPLE_FMT_S16, d.outRate, &layout,
                                static_cast<AVSampleFormat>(f->format), f->sample_rate, 0,
                                nullptr) < 0 ||
            ffmpeg().swr_init(d.converter) < 0) {
            ffmpeg().av_channel_layout_uninit(&layout);
            ffmpeg().swr_free(&d.converter);
            return false;
        }
        ffmpeg().av_channel_layout_uninit(&d.inLayout);
        ffmpeg().av_channel_layout_copy(&d.inLayout, &layout);
        d.inRate = f->sample_rate;
        d.inFormat = f->format;
    }
    ffmpeg().av_channel_layout_uninit(&layout);
    const int room = ffmpeg().swr_get_out_samples(d.converter, f->nb_samples);
    if (room < 0) return false;
    const int channels = d.outLayout.nb_channels;
    d.pending.resize(size_t(room) * size_t(channels));
    uint8_t* out = reinterpret_cast<uint8_t*>(d.pending.data());
    const int made = ffmpeg().swr_convert(d.converter, &out, room,
                                 const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    ffmpeg().av_frame_unref(f);
    if (made < 0) return false;
    d.pending.resize(size_t(made) * size_t(channels));
    d.pendingTaken = 0;
    return true;
}

// Fills impl_->pending with the next converted audio; false at the end.
bool AudioFileReader::refill() {
    Impl& d = *impl_;
    while (!ended_) {
        if (!d.frameWaiting) d.frameWaiting = decodeNext();
        if (d.frameWaiting) {
            d.frameWaiting = false;
            if (!convertFrame()) {
                failed_ = true;
                ended_ = true;
                return false;
            }
            if (!d.pending.empty()) return true;
            continue;
        }
        // The decoder is empty: a resampling converter may still hold a tail.
        ended_ = true;
        if (d.converter && d.inRate != d.outRate) {
            const int channels = d.outLayout.nb_channels;
            const int room = std::max(ffmpeg().swr_get_out_samples(d.converter, 0), 0);
            d.pending.resize(size_t(room) * size_t(channels));
            uint8_t* out = reinterpret_cast<uint8_t*>(d.pending.data());
            const int made = room > 0 ? ffmpeg().swr_convert(d.converter, &out, room, nullptr, 0) : 0;
            d.pending.resize(size_t(std::max(made, 0)) * size_t(channels));
            d.pendingTaken = 0;
            return !d.pending.empty();
        }
    }
    return false;
}

int64_t AudioFileReader::read(int16_t* out, int64_t frames) {
    Impl& d = *impl_;
    const int64_t channels = info_.channels;
    int64_t written = 0;
    while (written < frames) {
        if (d.pendingTaken >= d.pending.size() && !refill()) break;
        const int64_t available = int64_t(d.pending.size() - d.pendingTaken) / channels;
        const int64_t take = std::min(available, frames - written);
        std::memcpy(out + written * channels, d.pending.data() + d.pendingTaken,
                    size_t(take * channels) * sizeof(int16_t));
        d.pendingTaken += size_t(take * channels);
        written += take;
    }
    return written;
}

}  // namespace typix
