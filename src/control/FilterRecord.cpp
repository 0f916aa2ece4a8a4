#include "control/FilterRecord.h"

#include <charconv>

#include "aldra/DispIds.h"
#include "platform/com/Ansi.h"

namespace aldra {

namespace {

char EscapeLetter(char c) {
    return c == '\\' ? '\\' : c == '\t' ? 't' : c == '\r' ? 'r' : c == '\n' ? 'n' : 0;
}

// In runs between escapes: most values hold nothing to escape and are copied whole.
void AppendEscaped(std::string_view value, std::string* out) {
    size_t run = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        const char letter = EscapeLetter(value[i]);
        if (letter == 0) continue;
        out->append(value.substr(run, i - run));
        out->push_back('\\');
        out->push_back(letter);
        run = i + 1;
    }
    out->append(value.substr(run));
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

void RecordWriter::Text(std::string_view name, std::string_view utf8) {
    text_ += name;
    text_ += '\t';
    AppendEscaped(utf8, &text_);
    text_ += '\n';
}

// Most getter texts are ASCII, which reads the same in both.
void RecordWriter::Ansi(std::string_view name, std::string_view ansi) {
    if (IsAscii(ansi)) {
        Text(name, ansi);
        return;
    }
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
