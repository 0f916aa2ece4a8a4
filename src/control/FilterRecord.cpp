#include "control/FilterRecord.h"

#include <charconv>

#include "platform/com/Ansi.h"

namespace aldra {

namespace {

void AppendEscaped(std::string_view value, std::string* out) {
    out->reserve(out->size() + value.size() + 1);
    for (char c : value) {
        switch (c) {
            case '\\':
                *out += "\\\\";
                break;
            case '\t':
                *out += "\\t";
                break;
            case '\r':
                *out += "\\r";
                break;
            case '\n':
                *out += "\\n";
                break;
            default:
                out->push_back(c);
        }
    }
}

}  // namespace

void RecordWriter::Text(std::string_view name, std::string_view utf8) {
    text_ += name;
    text_ += '\t';
    AppendEscaped(utf8, &text_);
    text_ += '\n';
}

void RecordWriter::Ansi(std::string_view name, std::string_view ansi) {
    Text(name, AnsiToUtf8(ansi));
}

void RecordWriter::Number(std::string_view name, float value) {
    char digits[32];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    Text(name, std::string_view(digits, error == std::errc() ? end - digits : 0));
}

void RecordWriter::Number(std::string_view name, int32_t value) {
    char digits[16];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    Text(name, std::string_view(digits, error == std::errc() ? end - digits : 0));
}

void RecordWriter::Fact(std::string_view name, std::string_view utf8) {
    text_ += kRecordFactPrefix;
    Text(name, utf8);
}

}  // namespace aldra
