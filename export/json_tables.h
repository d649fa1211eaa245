// A smaller spelling of a JSON document for the web page, which unpacks it
// as it loads: every array of objects becomes one table, its members'
// names written once instead of on every element. The document is read
// and written as a stream: only a table row that is still open (with the
// tables inside it) is held.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace sormel {

// `json` with every array whose first element is an object written as
//   {"$packed": [[value, ...], ...], "$names": [name, ...]}
// each row the values of one element in the order of `$names`, which
// lists the elements' members in first-seen order (null where an element
// lacks the member, a row's missing members at its end left out). Members
// that are objects themselves are spread into the table too, named by
// their path with U+001F between the parts. An element that is no object
// stands in its table as {"$value": value}. The packed text goes to
// `write` in pieces as it is made. Throws nlohmann's parse error for text
// that is not JSON (after writing what came before it).
void packJson(std::istream& json, const std::function<void(std::string_view)>& write);
std::string packedJson(const std::string& json);

}  // namespace sormel
