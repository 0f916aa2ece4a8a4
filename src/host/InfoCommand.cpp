#include "host/InfoCommand.h"

#include <algorithm>
#include <cstdio>

#include "host/FileList.h"
#include "host/InfoFields.h"

namespace aldra::host {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr const char* kDefaultExtensions = "eps,epsf,epsi,ai";

enum class Form { Text, JsonArray, JsonLines, Csv };

// The form the options ask for; "" or the message when they ask for more than one.
std::string ChooseForm(const std::map<std::string, std::string>& options, Form* form) {
    int chosen = 0;
    *form = Form::Text;
    for (const auto& [name, value] : {std::pair{"--json", Form::JsonArray},
                                      std::pair{"--jsonl", Form::JsonLines}, std::pair{"--csv", Form::Csv}}) {
        if (options.count(name) == 0) continue;
        *form = value;
        ++chosen;
    }
    return chosen > 1 ? "--json, --jsonl and --csv exclude each other" : "";
}

// Prints the records as they come, so that a long run shows its progress and a killed one keeps
// what it printed.
class Printer {
  public:
    Printer(Form form, const FieldChoice& choice, bool raw) : form_(form), choice_(choice), raw_(raw) {
        if (form_ == Form::Csv) Put(InfoCsvHeader(choice_, raw_));
        if (form_ == Form::JsonArray) Put("[");
    }

    void Print(const FileFacts& facts) {
        bool accepted = facts.status == FileStatus::Accepted;
        switch (form_) {
            // One buffer serves every record: a record is some thirty fields.
            case Form::JsonArray:
                record_.assign(first_ ? "\n" : ",\n");
                AppendInfoJson(facts, choice_, raw_, &record_);
                Put(record_);
                break;
            case Form::JsonLines:
                record_.clear();
                AppendInfoJson(facts, choice_, raw_, &record_);
                record_ += '\n';
                Put(record_);
                break;
            case Form::Csv:
                Put(InfoCsvRow(facts, choice_, raw_));
                break;
            case Form::Text:
                // A file without facts is only the message on stderr.
                if (accepted) Put((printedText_ ? "\n" : "") + InfoText(facts, choice_));
                printedText_ = printedText_ || accepted;
                break;
        }
        first_ = false;
    }

    ~Printer() {
        if (form_ == Form::JsonArray) Put(first_ ? "]\n" : "\n]\n");
    }

  private:
    static void Put(const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
    Form form_;
    const FieldChoice& choice_;
    bool raw_;
    bool first_ = true;
    bool printedText_ = false;
    std::string record_;
};

}  // namespace

int RunInfo(const std::vector<std::string>& args, const std::map<std::string, std::string>& options,
            const InfoContext& context) {
    auto usage = [&](const std::string& message) {
        context.error("info: " + message + " (see aldra-eps info --help)");
        return kExitUsage;
    };
    if (args.empty()) return usage("no file given");
    Form form = Form::Text;
    if (std::string problem = ChooseForm(options, &form); !problem.empty()) return usage(problem);
    bool raw = options.count("--raw") > 0;
    FieldChoice choice;
    auto fields = options.find("--fields");
    if (std::string problem = ChooseFields(fields == options.end() ? "" : fields->second, raw, &choice);
        !problem.empty())
        return usage(problem);
    FileListOptions listing;
    listing.recursive = options.count("--recursive") > 0;
    auto extensions = options.find("--ext");
    if (!ParseExtensions(extensions == options.end() ? kDefaultExtensions : extensions->second,
                         &listing.extensions))
        return usage("--ext wants extensions such as eps,ai");

    std::vector<std::string> problems;
    std::vector<std::string> files = ListFiles(args, listing, &problems);
    int status = kExitOk;
    for (const std::string& problem : problems) {
        context.error(problem);
        status = kExitRefused;
    }
    std::unique_ptr<FilterSet> filters;
    if (!files.empty() && !(filters = context.openFilters())) return kExitUsage;
    Printer printer(form, choice, raw);
    bool wantsFacts = choice.allFacts || !choice.factNames.empty();
    for (const std::string& path : files) {
        FileFacts facts = ReadFileFacts(*filters, path, false, nullptr, wantsFacts);
        printer.Print(facts);
        if (facts.status == FileStatus::Accepted) continue;
        context.error(facts.path + ": " + facts.errorMessage);
        status = std::max(status, facts.status == FileStatus::Failed ? kExitUsage : kExitRefused);
    }
    return status;
}

}  // namespace aldra::host
