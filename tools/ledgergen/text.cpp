#include "text.h"

namespace ledgergen {

void appendEscaped(std::string& out, std::string_view text)
{
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        std::string_view replacement;
        switch (text[i]) {
        case '&':
            replacement = "&amp;";
            break;
        case '<':
            replacement = "&lt;";
            break;
        case '>':
            replacement = "&gt;";
            break;
        case '"':
            replacement = "&quot;";
            break;
        default:
            continue;
        }
        out.append(text.substr(start, i - start));
        out.append(replacement);
        start = i + 1;
    }
    out.append(text.substr(start));
}

void appendNumber(std::string& out, uint64_t value, int width)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = n; i < width; ++i) {
        out += '0';
    }
    while (n > 0) {
        out += digits[--n];
    }
}

void appendAmount(std::string& out, int64_t cents)
{
    if (cents < 0) {
        out += '-';
        cents = -cents;
    }
    appendNumber(out, uint64_t(cents / 100));
    out += '.';
    appendNumber(out, uint64_t(cents % 100), 2);
}

std::string amountText(int64_t cents)
{
    std::string s;
    appendAmount(s, cents);
    return s;
}

void appendBase64(std::string& out, std::string_view bytes, bool wrapLines)
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    size_t column = 0;
    auto put = [&](char c) {
        if (wrapLines && column == 76) {
            out += '\n';
            column = 0;
        }
        out += c;
        ++column;
    };
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v =
            uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 | uint32_t(uint8_t(bytes[i + 2]));
        put(alphabet[v >> 18 & 63]);
        put(alphabet[v >> 12 & 63]);
        put(alphabet[v >> 6 & 63]);
        put(alphabet[v & 63]);
    }
    if (i < bytes.size()) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size()) {
            v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        }
        put(alphabet[v >> 18 & 63]);
        put(alphabet[v >> 12 & 63]);
        put(i + 1 < bytes.size() ? alphabet[v >> 6 & 63] : '=');
        put('=');
    }
}

std::string asciiUpperLetters(std::string_view utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = utf8[i];
        if (c >= 'a' && c <= 'z') {
            out += char(c - 'a' + 'A');
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += char(c);
        } else if (c >= 0xC0 && i + 1 < utf8.size()) {
            // The Turkish letters outside ASCII, by their UTF-8 sequences.
            const std::string_view pair = utf8.substr(i, 2);
            if (pair == "Ç" || pair == "ç") {
                out += 'C';
            } else if (pair == "Ğ" || pair == "ğ") {
                out += 'G';
            } else if (pair == "İ" || pair == "ı") {
                out += 'I';
            } else if (pair == "Ö" || pair == "ö") {
                out += 'O';
            } else if (pair == "Ş" || pair == "ş") {
                out += 'S';
            } else if (pair == "Ü" || pair == "ü") {
                out += 'U';
            }
            ++i;
        }
    }
    return out;
}

} // namespace ledgergen
