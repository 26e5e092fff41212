// FFmpeg's libavformat, libavcodec and libavutil, loaded the first time an MP4 file is written
// rather than linked: linked, they bring more than a hundred libraries (every codec and network
// protocol FFmpeg knows) into every start of both programs, about 30 ms of processor each, for
// a file most runs never write.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace orv {

// The FFmpeg functions the MP4 encoder calls.
struct TFfmpeg {
    decltype(&avcodec_find_encoder_by_name) FindEncoderByName;
    decltype(&avcodec_find_encoder) FindEncoder;
    decltype(&avcodec_alloc_context3) AllocContext;
    decltype(&avcodec_open2) OpenCodec;
    decltype(&avcodec_parameters_from_context) ParametersFromContext;
    decltype(&avcodec_send_frame) SendFrame;
    decltype(&avcodec_receive_packet) ReceivePacket;
    decltype(&avcodec_free_context) FreeContext;
    decltype(&av_packet_alloc) PacketAlloc;
    decltype(&av_packet_free) PacketFree;
    decltype(&av_packet_rescale_ts) PacketRescaleTs;
    decltype(&avformat_alloc_output_context2) AllocOutputContext;
    decltype(&avformat_new_stream) NewStream;
    decltype(&avformat_write_header) WriteHeader;
    decltype(&av_interleaved_write_frame) InterleavedWriteFrame;
    decltype(&av_write_trailer) WriteTrailer;
    decltype(&avformat_free_context) FreeFormatContext;
    decltype(&avio_open) IoOpen;
    decltype(&avio_closep) IoClose;
    decltype(&av_frame_alloc) FrameAlloc;
    decltype(&av_frame_free) FrameFree;
    decltype(&av_frame_get_buffer) FrameGetBuffer;
    decltype(&av_frame_make_writable) FrameMakeWritable;
    decltype(&av_opt_set) OptSet;
    decltype(&av_dict_set) DictSet;
    decltype(&av_dict_free) DictFree;
    decltype(&av_strerror) StrError;
    decltype(&av_log_set_level) LogSetLevel;
};

// The libraries, loaded once (thread-safe). EOrvanelError when they cannot be loaded.
const TFfmpeg& Ffmpeg();

} // namespace orv
