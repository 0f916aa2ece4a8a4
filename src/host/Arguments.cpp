#include "host/Arguments.h"

#include <cctype>

namespace aldra::host {

namespace {

// A negative number or a lone "-" (standard input or output) is an operand wherever it stands.
bool IsOperand(const std::string& word) {
    return word.size() < 2 || word[0] != '-' || std::isdigit(static_cast<unsigned char>(word[1]));
}

class Parser {
  public:
    Parser(const std::vector<std::string>& words, const std::set<std::string>& values,
           const std::set<std::string>& flags, const std::vector<ShortOption>& shorts, ParsedWords* parsed)
        : words_(words), values_(values), flags_(flags), shorts_(shorts), parsed_(parsed) {}

    std::string Run() {
        bool optionsEnded = false;
        for (next_ = 0; next_ < words_.size();) {
            const std::string& word = words_[next_++];
            std::string error;
            if (optionsEnded || IsOperand(word)) {
                parsed_->operands.push_back(word);
            } else if (word == "--") {
                optionsEnded = true;
            } else if (word.rfind("--", 0) == 0) {
                error = Long(word);
            } else {
                error = Shorts(word);
            }
            if (!error.empty()) return error;
        }
        return {};
    }

  private:
    std::string Long(const std::string& word) {
        size_t equals = word.find('=');
        std::string name = word.substr(0, equals);
        bool inlineValue = equals != std::string::npos;
        if (name == "--help") {
            parsed_->help = true;
        } else if (values_.count(name) && !inlineValue) {
            return TakeValue(name);
        } else if (values_.count(name)) {
            parsed_->options[name] = word.substr(equals + 1);
        } else if (flags_.count(name) && !inlineValue) {
            parsed_->options[name] = "";
        } else {
            return "unknown option " + word;
        }
        return {};
    }

    // `-qf`, `-s 256`, `-s256`: letters are flags until one that takes a value, which takes the rest.
    std::string Shorts(const std::string& word) {
        for (size_t i = 1; i < word.size(); ++i) {
            if (word[i] == 'h') {
                parsed_->help = true;
                continue;
            }
            std::string name = LongNameOf(word[i]);
            if (values_.count(name) && i + 1 == word.size()) return TakeValue(name);
            if (values_.count(name)) {
                parsed_->options[name] = word.substr(i + 1);
                return {};
            }
            if (!flags_.count(name)) return "unknown option -" + std::string(1, word[i]);
            parsed_->options[name] = "";
        }
        return {};
    }

    // The next word is the value whatever it looks like: `--size -5` is a size of -5, refused as such.
    std::string TakeValue(const std::string& name) {
        if (next_ >= words_.size()) return name + " needs a value";
        parsed_->options[name] = words_[next_++];
        return {};
    }

    std::string LongNameOf(char letter) const {
        for (const ShortOption& option : shorts_)
            if (option.letter == letter && (values_.count(option.name) || flags_.count(option.name)))
                return option.name;
        return {};
    }

    const std::vector<std::string>& words_;
    const std::set<std::string>& values_;
    const std::set<std::string>& flags_;
    const std::vector<ShortOption>& shorts_;
    ParsedWords* parsed_;
    size_t next_ = 0;
};

}  // namespace

std::string ParseWords(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                       const std::set<std::string>& flagOptions, const std::vector<ShortOption>& shorts,
                       ParsedWords* parsed) {
    return Parser(words, valueOptions, flagOptions, shorts, parsed).Run();
}

}  // namespace aldra::host
