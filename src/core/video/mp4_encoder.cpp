// An H.264 MP4 through FFmpeg (loaded on first use, ffmpeg_library.h): libavcodec's x264
// encoder, libavformat's MP4 muxer. The stream's time base and the track's time scale are
// 1/100 s, so that each frame's presentation time is the sum of the delays before it and its
// duration its own delay; no B-frames, so frames are stored in the order shown. H.264 wants even sizes: an
// odd width or height gets one black column or row. The file is written beside its name and renamed once
// complete.
#include "core/video/animation_encoder.h"

#include "core/base/errors.h"
#include "core/video/canvas.h"
#include "core/video/ffmpeg_library.h"

#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <unistd.h>

namespace orv {

std::unique_ptr<TAnimationEncoder> OpenMp4Encoder(const std::string& fileName);

namespace {

// A quality at which x264's losses are hard to see on astronomical frames.
constexpr const char* kCrf = "18";

// RGB to the limited-range BT.601 luma and chroma H.264 players assume by default.
uint8_t Luma(int r, int g, int b) {
    return uint8_t(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}
uint8_t ChromaB(int r, int g, int b) {
    return uint8_t(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
}
uint8_t ChromaR(int r, int g, int b) {
    return uint8_t(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

class TMp4Encoder : public TAnimationEncoder {
  public:
    explicit TMp4Encoder(std::string fileName)
        : av_(Ffmpeg()), fileName_(std::move(fileName)), temp_(fileName_ + ".orvanel-tmp") {}
    ~TMp4Encoder() override {
        av_.PacketFree(&packet_);
        av_.FrameFree(&frame_);
        av_.FreeContext(&codec_);
        if (format_) {
            if (format_->pb) av_.IoClose(&format_->pb);
            av_.FreeFormatContext(format_);
        }
        if (!committed_) ::unlink(temp_.c_str());
    }
    TMp4Encoder(const TMp4Encoder&) = delete;
    TMp4Encoder& operator=(const TMp4Encoder&) = delete;

    void Add(const TBitmap& picture, uint16_t delay) override {
        if (!codec_) Open(picture.Width, picture.Height);
        // A frame cannot last no time in an MP4 file: a delay of 0 lasts one hundredth.
        const int64_t duration = delay == 0 ? 1 : delay;
        Check(av_.FrameMakeWritable(frame_));
        FillFrame(CanvasRgb(picture, frame_->width, frame_->height));
        frame_->pts = elapsed_;
        durations_.push_back(duration);
        elapsed_ += duration;
        Check(av_.SendFrame(codec_, frame_));
        Drain();
        ++count_;
    }

    size_t Count() const override { return count_; }

    void Commit() override {
        if (!codec_) Fail("aucune image");
        Check(av_.SendFrame(codec_, nullptr));
        Drain();
        Check(av_.WriteTrailer(format_));
        av_.IoClose(&format_->pb);
        // On disk before it replaces the old file, as every save.
        const int fd = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        if (!synced || std::rename(temp_.c_str(), fileName_.c_str()) != 0) Fail("");
        committed_ = true;
    }

  private:
    void Open(int32_t width, int32_t height) {
        const AVCodec* codec = av_.FindEncoderByName("libx264");
        if (!codec) codec = av_.FindEncoder(AV_CODEC_ID_H264);
        if (!codec) throw EOrvanelError("Aucun encodeur H.264 n'est installé (libavcodec sans x264)");
        // Only errors matter, and they come back as this program's message.
        av_.LogSetLevel(AV_LOG_QUIET);
        // "file:" keeps a name with a colon from being taken for a protocol; the muxer opens the
        // name again to move the index before the frames.
        Check(av_.AllocOutputContext(&format_, nullptr, "mp4", ("file:" + temp_).c_str()));
        AVStream* stream = av_.NewStream(format_, nullptr);
        codec_ = av_.AllocContext(codec);
        frame_ = av_.FrameAlloc();
        packet_ = av_.PacketAlloc();
        if (!stream || !codec_ || !frame_ || !packet_) Fail("mémoire insuffisante");
        codec_->width = width + (width & 1);
        codec_->height = height + (height & 1);
        codec_->pix_fmt = AV_PIX_FMT_YUV420P;
        codec_->time_base = AVRational{1, 100};
        codec_->max_b_frames = 0;
        codec_->color_range = AVCOL_RANGE_MPEG;
        codec_->colorspace = AVCOL_SPC_SMPTE170M;
        codec_->color_primaries = AVCOL_PRI_SMPTE170M;
        codec_->color_trc = AVCOL_TRC_SMPTE170M;
        if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        av_.OptSet(codec_->priv_data, "preset", "medium", 0);
        av_.OptSet(codec_->priv_data, "crf", kCrf, 0);
        Check(av_.OpenCodec(codec_, codec, nullptr));
        Check(av_.ParametersFromContext(stream->codecpar, codec_));
        stream->time_base = AVRational{1, 100};
        frame_->format = codec_->pix_fmt;
        frame_->width = codec_->width;
        frame_->height = codec_->height;
        Check(av_.FrameGetBuffer(frame_, 0));
        Check(av_.IoOpen(&format_->pb, format_->url, AVIO_FLAG_WRITE));
        AVDictionary* options = nullptr;
        av_.DictSet(&options, "video_track_timescale", "100", 0);
        av_.DictSet(&options, "movflags", "+faststart", 0); // the index first: plays while it loads
        const int written = av_.WriteHeader(format_, &options);
        av_.DictFree(&options);
        Check(written);
    }

    void FillFrame(const std::vector<uint8_t>& rgb) {
        const int w = frame_->width, h = frame_->height;
        for (int y = 0; y < h; ++y) {
            const uint8_t* in = rgb.data() + size_t(y) * size_t(w) * 3;
            uint8_t* luma = frame_->data[0] + ptrdiff_t(y) * frame_->linesize[0];
            for (int x = 0; x < w; ++x, in += 3)
                luma[x] = Luma(in[0], in[1], in[2]);
        }
        // Each chroma sample from the mean colour of its 2 x 2 pixels.
        for (int y = 0; y < h / 2; ++y) {
            const uint8_t* top = rgb.data() + size_t(2 * y) * size_t(w) * 3;
            const uint8_t* bottom = top + size_t(w) * 3;
            uint8_t* cb = frame_->data[1] + ptrdiff_t(y) * frame_->linesize[1];
            uint8_t* cr = frame_->data[2] + ptrdiff_t(y) * frame_->linesize[2];
            for (int x = 0; x < w / 2; ++x, top += 6, bottom += 6) {
                const int r = (top[0] + top[3] + bottom[0] + bottom[3] + 2) / 4;
                const int g = (top[1] + top[4] + bottom[1] + bottom[4] + 2) / 4;
                const int b = (top[2] + top[5] + bottom[2] + bottom[5] + 2) / 4;
                cb[x] = ChromaB(r, g, b);
                cr[x] = ChromaR(r, g, b);
            }
        }
    }

    // Every packet the encoder has ready, each with its frame's duration, into the file.
    void Drain() {
        for (;;) {
            const int result = av_.ReceivePacket(codec_, packet_);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
            Check(result);
            // Without B-frames packets come in the order the frames went in.
            if (!durations_.empty()) {
                packet_->duration = durations_.front();
                durations_.pop_front();
            }
            av_.PacketRescaleTs(packet_, codec_->time_base, format_->streams[0]->time_base);
            packet_->stream_index = 0;
            Check(av_.InterleavedWriteFrame(format_, packet_));
        }
    }

    void Check(int result) const {
        if (result >= 0) return;
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_.StrError(result, text, sizeof text);
        Fail(text);
    }
    [[noreturn]] void Fail(const std::string& why) const {
        throw EOrvanelError("Ne peut écrire le fichier " + fileName_ +
                            (why.empty() ? std::string() : " (encodeur H.264 : " + why + ")"));
    }

    const TFfmpeg& av_;
    std::string fileName_, temp_;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    std::deque<int64_t> durations_;
    int64_t elapsed_ = 0; // hundredths of a second
    size_t count_ = 0;
    bool committed_ = false;
};

} // namespace

std::unique_ptr<TAnimationEncoder> OpenMp4Encoder(const std::string& fileName) {
    return std::make_unique<TMp4Encoder>(fileName);
}

} // namespace orv
