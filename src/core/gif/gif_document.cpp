#include "core/gif/gif_document.h"

#include "core/text/errors.h"

namespace orv {

std::vector<uint8_t> ReadFirstGifImageAsBmp(const std::string&) { throw EOrvanelError("GIF: not built yet"); }
void WriteDisplayedPictureAsGif(const TImageDocument&, const std::string&, TDocumentHost&) {
    throw EOrvanelError("GIF: not built yet");
}

} // namespace orv
