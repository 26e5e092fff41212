// A celestial coordinate system for the readout tests: a TAN projection turned by 30 degrees,
// 1.5 arcseconds a pixel, its reference pixel at the middle of a 300 x 200 image. The texts the
// tests expect are astropy's all_pix2world at the same pixels (origin 1), rounded as printed.
#pragma once

#include <string>
#include <vector>

namespace orv::image_test {

inline std::vector<std::string> RotatedTanCards() {
    return {"CTYPE1  = 'RA---TAN'",
            "CTYPE2  = 'DEC--TAN'",
            "CRVAL1  = 83.633",
            "CRVAL2  = 22.0145",
            "CRPIX1  = 150.5",
            "CRPIX2  = 100.5",
            "CD1_1   = -3.6084391824351614E-04",
            "CD1_2   = 2.0833333333333332E-04",
            "CD2_1   = 2.0833333333333332E-04",
            "CD2_2   = 3.6084391824351614E-04",
            "RADESYS = 'ICRS'"};
}

} // namespace orv::image_test
