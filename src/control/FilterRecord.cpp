#include "control/FilterRecord.h"

#include <charconv>
#include <cstring>

#include "platform/com/Ansi.h"

namespace aldra {

namespace {

bool HoldsEscaped(std::string_view value) {
    for (char c : {'\\', '\t', '\r', '\n'}) {
        if (std::memchr(value.data(), c, value.size()) != nullptr) return true;
    }
    return false;
}

// Most values hold nothing to escape and are copied whole; the others in runs between escapes.
void AppendEscaped(std::string_view value, std::string* out) {
    if (!HoldsEscaped(value)) {
        out->append(value);
        return;
    }
    size_t run = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const char letter = c == '\\' ? '\\' : c == '\t' ? 't' : c == '\r' ? 'r' : c == '\n' ? 'n' : 0;
        if (letter == 0) continue;
        out->append(value.substr(run, i - run));
        out->push_back('\\');
        out->push_back(letter);
        run = i + 1;
    }
    out->append(value.substr(run));
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
