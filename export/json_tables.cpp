#include "export/json_tables.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;

constexpr char kPathSeparator = '\x1F';

Json packed(const Json& value);

// The members of `object` as (path, packed value), objects spread out.
void spread(const Json& object, const std::string& prefix, std::vector<std::pair<std::string, Json>>& cells) {
    for (const auto& [key, value] : object.items()) {
        const std::string path = prefix.empty() ? key : prefix + kPathSeparator + key;
        if (value.is_object() && !value.empty()) {
            spread(value, path, cells);
        } else {
            cells.emplace_back(path, packed(value));
        }
    }
}

Json table(const Json& array) {
    std::vector<std::string> names;
    std::map<std::string, std::size_t> columnOf;
    Json rows = Json::array();
    rows.push_back(Json::array());  // the names, filled once every row is known
    for (const Json& element : array) {
        std::vector<std::pair<std::string, Json>> cells;
        spread(element, "", cells);
        Json row = Json::array();
        for (auto& [path, value] : cells) {
            auto [found, added] = columnOf.try_emplace(path, names.size());
            if (added) names.push_back(path);
            while (row.size() <= found->second) row.push_back(nullptr);
            row[found->second] = std::move(value);
        }
        rows.push_back(std::move(row));
    }
    rows[0] = names;
    Json object = Json::object();
    object["$packed"] = std::move(rows);
    return object;
}

Json packed(const Json& value) {
    if (value.is_array()) {
        const bool objects = value.size() >= 2 && std::all_of(value.begin(), value.end(), [](const Json& element) {
                                 return element.is_object();
                             });
        if (objects) return table(value);
        Json array = Json::array();
        for (const Json& element : value) array.push_back(packed(element));
        return array;
    }
    if (value.is_object()) {
        Json object = Json::object();
        for (const auto& [key, member] : value.items()) object[key] = packed(member);
        return object;
    }
    return value;
}

}  // namespace

std::string packedJson(const std::string& json) {
    return packed(Json::parse(json)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace sormel
