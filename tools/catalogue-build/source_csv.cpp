// RFC 4180 splitting and UTF-8 decoding of the catalogue sources.
#include "tools/catalogue-build/source_csv.h"

namespace catalogue {

std::vector<CsvRecord> parseCsv(std::string_view data, const std::string &file)
{
    if (data.substr(0, 3) == "\xEF\xBB\xBF")
        data.remove_prefix(3);
    std::vector<CsvRecord> records;
    std::size_t i = 0;
    int line = 1;
    const std::size_t n = data.size();
    auto atLineEnd = [&](std::size_t k) { return k >= n || data[k] == '\n' || data[k] == '\r'; };
    while (i < n) {
        CsvRecord record;
        record.line = line;
        for (;;) {
            CsvField field;
            if (i < n && data[i] == '"') {
                field.quoted = true;
                const int opened = line;
                ++i;
                for (;;) {
                    if (i >= n)
                        throw SourceError(file, opened, "a quoted field is not closed");
                    const char c = data[i++];
                    if (c == '"') {
                        if (i < n && data[i] == '"') {
                            field.text.push_back('"');
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n' || (c == '\r' && (i >= n || data[i] != '\n')))
                        ++line;
                    field.text.push_back(c);
                }
                if (!atLineEnd(i) && data[i] != ',')
                    throw SourceError(file, line, "text after the closing quote of a field");
            } else {
                while (!atLineEnd(i) && data[i] != ',') {
                    if (data[i] == '"')
                        throw SourceError(file, line, "a double quote inside an unquoted field");
                    field.text.push_back(data[i++]);
                }
            }
            record.fields.push_back(std::move(field));
            if (i < n && data[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < n) {
            // CR LF, LF or a lone CR ends the record.
            if (data[i] == '\r' && i + 1 < n && data[i + 1] == '\n')
                i += 2;
            else
                ++i;
            ++line;
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::u16string decodeUtf8(std::string_view text, const std::string &file, int line)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t cp;
        int extra;
        if (b < 0x80) {
            cp = b;
            extra = 0;
        } else if (b >= 0xC2 && b < 0xE0) {
            cp = b & 0x1F;
            extra = 1;
        } else if (b >= 0xE0 && b < 0xF0) {
            cp = b & 0x0F;
            extra = 2;
        } else if (b >= 0xF0 && b < 0xF5) {
            cp = b & 0x07;
            extra = 3;
        } else {
            throw SourceError(file, line, "the text is not valid UTF-8");
        }
        if (i + std::size_t(extra) >= text.size() && extra > 0)
            throw SourceError(file, line, "the text is not valid UTF-8");
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + std::size_t(k)]);
            if ((c & 0xC0) != 0x80)
                throw SourceError(file, line, "the text is not valid UTF-8");
            cp = (cp << 6) | (c & 0x3F);
        }
        const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            throw SourceError(file, line, "the text is not valid UTF-8");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += std::size_t(extra) + 1;
    }
    return out;
}

} // namespace catalogue
