// XISF files (monolithic): a 16-byte preamble, an XML header, and data blocks placed at the
// offsets the header gives. The first Image element is read: 2-D, grey, 8/16/32-bit unsigned
// integer or 32/64-bit float samples, planar or interleaved, either byte order, stored as they
// are or compressed (zlib, lz4, lz4hc, zstd, whole or in sub-blocks), with or without byte
// shuffling. Its FITSKeyword elements become the document's header cards. Further images and
// other attachments are passed over.
//
// Samples are stored as FITS stores them (16-bit integers for 8-bit samples; 16 and 32-bit
// unsigned samples with BZERO 32768 and 2147483648), top row first in the file and bottom row
// first in the document. RGB images are refused until colour images are shown.
#pragma once

#include "core/base/byte_source.h"
#include "core/image/image_document.h"

#include <memory>
#include <string>

namespace orv {

// A refusal shows its message and leaves the document empty; a FITSKeyword whose value is not
// the number its keyword needs raises EConvertError as a FITS card would, the document left empty.
TLoadResult LoadXisf(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// The same from any source of bytes (fileName names it in messages and the caption).
TLoadResult LoadXisfFromSource(TImageDocument& doc, const TByteSource& source, const std::string& fileName,
                               TDocumentHost& host);

} // namespace orv
