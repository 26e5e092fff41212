// CFITSIO, loaded the first time a tile-compressed FITS file is read rather than linked: linked,
// it brings its network libraries (curl, TLS, Kerberos, LDAP...) into every start of both
// programs, about 10 ms each, for a format most runs never meet.
#pragma once

#include <fitsio.h>

namespace orv {

// The CFITSIO functions the tiles reader calls.
struct TCfitsio {
    decltype(&ffomem) OpenMemFile;
    decltype(&ffimem) CreateMemFile;
    decltype(&ffclos) CloseFile;
    decltype(&ffthdu) GetNumHdus;
    decltype(&ffmahd) MoveAbsHdu;
    decltype(&ffgidm) GetImgDim;
    decltype(&ffghsp) GetHdrSpace;
    decltype(&ffgrec) ReadRecord;
    decltype(&fits_is_compressed_image) IsCompressedImage;
    decltype(&fits_img_decompress_header) ImgDecompressHeader;
    decltype(&ffpscl) SetBscale;
    decltype(&ffgpv) ReadImg;
};

// The library, loaded once (thread-safe). EOrvanelError when it cannot be loaded.
const TCfitsio& Cfitsio();

} // namespace orv
