#include "core/formats/fits_reader.h"

namespace orv {

bool IsFitsKeyword(std::string_view) { throw EOrvanelError("LoadFits: not built yet"); }
TLoadResult LoadFits(TImageDocument&, const std::string&, TDocumentHost&) { throw EOrvanelError("LoadFits: not built yet"); }

} // namespace orv
