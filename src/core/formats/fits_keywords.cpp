#include "core/formats/fits_keywords.h"

#include "core/base/errors.h"
#include "core/text/number_text.h"
#include "core/text/rounding.h"

#include <array>
#include <limits>
#include <type_traits>

namespace orv {

namespace {

using H = TFitsHeader;
constexpr auto kAlways = TFitsWritten::Always;
constexpr auto kUnlessDefault = TFitsWritten::UnlessDefault;

const std::array<TFitsKeyword, 27> kKeywords{{
    {"SIMPLE", &H::Simple, &H::SimpleComment, kAlways},
    {"BITPIX", &H::Bitpix, &H::BitpixComment, kAlways},
    {"NAXIS", &H::Naxis, &H::NaxisComment, kAlways},
    {"NAXIS1", &H::Naxis1, TFitsCommentField::NaxisN(1), kAlways},
    {"NAXIS2", &H::Naxis2, TFitsCommentField::NaxisN(2), kAlways},
    {"NAXIS3", &H::Naxis3, TFitsCommentField::NaxisN(3), kUnlessDefault},
    {"NAXIS4", &H::Naxis4, TFitsCommentField::NaxisN(4), kUnlessDefault},
    {"EXTEND", &H::Extend, &H::ExtendComment, kUnlessDefault},
    {"DATE", &H::Date, &H::DateComment, kUnlessDefault},
    {"DATE-OBS", &H::DateObs, &H::DateObsComment, kUnlessDefault},
    {"ORIGIN", &H::Origin, &H::OriginComment, kUnlessDefault},
    {"TELESCOP", &H::Telescop, &H::TelescopComment, kUnlessDefault},
    {"INSTRUME", &H::Instrume, &H::InstrumeComment, kUnlessDefault},
    {"OBSERVER", &H::Observer, &H::ObserverComment, kUnlessDefault},
    {"OBJECT", &H::Object, &H::ObjectComment, kUnlessDefault},
    {"TIME_BEG", &H::TimeBeg, &H::TimeBegComment, kUnlessDefault},
    {"TIME_EXP", &H::TimeExp, &H::TimeExpComment, kUnlessDefault},
    {"TIME_END", &H::TimeEnd, &H::TimeEndComment, kUnlessDefault},
    {"AUTHOR", &H::Author, &H::AuthorComment, kUnlessDefault},
    {"REFERENC", &H::Referenc, &H::ReferencComment, kUnlessDefault},
    {"DATAMIN", &H::DataMin, &H::DataMinComment, kUnlessDefault},
    {"DATAMAX", &H::DataMax, &H::DataMaxComment, kUnlessDefault},
    {"BZERO", &H::BZero, &H::BZeroComment, kUnlessDefault},
    {"BSCALE", &H::BScale, &H::BScaleComment, kUnlessDefault},
    {"EQUINOX", &H::Equinox, &H::EquinoxComment, kUnlessDefault},
    // Other programs write display thresholds as reals (12.5): they are rounded as this
    // program writes them, rather than the whole file refused.
    {"THRESH", &H::ThreshHigh, &H::ThreshHighComment, kAlways, "MIPS-HI", true},
    {"THRESL", &H::ThreshLow, &H::ThreshLowComment, kAlways, "MIPS-LO", true},
}};

// An 8-character card keyword against a name: the name, then blanks.
bool IsKeyword(std::string_view cardKeyword, std::string_view name) {
    if (name.empty() || cardKeyword.size() < name.size() || cardKeyword.substr(0, name.size()) != name)
        return false;
    return cardKeyword.find_first_not_of(' ', name.size()) == std::string_view::npos;
}

// An integer, or a real rounded to the nearest; any other text keeps the integer's message.
int32_t RoundedInteger(const std::string& text) {
    try {
        return RoundClamped(StrToFloat(text), std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max());
    } catch (const EConvertError&) {
        return StrToInt(text);
    }
}

const TFitsHeader& ClearedHeader() {
    static const TFitsHeader cleared;
    return cleared;
}

// Runs f with the row's value field of the header and of a cleared header, typed.
template <typename THeader, typename F> void WithValue(const TFitsKeyword& row, THeader& header, F&& f) {
    std::visit([&](auto field) { f(header.*field, ClearedHeader().*field); }, row.Value);
}

} // namespace

std::span<const TFitsKeyword> FitsKeywords() {
    return kKeywords;
}

const TFitsKeyword* FindFitsKeyword(std::string_view cardKeyword) {
    for (const TFitsKeyword& row : kKeywords)
        if (IsKeyword(cardKeyword, row.Keyword) || IsKeyword(cardKeyword, row.ReadAlso)) return &row;
    return nullptr;
}

bool ReadFitsKeyword(const TFitsKeyword& row, const TCardText& card, TFitsHeader& header) {
    const std::string& v = card.Value;
    bool taken = true;
    WithValue(row, header, [&](auto& value, const auto&) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, bool>) {
            if (v != "T" && row.Written == kUnlessDefault)
                taken = false;
            else
                value = v == "T";
        } else if constexpr (std::is_same_v<T, int32_t>) {
            value = row.RealRounded ? RoundedInteger(v) : StrToInt(v);
        } else if constexpr (std::is_same_v<T, double>) {
            value = StrToFloat(v);
        } else {
            value = v;
        }
    });
    if (taken) row.Comment.Of(header) = card.Comment;
    return taken;
}

std::optional<std::string> FitsKeywordCard(const TFitsKeyword& row, const TFitsHeader& header) {
    std::optional<std::string> card;
    const std::string& comment = row.Comment.Of(header);
    WithValue(row, header, [&](const auto& value, const auto& cleared) {
        using T = std::decay_t<decltype(value)>;
        if (row.Written == kUnlessDefault && value == cleared) return;
        if constexpr (std::is_same_v<T, bool>)
            card = FitsLogicalCard(row.Keyword, value, comment);
        else if constexpr (std::is_same_v<T, int32_t>)
            card = FitsIntegerCard(row.Keyword, value, comment);
        else if constexpr (std::is_same_v<T, double>)
            card = FitsRealCard(row.Keyword, value, comment);
        else
            card = FitsStringCard(row.Keyword, value, comment);
    });
    return card;
}

} // namespace orv
