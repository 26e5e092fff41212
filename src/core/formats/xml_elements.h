// A small XML reader for the headers of XISF files: elements and their attributes, in document
// order, each with the index of its parent. Text, comments, processing instructions, CDATA and
// the document type are passed over. No recursion and no limit beyond the text given: a header
// nested a million deep reads as well as a flat one. Malformed text raises EXmlError.
#pragma once

#include "core/base/errors.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv {

class EXmlError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

struct TXmlElement {
    std::string Name;                                            // without its namespace prefix
    std::vector<std::pair<std::string, std::string>> Attributes; // entities replaced
    int64_t Parent = -1;                                         // index; -1 for the root

    // The attribute's value, or nothing.
    std::optional<std::string> Attribute(std::string_view name) const;
};

// Every element of the text, in the order their start tags come.
std::vector<TXmlElement> ParseXmlElements(std::string_view text);

} // namespace orv
