#include "core/formats/bmp_document.h"

namespace orv {

TLoadResult LoadBmp(TImageDocument&, const std::string&, TDocumentHost&) { throw EOrvanelError("LoadBmp: not built yet"); }
TLoadResult LoadGif(TImageDocument&, const std::string&, TDocumentHost&) { throw EOrvanelError("LoadGif: not built yet"); }
void SaveBmp(TImageDocument&, const std::string&) { throw EOrvanelError("SaveBmp: not built yet"); }

} // namespace orv
