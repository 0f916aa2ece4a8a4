#include "host/Questions.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "host/Catalog.h"
#include "host/CatalogStore.h"
#include "host/Report.h"

namespace aldra::host {

namespace {

// One question as a condition on the row `f`, its value the parameter ?N.
struct Question {
    const char* option;
    const char* condition;
};

// Every condition is written once, in SQL that each back end accepts.
const Question kQuestions[] = {
    {"--font", "EXISTS (SELECT 1 FROM file_fonts l WHERE l.file_id = f.id AND l.value = ?N)"},
    {"--keyword",
     "EXISTS (SELECT 1 FROM file_keywords l WHERE l.file_id = f.id AND lower(l.value) = lower(?N))"},
    {"--creator", "lower(f.creating_software) LIKE '%' || lower(?N) || '%' ESCAPE '\\'"},
    {"--since", "f.mtime_ns >= ?N"},
};

constexpr const char* kNoPreview =
    "f.status = 'accepted' AND NOT EXISTS (SELECT 1 FROM thumbnails t WHERE t.file_id = f.id)";

std::string WithParameter(const char* condition, size_t number) {
    std::string sql = condition;
    for (size_t at; (at = sql.find("?N")) != std::string::npos;)
        sql.replace(at, 2, "?" + std::to_string(number));
    return sql;
}

// A creator is looked for as text, not as a pattern: its own % and _ match only themselves.
std::string LiteralForLike(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

void Error(const std::string& message) {
    std::fprintf(stderr, "aldra-eps: query: %s\n", TerminalText(message).c_str());
}

}  // namespace

bool ParseMoment(const std::string& text, int64_t* nanoseconds) {
    long long seconds = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "@%lld%n", &seconds, &used) == 1 && used == static_cast<int>(text.size())) {
        // Nanoseconds since 1970 span about 292 years either way; a moment beyond is no file's time.
        constexpr long long kLimit = INT64_MAX / 1000000000;
        if (seconds > kLimit || seconds < -kLimit) return false;
        *nanoseconds = seconds * 1000000000;
        return true;
    }
    std::tm tm{};
    int parsed = 0;
    char separator = ' ';
    used = 0;
    int fields =
        std::sscanf(text.c_str(), "%4d-%2d-%2d%n%c%2d:%2d%n:%2d%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &used, &separator, &tm.tm_hour, &tm.tm_min, &used, &tm.tm_sec, &used);
    parsed = used;
    if (parsed != static_cast<int>(text.size()) || (fields != 3 && fields < 6)) return false;
    if (fields > 3 && separator != ' ' && separator != 'T') return false;
    if (tm.tm_mon < 1 || tm.tm_mon > 12 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 ||
        tm.tm_min > 59 || tm.tm_sec > 60)
        return false;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    std::time_t moment = std::mktime(&tm);
    if (moment == static_cast<std::time_t>(-1)) return false;
    *nanoseconds = static_cast<int64_t>(moment) * 1000000000;
    return true;
}

int RunQuery(const std::vector<std::string>& args, const std::map<std::string, std::string>& options) {
    if (!args.empty()) return Error("unexpected '" + args[0] + "' (questions are options)"), 2;
    std::vector<std::string> conditions;
    std::vector<SqlValue> params;
    for (const Question& question : kQuestions) {
        auto it = options.find(question.option);
        if (it == options.end()) continue;
        if (std::string(question.option) == "--since") {
            int64_t since = 0;
            if (!ParseMoment(it->second, &since))
                return Error(
                           "--since wants a day such as 2024-05-01, a moment such as '2024-05-01 13:30' or "
                           "@SECONDS, got '" +
                           it->second + "'"),
                       2;
            params.push_back(SqlValue::Int(since));
        } else {
            params.push_back(SqlValue::Text(
                question.option == std::string("--creator") ? LiteralForLike(it->second) : it->second));
        }
        conditions.push_back(WithParameter(question.condition, params.size()));
    }
    bool noPreview = options.count("--no-preview") > 0;
    if (noPreview) conditions.push_back(kNoPreview);
    if (conditions.empty())
        return Error("no question asked: --font, --keyword, --creator, --since or --no-preview"), 2;

    std::string sql = "SELECT f.path, f.thumbnail_error, f.thumbnail_size FROM files f WHERE ";
    for (size_t i = 0; i < conditions.size(); ++i) sql += (i ? " AND " : "") + conditions[i];
    sql += " ORDER BY f.path";

    auto it = options.find("--db");
    std::string database = it != options.end() ? it->second : CatalogOptions{}.database;
    HostError error;
    std::unique_ptr<CatalogStore> store = OpenCatalogStore(database, false, &error);
    if (!store) return Error(error.message), 2;
    std::vector<std::vector<std::string>> rows;
    if ((error = store->Ask(sql, params, &rows))) return Error(error.message), 2;
    // Paths as the file system has them, for xargs; on a terminal a name's control characters are
    // shown, not obeyed. The reason is only the catalogue's text.
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    for (const std::vector<std::string>& row : rows) {
        const std::string path = terminal ? TerminalText(row[0]) : row[0];
        std::fwrite(path.data(), 1, path.size(), stdout);
        if (noPreview) {
            std::string why = !row[1].empty() ? row[1] : row[2] == "0" ? "no thumbnail was asked for" : "";
            std::printf("\t%s", TerminalText(why).c_str());
        }
        std::fputc('\n', stdout);
    }
    return rows.empty() ? 1 : 0;
}

}  // namespace aldra::host
