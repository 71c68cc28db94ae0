#include "core/utf16.h"

namespace tcc {
namespace {

bool IsHigh(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

bool ToUtf16(std::string_view text, std::wstring* out) {
    out->clear();
    out->reserve(text.size());
    bool valid = true;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out->push_back(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) length = 2, code = lead & 0x1F;
        else if (lead >= 0xE0 && lead <= 0xEF) length = 3, code = lead & 0x0F;
        else if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07;
        bool whole = length != 0 && text.size() - i >= length;
        for (std::size_t k = 1; whole && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // The shortest form only; a low half right after a lone high half
        // would be a pair, which has a form of its own.
        if (!whole || (length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (IsLow(code) && !out->empty() && IsHigh(static_cast<char32_t>(out->back())))) {
            out->push_back(static_cast<wchar_t>(0xFFFD));
            valid = false;
            ++i;
            continue;
        }
        if (code < 0x10000) {
            out->push_back(static_cast<wchar_t>(code));
        } else {
            out->push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
            out->push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
        i += length;
    }
    return valid;
}

std::wstring ToUtf16(std::string_view text) {
    std::wstring units;
    ToUtf16(text, &units);
    return units;
}

std::string ToUtf8(std::wstring_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t code = static_cast<char32_t>(units[i]) & 0xFFFF;
        if (IsHigh(code) && i + 1 < units.size() && IsLow(static_cast<char32_t>(units[i + 1]) & 0xFFFF)) {
            code = 0x10000 + ((code - 0xD800) << 10) + ((static_cast<char32_t>(units[++i]) & 0xFFFF) - 0xDC00);
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

}  // namespace tcc
