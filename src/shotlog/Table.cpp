#include "shotlog/Table.h"

#include <array>
#include <map>

namespace zelmaro {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

char GuessSeparator(std::string_view line)
{
    std::array<std::size_t, 3> counts = {};
    constexpr std::array<char, 3> kSeparators = {',', ';', '\t'};
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted)
            for (std::size_t k = 0; k < kSeparators.size(); ++k)
                counts[k] += c == kSeparators[k];
    }
    std::size_t best = 0;
    for (std::size_t k = 1; k < counts.size(); ++k)
        if (counts[k] > counts[best])
            best = k;
    return kSeparators[best];
}

bool TTableReader::Next(std::vector<std::string>& cells)
{
    cells.clear();
    if (FPos >= FText.size())
        return false;
    const std::size_t size = FText.size();
    // A tab separates; as a blank around a field it would be lost.
    const auto blank = [this](char c) { return c == ' ' || (c == '\t' && FSeparator != '\t'); };
    while (true) {
        std::string& cell = cells.emplace_back();
        while (FPos < size && blank(FText[FPos]))
            ++FPos;
        const bool formula = FPos + 1 < size && FText[FPos] == '=' && FText[FPos + 1] == '"';
        if (formula)
            ++FPos;
        if (FPos < size && FText[FPos] == '"') {
            ++FPos;
            while (FPos < size) {
                const std::size_t quote = FText.find('"', FPos);
                if (quote == std::string_view::npos) {
                    cell.append(FText.substr(FPos));
                    FPos = size;
                    break;
                }
                cell.append(FText.substr(FPos, quote - FPos));
                FPos = quote + 1;
                if (FPos < size && FText[FPos] == '"') {
                    cell += '"';
                    ++FPos;
                } else {
                    break;
                }
            }
            // Whatever follows the closing quote up to the separator belongs to the field.
            while (FPos < size && FText[FPos] != FSeparator && FText[FPos] != '\r' &&
                   FText[FPos] != '\n') {
                if (!blank(FText[FPos]))
                    cell += FText[FPos];
                ++FPos;
            }
        } else {
            std::size_t end = FPos;
            while (end < size && FText[end] != FSeparator && FText[end] != '\r' &&
                   FText[end] != '\n')
                ++end;
            std::size_t last = end;
            while (last > FPos && blank(FText[last - 1]))
                --last;
            cell.assign(FText.substr(FPos, last - FPos));
            FPos = end;
        }
        if (FPos < size && FText[FPos] == FSeparator) {
            ++FPos;
            continue;
        }
        // The end of the record.
        if (FPos < size && FText[FPos] == '\r')
            ++FPos;
        if (FPos < size && FText[FPos] == '\n')
            ++FPos;
        return true;
    }
}

bool LooksLikeJsonArray(std::string_view text)
{
    for (const char c : text) {
        if (c == '[')
            return true;
        if (!IsBlank(c) && c != '\r' && c != '\n')
            return false;
    }
    return false;
}

namespace {

// A reader of just enough JSON for arrays of flat objects.
class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : FText(text) {}

    std::optional<TJsonTable> Table()
    {
        TJsonTable table;
        std::map<std::string, std::size_t, std::less<>> columns;
        if (!Take('['))
            return std::nullopt;
        if (Take(']'))
            return End() ? std::optional(std::move(table)) : std::nullopt;
        do {
            if (!Take('{'))
                return std::nullopt;
            std::vector<std::string>& record = table.Records.emplace_back();
            if (!Take('}')) {
                do {
                    std::string key;
                    if (!String(key) || !Take(':'))
                        return std::nullopt;
                    std::string value;
                    if (!Value(value))
                        return std::nullopt;
                    auto [column, added] = columns.try_emplace(key, table.Header.size());
                    if (added)
                        table.Header.push_back(key);
                    if (record.size() <= column->second)
                        record.resize(column->second + 1);
                    record[column->second] = std::move(value);
                } while (Take(','));
                if (!Take('}'))
                    return std::nullopt;
            }
        } while (Take(','));
        if (!Take(']') || !End())
            return std::nullopt;
        for (auto& record : table.Records)
            record.resize(table.Header.size());
        return table;
    }

private:
    std::string_view FText;
    std::size_t FPos = 0;

    void Skip()
    {
        while (FPos < FText.size() &&
               (IsBlank(FText[FPos]) || FText[FPos] == '\r' || FText[FPos] == '\n'))
            ++FPos;
    }
    bool Take(char c)
    {
        Skip();
        if (FPos < FText.size() && FText[FPos] == c) {
            ++FPos;
            return true;
        }
        return false;
    }
    bool End()
    {
        Skip();
        return FPos == FText.size();
    }
    static void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool Hex4(unsigned& code)
    {
        if (FPos + 4 > FText.size())
            return false;
        code = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = FText[FPos++];
            code <<= 4;
            if (c >= '0' && c <= '9')
                code |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                code |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                code |= static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }
    bool String(std::string& out)
    {
        if (!Take('"'))
            return false;
        while (FPos < FText.size()) {
            const char c = FText[FPos++];
            if (c == '"')
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (FPos >= FText.size())
                return false;
            const char e = FText[FPos++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u': {
                unsigned code = 0;
                if (!Hex4(code))
                    return false;
                // A surrogate pair makes one character beyond the first plane.
                if (code >= 0xD800 && code < 0xDC00 && FText.substr(FPos, 2) == "\\u") {
                    FPos += 2;
                    unsigned low = 0;
                    if (!Hex4(low))
                        return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, code);
                break;
            }
            default:
                out += e;
            }
        }
        return false;
    }
    // A value as text; objects and arrays inside are passed over.
    bool Value(std::string& out, int depth = 0)
    {
        Skip();
        if (FPos >= FText.size() || depth > 64)
            return false;
        const char c = FText[FPos];
        if (c == '"')
            return String(out);
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++FPos;
            if (Take(close))
                return true;
            do {
                std::string ignored;
                if (c == '{' && (!String(ignored) || !Take(':')))
                    return false;
                if (!Value(ignored, depth + 1))
                    return false;
            } while (Take(','));
            return Take(close);
        }
        const std::size_t start = FPos;
        while (FPos < FText.size() && FText[FPos] != ',' && FText[FPos] != '}' &&
               FText[FPos] != ']' && !IsBlank(FText[FPos]) && FText[FPos] != '\r' &&
               FText[FPos] != '\n')
            ++FPos;
        if (FPos == start)
            return false;
        const std::string_view word = FText.substr(start, FPos - start);
        if (word != "null")
            out.assign(word);
        return true;
    }
};

} // namespace

std::optional<TJsonTable> ParseJsonTable(std::string_view text)
{
    return TJsonReader(text).Table();
}

} // namespace zelmaro
