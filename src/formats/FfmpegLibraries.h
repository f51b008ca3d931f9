#pragma once
// FFmpeg's libraries, loaded when a codec is first needed instead of when the
// program starts.  Loading them and the many libraries they bring costs some
// 35 ms of processor time, which every typixctl command and every start of
// the window paid although most runs (wave files in PCM, the queue, a render)
// never decode a codec.
//
// The code that decodes calls FFmpeg through ffmpeg() below.  Its entry
// points (opening a codec stream or an audio file, naming a decoder) test
// ffmpegAvailable() first and report failure when the libraries are missing;
// every other call comes from an object those entry points made.
// Thread-safe: the libraries are loaded once, by the first caller.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

// Each function the program uses, with the library that holds it.
#define TYPIX_FFMPEG_FUNCTIONS(X) \
    X(avcodec, avcodec_free_context) \
    X(avutil, av_channel_layout_uninit) \
    X(swresample, swr_free) \
    X(avcodec, avcodec_send_packet) \
    X(avcodec, avcodec_alloc_context3) \
    X(avcodec, av_parser_init) \
    X(avcodec, av_parser_close) \
    X(swresample, swr_get_out_samples) \
    X(swresample, swr_convert) \
    X(avcodec, avcodec_receive_frame) \
    X(avcodec, avcodec_open2) \
    X(avcodec, avcodec_find_decoder) \
    X(avcodec, av_packet_unref) \
    X(avcodec, av_packet_free) \
    X(avcodec, av_packet_alloc) \
    X(avutil, av_log_set_level) \
    X(avcodec, av_get_audio_frame_duration) \
    X(avutil, av_frame_unref) \
    X(avutil, av_frame_free) \
    X(avutil, av_frame_alloc) \
    X(avutil, av_channel_layout_default) \
    X(avutil, av_channel_layout_copy) \
    X(swresample, swr_init) \
    X(swresample, swr_alloc_set_opts2) \
    X(avformat, avformat_open_input) \
    X(avformat, avformat_get_riff_audio_tags) \
    X(avformat, avformat_find_stream_info) \
    X(avformat, avformat_close_input) \
    X(avcodec, avcodec_parameters_to_context) \
    X(avcodec, avcodec_flush_buffers) \
    X(avutil, av_sample_fmt_is_planar) \
    X(avformat, av_read_frame) \
    X(avcodec, av_parser_parse2) \
    X(avutil, av_mallocz) \
    X(avutil, av_get_packed_sample_fmt) \
    X(avformat, av_find_best_stream) \
    X(avutil, av_dict_get) \
    X(avformat, av_codec_get_id) \
    X(avutil, av_channel_layout_compare) \
    X(avutil, av_channel_layout_check)

namespace typix {

struct FfmpegFunctions {
#define TYPIX_FFMPEG_POINTER(library, name) decltype(&::name) name = nullptr;
    TYPIX_FFMPEG_FUNCTIONS(TYPIX_FFMPEG_POINTER)
#undef TYPIX_FFMPEG_POINTER
};

// True when every library and function was found (loads them on first call).
bool ffmpegAvailable();
// The functions; only after ffmpegAvailable() has said true.
const FfmpegFunctions& ffmpeg();

}  // namespace typix
