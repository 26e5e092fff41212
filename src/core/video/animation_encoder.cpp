#include "core/video/animation_encoder.h"

#include "core/text/path_text.h"

namespace orv {

std::unique_ptr<TAnimationEncoder> OpenWebPEncoder(const std::string& fileName);
std::unique_ptr<TAnimationEncoder> OpenMp4Encoder(const std::string& fileName);

std::optional<TVideoKind> VideoKindOf(const std::string& fileName) {
    const std::string ext = UpperCase(ExtractFileExt(fileName));
    if (ext == ".WEBP") return TVideoKind::WebP;
    if (ext == ".MP4") return TVideoKind::Mp4;
    return std::nullopt;
}

std::unique_ptr<TAnimationEncoder> OpenAnimationEncoder(const std::string& fileName, TVideoKind kind) {
    return kind == TVideoKind::WebP ? OpenWebPEncoder(fileName) : OpenMp4Encoder(fileName);
}

} // namespace orv
