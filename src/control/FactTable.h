// The facts of a document beyond the catalogue record, as named texts for the information
// interface (FactNames / GetFact): UTF-8 values, lists one entry a line, and only the facts the
// document has, in a fixed order.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "eps/DscFacts.h"
#include "eps/IptcText.h"
#include "eps/XmpFacts.h"

namespace aldra {

using FactList = std::vector<std::pair<std::string, std::string>>;

FactList ComposeFacts(const DscFacts& dsc, const XmpFacts& xmp, const IptcText& iptc);

// The names, one a line; and a fact's value, "" for a name the document lacks.
std::string FactNamesOf(const FactList& facts);
std::string FactValueOf(const FactList& facts, const std::string& name);

}  // namespace aldra
