#include "core/formats/fits_writer.h"

namespace orv {

std::vector<std::string> BuildFitsHeaderCards(TImageDocument&) { throw EOrvanelError("SaveFits: not built yet"); }
std::vector<uint8_t> BuildFitsFile(TImageDocument&) { throw EOrvanelError("SaveFits: not built yet"); }
void SaveFits(TImageDocument&, const std::string&) { throw EOrvanelError("SaveFits: not built yet"); }

} // namespace orv
