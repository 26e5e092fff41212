#include "core/formats/pic.h"

namespace orv {

TLoadResult LoadPic(TImageDocument&, const std::string&, TDocumentHost&) { throw EOrvanelError("LoadPic: not built yet"); }
std::vector<uint8_t> BuildPicFile(TImageDocument&) { throw EOrvanelError("SavePic: not built yet"); }
void SavePic(TImageDocument&, const std::string&) { throw EOrvanelError("SavePic: not built yet"); }

} // namespace orv
