// FITS cubes (NAXIS = 3, or 4 with NAXIS4 = 1, and NAXIS3 > 1) as a series of planes: the
// document holds one plane, read from the file on demand, so that a cube of any length opens
// in the memory of one plane. Three planes without CTYPE3, or with CTYPE3 = 'RGB', are a colour
// image, not a series: they are left to the plain reader. Only uncompressed files: a cube in a
// .gz or .fz file is refused as before.
#pragma once

#include "core/base/byte_source.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orv {

// The planes of the file's image when it is a cube; nothing for any other file (including one
// whose header cannot be read, or that announces more than it could hold: opening it says why).
std::optional<uint32_t> FitsCubePlanes(const TByteSource& source);

// Opens plane `frame` (from 0; one beyond the cube reads the first) when the file is a cube;
// nothing, and the document untouched, when it is not.
std::optional<TLoadResult> LoadFitsCube(TImageDocument& doc, std::shared_ptr<const TByteSource> source,
                                        const std::string& fileName, TDocumentHost& host, uint32_t frame);

} // namespace orv
