#include "core/anim/frame_sink.h"

#include "core/video/animation_encoder.h"

namespace orv {

namespace {

class TGifSink : public TFrameSink {
  public:
    TGifSink(const std::string& fileName, bool oneTable) : gif_(fileName) {
        if (oneTable) gif_.ShareGlobalTable();
    }
    void Write(const TAnimFrameResult& frame, uint16_t delay) override { gif_.Write(*frame.Image, delay); }
    void Repeat(size_t index, uint16_t delay) override { gif_.Repeat(index, delay); }
    size_t Count() const override { return gif_.Count(); }
    void Commit() override { gif_.Commit(); }

  private:
    TGifStreamWriter gif_;
};

class TVideoSink : public TFrameSink {
  public:
    TVideoSink(const std::string& fileName, TVideoKind kind, std::function<TBitmap(size_t)> remake)
        : encoder_(OpenAnimationEncoder(fileName, kind)), remake_(std::move(remake)) {}
    void Write(const TAnimFrameResult& frame, uint16_t delay) override {
        encoder_->Add(*frame.Picture, delay);
    }
    void Repeat(size_t index, uint16_t delay) override { encoder_->Add(remake_(index), delay); }
    size_t Count() const override { return encoder_->Count(); }
    void Commit() override { encoder_->Commit(); }

  private:
    std::unique_ptr<TAnimationEncoder> encoder_;
    std::function<TBitmap(size_t)> remake_;
};

} // namespace

bool WantsPictures(const std::string& fileName) {
    return VideoKindOf(fileName).has_value();
}

std::unique_ptr<TFrameSink> OpenFrameSink(const std::string& fileName,
                                          const std::function<TBitmap(size_t index)>& remake, bool oneTable) {
    if (const auto kind = VideoKindOf(fileName)) return std::make_unique<TVideoSink>(fileName, *kind, remake);
    return std::make_unique<TGifSink>(fileName, oneTable);
}

} // namespace orv
