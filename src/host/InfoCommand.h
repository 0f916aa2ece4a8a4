// `aldra-eps info`: the facts of files and of the files below folders, as text, one JSON array,
// JSON lines or CSV.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/FilterHost.h"

namespace aldra::host {

// What the command needs of the program: its filters, and its way of saying what went wrong.
struct InfoContext {
    std::function<std::unique_ptr<FilterSet>()> openFilters;
    std::function<void(const std::string& message)> error;
};

// The exit status: 0, 1 when a file was not for the filter or refused or a folder could not be
// listed, 2 for a usage error or a file that could not be read.
int RunInfo(const std::vector<std::string>& args, const std::map<std::string, std::string>& options,
            const InfoContext& context);

}  // namespace aldra::host
