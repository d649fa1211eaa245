// A smaller spelling of a JSON document for the web page, which unpacks it
// as it loads: every array of objects becomes one table, its members'
// names written once instead of on every element.
#pragma once

#include <string>

namespace sormel {

// `json` with every array of two or more objects written as
//   {"$packed": [[name, ...], [value, ...], ...]}
// the names being those of the objects' members in first-seen order, and
// each row the values of one object in that order (null where an object
// lacks the member, a row's missing members at its end left out). Members
// that are objects themselves are spread into the table too, named by
// their path with U+001F between the parts. Throws nlohmann's parse error
// for text that is not JSON.
std::string packedJson(const std::string& json);

}  // namespace sormel
