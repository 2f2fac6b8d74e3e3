#include "attachment.h"

#include "text.h"

namespace ledgergen {

std::string asciiFold(std::string_view utf8)
{
    struct Fold
    {
        std::string_view from;
        char to;
    };
    static constexpr Fold folds[] = {{"Ç", 'C'}, {"ç", 'c'}, {"Ğ", 'G'}, {"ğ", 'g'}, {"İ", 'I'}, {"ı", 'i'},
                                     {"Ö", 'O'}, {"ö", 'o'}, {"Ş", 'S'}, {"ş", 's'}, {"Ü", 'U'}, {"ü", 'u'}};
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = utf8[i];
        if (c >= 0x20 && c < 0x7f) {
            out += char(c);
            continue;
        }
        for (const Fold& f : folds) {
            if (utf8.substr(i, f.from.size()) == f.from) {
                out += f.to;
                i += f.from.size() - 1;
                break;
            }
        }
    }
    return out;
}

std::string makePdf(const std::vector<std::string>& lines)
{
    std::string content = "BT\n/F1 12 Tf\n72 770 Td\n16 TL\n";
    for (const std::string& line : lines) {
        content += '(';
        for (char c : asciiFold(line)) {
            if (c == '(' || c == ')' || c == '\\') {
                content += '\\';
            }
            content += c;
        }
        content += ") Tj T*\n";
    }
    content += "ET\n";

    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    auto object = [&](std::string_view body) {
        offsets.push_back(pdf.size());
        appendNumber(pdf, offsets.size());
        pdf += " 0 obj\n";
        pdf += body;
        pdf += "\nendobj\n";
    };
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
           "/Resources << /Font << /F1 5 0 R >> >> >>");
    object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream");
    object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    const size_t xref = pdf.size();
    pdf += "xref\n0 6\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        appendNumber(pdf, offset, 10);
        pdf += " 00000 n \n";
    }
    pdf += "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace ledgergen
