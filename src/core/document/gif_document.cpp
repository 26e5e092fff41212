#include "core/document/gif_document.h"

#include "core/base/bitmap.h"
#include "core/formats/bmp_document.h"
#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_bitmap_file.h"
#include "core/gif/global_colours.h"
#include "core/text/path_text.h"

namespace orv {

std::unique_ptr<TGifFile> OpenGif(const std::string& fileName) {
    auto gif = std::make_unique<TGifFile>();
    gif->LoadFromFile(fileName);
    return gif;
}

TLoadResult LoadGifImage(TImageDocument& doc, const TGifFile& gif, const std::string& fileName) {
    // Errors of the GIF reader itself are the caller's to report; only a picture that
    // does not load is refused silently.
    std::vector<uint8_t> picture;
    if (!gif.SubImages.empty()) picture = GifBitmapFile(gif.SubImages.front()->GetBitmap());
    return LoadBitmapFromBytes(doc, std::move(picture), fileName, kKindGif);
}

void WriteDisplayedPictureAsGif(const TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    TGifFile gif;
    const TBitmap picture = TBitmap::FromBmpFile(doc.DisplayStream);
    TProgress progress([&host](const std::string& label, float fraction) { host.Progress(label, fraction); });
    progress.SetLabel("Conversion de l'image : " +
                      ExtractFileName(doc.FileName.empty() ? fileName : doc.FileName));
    TColorTable table;
    TByteArray2D matrix;
    BitmapToMatrix(picture, table, matrix, progress);
    gif.AddSubImage(table, matrix, 0);
    gif.SaveToFile(fileName, progress);
}

void WriteColourPictureAsGif(const TImageDocument& doc, const TBitmap& picture, const std::string& fileName,
                             TDocumentHost& host) {
    TGifFile gif;
    TProgress progress([&host](const std::string& label, float fraction) { host.Progress(label, fraction); });
    progress.SetLabel("Conversion de l'image : " +
                      ExtractFileName(doc.FileName.empty() ? fileName : doc.FileName));
    TGlobalColours colours;
    colours.Meet(picture);
    colours.Choose();
    gif.AddSubImage(colours.Table(), colours.Map(picture), 0);
    gif.SaveToFile(fileName, progress);
}

} // namespace orv
