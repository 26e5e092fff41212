#include "core/formats/cpa.h"

namespace orv {

TLoadResult LoadCpa(TImageDocument&, const std::string&, TDocumentHost&) { throw EOrvanelError("LoadCpa: not built yet"); }

} // namespace orv
