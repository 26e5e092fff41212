#include "core/video/ffmpeg_library.h"

#include "core/base/errors.h"

#include <dlfcn.h>
#include <type_traits>

namespace orv {

namespace {

const char* const kMissing =
    "Écriture des vidéos MP4 impossible : les bibliothèques FFmpeg (" ORVANEL_AVFORMAT_SONAME
    ", " ORVANEL_AVCODEC_SONAME ", " ORVANEL_AVUTIL_SONAME ") sont introuvables";

// Filled once; nothing when a library or one of its functions is missing.
struct TLoaded {
    TFfmpeg Functions{};
    bool Complete = false;

    TLoaded() {
        // Never closed: the functions stay valid until the program ends. A function is looked up
        // in the library that opened first and those it needs.
        void* util = dlopen(ORVANEL_AVUTIL_SONAME, RTLD_NOW | RTLD_LOCAL);
        void* codec = util ? dlopen(ORVANEL_AVCODEC_SONAME, RTLD_NOW | RTLD_LOCAL) : nullptr;
        void* format = codec ? dlopen(ORVANEL_AVFORMAT_SONAME, RTLD_NOW | RTLD_LOCAL) : nullptr;
        if (!format) return;
        bool complete = true;
        const auto bind = [&](const char* name, auto& function) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(format, name));
            complete = complete && function != nullptr;
        };
        TFfmpeg& f = Functions;
        bind("avcodec_find_encoder_by_name", f.FindEncoderByName);
        bind("avcodec_find_encoder", f.FindEncoder);
        bind("avcodec_alloc_context3", f.AllocContext);
        bind("avcodec_open2", f.OpenCodec);
        bind("avcodec_parameters_from_context", f.ParametersFromContext);
        bind("avcodec_send_frame", f.SendFrame);
        bind("avcodec_receive_packet", f.ReceivePacket);
        bind("avcodec_free_context", f.FreeContext);
        bind("av_packet_alloc", f.PacketAlloc);
        bind("av_packet_free", f.PacketFree);
        bind("av_packet_rescale_ts", f.PacketRescaleTs);
        bind("avformat_alloc_output_context2", f.AllocOutputContext);
        bind("avformat_new_stream", f.NewStream);
        bind("avformat_write_header", f.WriteHeader);
        bind("av_interleaved_write_frame", f.InterleavedWriteFrame);
        bind("av_write_trailer", f.WriteTrailer);
        bind("avformat_free_context", f.FreeFormatContext);
        bind("avio_open", f.IoOpen);
        bind("avio_closep", f.IoClose);
        bind("av_frame_alloc", f.FrameAlloc);
        bind("av_frame_free", f.FrameFree);
        bind("av_frame_get_buffer", f.FrameGetBuffer);
        bind("av_frame_make_writable", f.FrameMakeWritable);
        bind("av_opt_set", f.OptSet);
        bind("av_dict_set", f.DictSet);
        bind("av_dict_free", f.DictFree);
        bind("av_strerror", f.StrError);
        bind("av_log_set_level", f.LogSetLevel);
        Complete = complete;
    }
};

} // namespace

const TFfmpeg& Ffmpeg() {
    static const TLoaded loaded;
    if (!loaded.Complete) throw EOrvanelError(kMissing);
    return loaded.Functions;
}

} // namespace orv
