// CPA files of the Prism software (short and long headers), read into a FITS document.
#pragma once

#include "core/base/errors.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// On success the document is a FITS document named like the file with ".FIT" in place
// of its last four characters.
TLoadResult LoadCpa(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// LoadCpa on the bytes of a file already read (plain data stay in that buffer).
TLoadResult LoadCpaFromBytes(TImageDocument& doc, std::vector<uint8_t> bytes, const std::string& fileName,
                             TDocumentHost& host);

// A date-time counted in days since 30 December 1899, the fraction being the time of day,
// as "yyyy-mm-dd" and "h:m:s.mmm" (milliseconds always three digits).
struct TCpaDateTime {
    std::string Date;
    std::string Time;
};
TCpaDateTime CpaDateTimeText(double days);

// The 6-byte real of the short header: exponent byte biased by 129, then the fraction
// from its least significant byte, the top bit of the last byte being the sign.
double Real48ToDouble(const uint8_t* bytes);

} // namespace orv
