// An animated WebP through libwebp's animation encoder: every frame lossless, its timestamp in
// milliseconds the sum of the delays before it. libwebp gathers the encoded frames in memory
// and assembles the file at the end, which is then written at once.
#include "core/video/animation_encoder.h"

#include "core/base/errors.h"
#include "core/base/file_io.h"
#include "core/video/canvas.h"

#include <limits>
#include <webp/encode.h>
#include <webp/mux.h>

namespace orv {

std::unique_ptr<TAnimationEncoder> OpenWebPEncoder(const std::string& fileName);

namespace {

// How hard lossless encoding works, 0 (fastest) to 9: at 1 the files are within a few percent
// of the smallest and frames encode several times faster than at the default.
constexpr int kLosslessLevel = 1;

class TWebPEncoder : public TAnimationEncoder {
  public:
    explicit TWebPEncoder(std::string fileName) : fileName_(std::move(fileName)) {
        if (!WebPConfigInit(&config_) || !WebPConfigLosslessPreset(&config_, kLosslessLevel))
            throw EOrvanelError("Encodeur WebP indisponible");
    }
    ~TWebPEncoder() override {
        if (encoder_) WebPAnimEncoderDelete(encoder_);
    }
    TWebPEncoder(const TWebPEncoder&) = delete;
    TWebPEncoder& operator=(const TWebPEncoder&) = delete;

    void Add(const TBitmap& picture, uint16_t delay) override {
        if (!encoder_) {
            width_ = picture.Width;
            height_ = picture.Height;
            WebPAnimEncoderOptions options;
            if (!WebPAnimEncoderOptionsInit(&options)) Fail();
            options.anim_params.loop_count = 0;       // loops without end, as the GIF does
            options.anim_params.bgcolor = 0xFF000000; // opaque black
            options.allow_mixed = 0;
            encoder_ = WebPAnimEncoderNew(width_, height_, &options);
            if (!encoder_) Fail();
        }
        const std::vector<uint8_t> rgb = CanvasRgb(picture, width_, height_);
        WebPPicture frame;
        if (!WebPPictureInit(&frame)) Fail();
        frame.use_argb = 1;
        frame.width = width_;
        frame.height = height_;
        const bool imported = WebPPictureImportRGB(&frame, rgb.data(), width_ * 3) != 0;
        const bool added = imported && WebPAnimEncoderAdd(encoder_, &frame, Timestamp(), &config_) != 0;
        WebPPictureFree(&frame);
        if (!added) Fail();
        elapsed_ += int64_t(delay) * 10;
        ++count_;
    }

    size_t Count() const override { return count_; }

    void Commit() override {
        if (!encoder_ || !WebPAnimEncoderAdd(encoder_, nullptr, Timestamp(), nullptr)) Fail();
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAssemble(encoder_, &data)) Fail();
        try {
            WriteFileAtomically(fileName_, std::span<const uint8_t>(data.bytes, data.size));
        } catch (...) {
            WebPDataClear(&data);
            throw;
        }
        WebPDataClear(&data);
    }

  private:
    int Timestamp() const {
        if (elapsed_ > std::numeric_limits<int>::max())
            throw EOrvanelError("Animation trop longue pour un fichier WebP (plus de 24 jours)");
        return int(elapsed_);
    }
    [[noreturn]] void Fail() const {
        const char* why = encoder_ ? WebPAnimEncoderGetError(encoder_) : nullptr;
        throw EOrvanelError("Ne peut écrire le fichier " + fileName_ + " (encodeur WebP" +
                            (why && *why ? std::string(" : ") + why : std::string()) + ")");
    }

    std::string fileName_;
    WebPConfig config_;
    WebPAnimEncoder* encoder_ = nullptr;
    int width_ = 0, height_ = 0;
    int64_t elapsed_ = 0; // milliseconds
    size_t count_ = 0;
};

} // namespace

std::unique_ptr<TAnimationEncoder> OpenWebPEncoder(const std::string& fileName) {
    return std::make_unique<TWebPEncoder>(fileName);
}

} // namespace orv
