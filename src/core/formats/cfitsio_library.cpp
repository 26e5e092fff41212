#include "core/formats/cfitsio_library.h"

#include "core/base/errors.h"

#include <dlfcn.h>

#include <string>

namespace orv {

namespace {

const char* const kMissing =
    "Lecture des fichiers FITS compressés impossible : la bibliothèque CFITSIO (" ORVANEL_CFITSIO_SONAME
    ") est introuvable";

template <class F> void Bind(void* library, const char* name, F& function, bool& complete) {
    function = reinterpret_cast<F>(dlsym(library, name));
    complete = complete && function != nullptr;
}

// Filled once; nothing when the library or one of its functions is missing.
struct TLoaded {
    TCfitsio Functions{};
    bool Complete = false;

    TLoaded() {
        // Never closed: the functions stay valid until the program ends.
        void* library = dlopen(ORVANEL_CFITSIO_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        bool complete = true;
        TCfitsio& f = Functions;
        Bind(library, "ffomem", f.OpenMemFile, complete);
        Bind(library, "ffimem", f.CreateMemFile, complete);
        Bind(library, "ffclos", f.CloseFile, complete);
        Bind(library, "ffthdu", f.GetNumHdus, complete);
        Bind(library, "ffmahd", f.MoveAbsHdu, complete);
        Bind(library, "ffgidm", f.GetImgDim, complete);
        Bind(library, "ffghsp", f.GetHdrSpace, complete);
        Bind(library, "ffgrec", f.ReadRecord, complete);
        Bind(library, "fits_is_compressed_image", f.IsCompressedImage, complete);
        Bind(library, "fits_img_decompress_header", f.ImgDecompressHeader, complete);
        Bind(library, "ffpscl", f.SetBscale, complete);
        Bind(library, "ffgpv", f.ReadImg, complete);
        Complete = complete;
    }
};

} // namespace

const TCfitsio& Cfitsio() {
    static const TLoaded loaded;
    if (!loaded.Complete) throw EOrvanelError(kMissing);
    return loaded.Functions;
}

} // namespace orv
