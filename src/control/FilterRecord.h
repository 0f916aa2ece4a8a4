// The text GetRecord answers: a file's catalogue answers and facts in one string, one entry a line,
// the entry's name, a tab and its value. Values may hold any character a getter can answer, so a
// backslash, tab, CR and LF in them are written as \\, \t, \r and \n; nothing else is escaped.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace aldra {

class RecordWriter {
  public:
    RecordWriter() { text_.reserve(1024); }  // a catalogue record's usual size, grown without copies
    void Text(std::string_view name, std::string_view utf8);
    // As Windows-1252 text, the getters' own code page.
    void Ansi(std::string_view name, std::string_view ansi);
    // The shortest decimal that reads back as the same float.
    void Number(std::string_view name, float value);
    void Number(std::string_view name, int32_t value);
    void Fact(std::string_view name, std::string_view utf8);

    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

}  // namespace aldra
