// The cards wcslib's header parser is given for a document's sky coordinates: never the file's
// own cards, but cards written here from values read and checked one by one, and only the
// keywords of the primary celestial description of the image's two axes. The parser trusts its
// input (a string left open, a NUL byte or a stray quote has made it write past its buffers or
// run for ever); these cards are of the plain shape it was made for.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orv {

// NAXIS, NAXIS1 and NAXIS2 of a width x height image, then, of the header cards given, those
// of the description (CTYPEi, CUNITi, CRPIXi, CRVALi, CDELTi, CROTAi, PCi_j, CDi_j, PVi_m, the
// SIP polynomial, LONPOLE, LATPOLE, RADESYS, EQUINOX, EPOCH), i and j being 1 or 2; numbers
// written as numbers, strings quoted. Nothing when one of these cards has a value of the wrong
// kind or shape (a number where a string belongs or the reverse, a string of more than 68
// characters or with a byte outside printable ASCII, a number that is not finite): wrong
// coordinates would be worse than none.
std::optional<std::vector<std::string>> CelestialCards(const std::vector<std::string>& cards, int width,
                                                       int height);

} // namespace orv
