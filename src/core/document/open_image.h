// Opening and saving by kind: the one place that knows which reader reads a file and which
// writer writes a document. The readers below it know nothing of one another.
#pragma once

#include "core/document/gif_document.h"
#include "core/image/document_host.h"
#include "core/image/image_document.h"

#include <string>

namespace orv {

enum class TFileKind { Unknown, Pic, Cpa, Fits, FitsGzip, FitsTiles, Bmp, Gif, Ser, Xisf };

// By the upper-cased extension: .PIC, .CPA, .FIT, .FTS or .FITS, one of these three followed
// by .GZ, .FZ (tile-compressed FITS), .BMP, .GIF, .SER (video), .XISF.
TFileKind FileKindOf(const std::string& fileName);

// Chooses the reader by the file's kind (a GIF file gives its first image). The host is
// told what the reader does, and its enabling rule runs after every reader whatever
// happened; errors that a reader does not handle (conversion errors, GIF errors) propagate.
// A series (a SER video, a FITS cube) opens its frame `frame`, counted from 0, or its first
// when it has no such frame: the caller compares with doc.Series->Count().
TLoadResult OpenImage(TImageDocument& doc, const std::string& fileName, TDocumentHost& host,
                      uint32_t frame = 0);

// The frames of the file as a series: a SER video's frames, a FITS cube's planes, 1 for any
// other file. Read from the file's header alone; 1 when it cannot be read (opening it says why).
uint32_t FrameCountOf(const std::string& fileName);

// The first image of a GIF file already decoded, with the same steps as OpenImage.
TLoadResult OpenGifImage(TImageDocument& doc, const TGifFile& gif, const std::string& fileName);

// PIC documents as PIC, FITS documents as FITS, nothing for the other kinds.
void SaveImage(TImageDocument& doc, const std::string& fileName);

// "Enregistrer": PIC, FITS and bitmap documents in their format, a GIF document as the
// one-image GIF of its picture (progress through the host). False for an empty document,
// which writes nothing.
bool SaveByKind(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

} // namespace orv
