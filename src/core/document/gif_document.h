// GIF files as image documents: opening decodes the whole file, so that the caller chooses
// between an image window (its first image) and the animation builder (several images);
// saving writes a document's displayed picture as a one-image GIF file.
#pragma once

#include "core/base/bitmap.h"
#include "core/gif/gif_file.h"
#include "core/image/document_host.h"
#include "core/image/image_document.h"

#include <memory>
#include <string>

namespace orv {

// The decoded file; throws the GIF reader's errors.
std::unique_ptr<TGifFile> OpenGif(const std::string& fileName);

// The first image of the decoded file becomes the document's picture (kind GIF), with the
// steps that end every reader. A file without an image is refused silently.
TLoadResult LoadGifImage(TImageDocument& doc, const TGifFile& gif, const std::string& fileName);

// Writes the picture the document displays as a GIF file holding one image with delay 0
// (progress through the host). FileName and caption are not changed here.
void WriteDisplayedPictureAsGif(const TImageDocument& doc, const std::string& fileName, TDocumentHost& host);
// The same for the 24-bit picture a colour document shows: one table of its colours, exact up
// to 256 of them, else each pixel the nearest of those median cut chooses (TGlobalColours).
void WriteColourPictureAsGif(const TImageDocument& doc, const TBitmap& picture, const std::string& fileName,
                             TDocumentHost& host);

} // namespace orv
