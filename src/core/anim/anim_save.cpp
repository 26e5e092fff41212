#include "core/anim/anim_save.h"

#include "core/gif/bitmap_to_matrix.h"
#include "core/text/path_text.h"

namespace orv {

std::string AnimationFileName(const std::string& chosen) {
    return WithDefaultExtension(chosen, ".gif");
}

std::string OverwriteQuestion(const std::string& fileName) {
    return "Le fichier :\n" + fileName + "\nExiste déjà, l'ecraser ?";
}

void FillAnimationGif(TGifFile& gif, const std::vector<TAnimImg>& frames, TProgress& progress) {
    for (const TAnimImg& frame : frames) {
        progress.SetLabel("Conversion de l'image : " + frame.Name);
        TColorTable table;
        TByteArray2D matrix;
        BitmapToMatrix(frame.Bitmap, table, matrix, progress);
        gif.AddSubImage(table, matrix, frame.Delay);
    }
}

void SaveAnimation(const std::vector<TAnimImg>& frames, const std::string& fileName, TProgress& progress) {
    TGifFile gif;
    FillAnimationGif(gif, frames, progress);
    gif.SaveToFile(fileName, progress);
}

} // namespace orv
