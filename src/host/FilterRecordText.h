// The getters' answers the host keeps of a file: read from the record a filter's GetRecord answers,
// or one call each from a filter without it.
#pragma once
#include <string_view>

#include "host/FilterHost.h"

namespace aldra::host {

// Lines of a name, a tab and a value with \\, \t, \r and \n escaped. The getters' answers go to their
// fields; "Fact:" entries are the document's facts, in order. A name the host does not know is
// passed over, so that a later filter may answer more.
void TakeRecord(std::string_view text, FileFacts* facts);

// The same answers one call each, for a filter without GetRecord.
void ReadGetters(FilterControl& control, FileFacts* facts);

}  // namespace aldra::host
