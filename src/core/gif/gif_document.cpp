#include "core/gif/gif_document.h"

#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_bitmap_file.h"
#include "core/gif/gif_file.h"
#include "core/image/bitmap.h"
#include "core/text/path_text.h"

namespace orv {

std::vector<uint8_t> ReadFirstGifImageAsBmp(const std::string& fileName) {
    TGifFile gif;
    gif.LoadFromFile(fileName);
    if (gif.SubImages.empty()) return {};
    return GifBitmapFile(gif.SubImages.front()->GetBitmap());
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

} // namespace orv
