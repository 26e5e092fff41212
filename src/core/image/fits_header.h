// The values of the FITS header cards the program knows, with their comments.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orv {

struct TFitsHeader {
    bool Simple = false;
    int32_t Bitpix = 0;
    int32_t Naxis = 0;
    int32_t Naxis1 = 0, Naxis2 = 0, Naxis3 = 0, Naxis4 = 0;
    bool Extend = false;
    std::string Date, Origin, DateObs, Telescop, Instrume, Observer, Object;
    double Equinox = 0;
    std::string Author, Referenc;
    double BScale = 1, BZero = 0, DataMin = 0, DataMax = 0;
    std::string TimeBeg, TimeEnd, TimeExp;
    int32_t ThreshHigh = 16383;
    int32_t ThreshLow = 0;

    std::string SimpleComment, BitpixComment, NaxisComment;
    std::array<std::string, 4> NaxisNComment; // NAXIS1 .. NAXIS4
    std::string ExtendComment, DateComment, OriginComment, DateObsComment, TelescopComment, InstrumeComment,
        ObserverComment, ObjectComment, EquinoxComment, AuthorComment, ReferencComment, BScaleComment,
        BZeroComment, DataMinComment, DataMaxComment, TimeBegComment, TimeEndComment, TimeExpComment,
        ThreshHighComment, ThreshLowComment;

    // Every field to zero, false or empty; BScale 1, ThreshHigh 16383.
    void ClearHeader() { *this = TFitsHeader(); }
};

} // namespace orv
