// FITS files for tests, built card by card in memory, and a document host that records
// what a reader asks and tells.
#pragma once

#include "core/image/document_host.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orv::test {

class TFitsBuilder {
  public:
    // A card as written, blank-padded to 80 characters.
    TFitsBuilder& Raw(const std::string& text) {
        std::string card = text.substr(0, 80);
        card.resize(80, ' ');
        Bytes.insert(Bytes.end(), card.begin(), card.end());
        return *this;
    }
    // "KEYWORD = value / comment" in the usual fixed layout.
    TFitsBuilder& Value(const char* keyword, const std::string& value, const std::string& comment = "") {
        char buf[128];
        std::snprintf(buf, sizeof buf, "%-8.8s= %20s", keyword, value.c_str());
        std::string card = buf;
        if (!comment.empty()) card += " / " + comment;
        return Raw(card);
    }
    TFitsBuilder& Str(const char* keyword, const std::string& value, const std::string& comment = "") {
        char buf[128];
        std::snprintf(buf, sizeof buf, "%-8.8s= '%s'", keyword, value.c_str());
        std::string card = buf;
        if (!comment.empty()) card += " / " + comment;
        return Raw(card);
    }
    // SIMPLE, BITPIX, NAXIS 2, NAXIS1, NAXIS2.
    TFitsBuilder& Image(int bitpix, int width, int height) {
        return Value("SIMPLE", "T")
            .Value("BITPIX", std::to_string(bitpix))
            .Value("NAXIS", "2")
            .Value("NAXIS1", std::to_string(width))
            .Value("NAXIS2", std::to_string(height));
    }
    TFitsBuilder& End() { return Raw("END"); }
    // Fills up to the next multiple of 2880 bytes.
    TFitsBuilder& Pad(uint8_t fill) {
        while (Bytes.size() % 2880 != 0)
            Bytes.push_back(fill);
        return *this;
    }
    TFitsBuilder& Blanks() { return Pad(' '); }
    TFitsBuilder& Zeros() { return Pad(0); }
    TFitsBuilder& Append(const std::vector<uint8_t>& bytes) {
        Bytes.insert(Bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // Big-endian values of `size` bytes each.
    TFitsBuilder& BigEndian(const std::vector<uint64_t>& values, int size) {
        for (uint64_t v : values)
            for (int i = size - 1; i >= 0; --i)
                Bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    size_t Cards() const { return Bytes.size() / 80; }

    std::vector<uint8_t> Bytes;
};

struct TRecordingHost : TDocumentHost {
    TAnswer Answer = TAnswer::No; // to yes/no questions
    std::vector<std::string> Messages;
    std::vector<TButtons> Buttons;

    TAnswer Message(TMsgKind kind, TButtons buttons, const std::string& text) override {
        (void)kind;
        Messages.push_back(text);
        Buttons.push_back(buttons);
        return buttons == TButtons::Ok ? TAnswer::Ok : Answer;
    }
};

} // namespace orv::test
