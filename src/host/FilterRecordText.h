// Reading the record a filter's GetRecord answers into what the host learns about a file.
#pragma once
#include <string_view>

#include "host/FilterHost.h"

namespace aldra::host {

// Lines of a name, a tab and a value with \\, \t, \r and \n escaped. The getters' answers go to their
// fields; "Fact:" entries are the document's facts, in order. A name the host does not know is
// passed over, so that a later filter may answer more.
void TakeRecord(std::string_view text, FileFacts* facts);

}  // namespace aldra::host
