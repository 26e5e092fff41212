#include "core/formats/xml_elements.h"

#include <cstring>

namespace orv {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c) {
    return !IsSpace(c) && c != '=' && c != '>' && c != '/' && c != '<' && c != '"' && c != '\'' && c != '\0';
}

std::string LocalName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// An attribute value with its entities replaced.
std::string Unescape(std::string_view raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        const size_t end = raw.find(';', i);
        if (end == std::string_view::npos) throw EXmlError("entité non terminée");
        const std::string_view entity = raw.substr(i + 1, end - i - 1);
        if (entity == "lt")
            out += '<';
        else if (entity == "gt")
            out += '>';
        else if (entity == "amp")
            out += '&';
        else if (entity == "quot")
            out += '"';
        else if (entity == "apos")
            out += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x';
            uint32_t code = 0;
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            if (digits.empty() || digits.size() > 8) throw EXmlError("entité incorrecte");
            for (const char c : digits) {
                uint32_t d;
                if (c >= '0' && c <= '9')
                    d = uint32_t(c - '0');
                else if (hex && c >= 'a' && c <= 'f')
                    d = uint32_t(c - 'a' + 10);
                else if (hex && c >= 'A' && c <= 'F')
                    d = uint32_t(c - 'A' + 10);
                else
                    throw EXmlError("entité incorrecte");
                code = code * (hex ? 16 : 10) + d;
            }
            if (code == 0 || code > 0x10FFFF) throw EXmlError("entité incorrecte");
            AppendUtf8(out, code);
        } else {
            throw EXmlError("entité inconnue");
        }
        i = end;
    }
    return out;
}

class TParser {
  public:
    explicit TParser(std::string_view text) : t_(text) {}

    std::vector<TXmlElement> Parse() {
        std::vector<TXmlElement> elements;
        std::vector<int64_t> open; // the elements whose end tag is still to come
        bool rootClosed = false;
        while (p_ < t_.size()) {
            if (t_[p_] != '<') {
                ++p_; // text between tags is not needed
                continue;
            }
            if (Skip("<?", "?>") || Skip("<!--", "-->") || Skip("<![CDATA[", "]]>")) continue;
            if (Starts("<!")) { // a document type, without an internal subset
                SkipTo(">");
                continue;
            }
            if (Starts("</")) {
                p_ += 2;
                const std::string name = LocalName(Name());
                SkipSpaces();
                Expect('>');
                if (open.empty() || elements[size_t(open.back())].Name != name)
                    throw EXmlError("balise fermante </" + name + "> inattendue");
                open.pop_back();
                if (open.empty()) rootClosed = true;
                continue;
            }
            ++p_;
            if (rootClosed || (open.empty() && !elements.empty()))
                throw EXmlError("plusieurs éléments racines");
            TXmlElement e;
            e.Name = LocalName(Name());
            e.Parent = open.empty() ? -1 : open.back();
            bool empty = false;
            for (;;) {
                SkipSpaces();
                if (Starts("/>")) {
                    p_ += 2;
                    empty = true;
                    break;
                }
                if (Starts(">")) {
                    ++p_;
                    break;
                }
                std::string name(Name());
                SkipSpaces();
                Expect('=');
                SkipSpaces();
                if (p_ >= t_.size() || (t_[p_] != '"' && t_[p_] != '\''))
                    throw EXmlError("attribut sans guillemets");
                const char quote = t_[p_++];
                const size_t end = t_.find(quote, p_);
                if (end == std::string_view::npos) throw EXmlError("attribut non terminé");
                e.Attributes.emplace_back(std::move(name), Unescape(t_.substr(p_, end - p_)));
                p_ = end + 1;
            }
            elements.push_back(std::move(e));
            if (!empty)
                open.push_back(int64_t(elements.size() - 1));
            else if (open.empty())
                rootClosed = true;
        }
        if (!open.empty()) throw EXmlError("élément <" + elements[size_t(open.back())].Name + "> non fermé");
        if (elements.empty()) throw EXmlError("aucun élément");
        return elements;
    }

  private:
    bool Starts(std::string_view s) const { return t_.substr(p_, s.size()) == s; }
    bool Skip(std::string_view open, std::string_view close) {
        if (!Starts(open)) return false;
        p_ += open.size();
        SkipTo(close);
        return true;
    }
    void SkipTo(std::string_view close) {
        const size_t end = t_.find(close, p_);
        if (end == std::string_view::npos) throw EXmlError("texte non terminé");
        p_ = end + close.size();
    }
    void SkipSpaces() {
        while (p_ < t_.size() && IsSpace(t_[p_]))
            ++p_;
    }
    void Expect(char c) {
        if (p_ >= t_.size() || t_[p_] != c) throw EXmlError(std::string("'") + c + "' attendu");
        ++p_;
    }
    std::string_view Name() {
        const size_t start = p_;
        while (p_ < t_.size() && IsNameChar(t_[p_]))
            ++p_;
        if (p_ == start) throw EXmlError("nom attendu");
        return t_.substr(start, p_ - start);
    }

    std::string_view t_;
    size_t p_ = 0;
};

} // namespace

std::optional<std::string> TXmlElement::Attribute(std::string_view name) const {
    for (const auto& [key, value] : Attributes)
        if (key == name) return value;
    return std::nullopt;
}

std::vector<TXmlElement> ParseXmlElements(std::string_view text) {
    return TParser(text).Parse();
}

} // namespace orv
