#include "export/json_tables.h"

#include <deque>
#include <istream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "export/json_text.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;

constexpr char kPathSeparator = '\x1F';
constexpr std::size_t kPiece = 64 * 1024;

// `[a,b,…]`, each item written by `each`.
template <typename Items, typename Each>
void appendArray(std::string& out, const Items& items, Each each) {
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        each(out, items[i]);
    }
    out += ']';
}

// Reads the document's events and writes the packed text. Each open value
// is a frame; a value inside a table row is made apart (`captured`) and
// put in its cell once whole, since a row's cells go in the order of the
// table's names, not of the element's members.
class Packer {
public:
    explicit Packer(const std::function<void(std::string_view)>& write) : write_(write) {}

    // Values are written again as the JSON report's own writer writes them.
    bool null() {
        return scalar([](std::string& out) { appendJsonNull(out); });
    }
    bool boolean(bool value) {
        return scalar([value](std::string& out) { appendJsonBool(out, value); });
    }
    bool number_integer(Json::number_integer_t value) {
        return scalar([value](std::string& out) { appendJsonInteger(out, value); });
    }
    bool number_unsigned(Json::number_unsigned_t value) {
        return scalar([value](std::string& out) { out += std::to_string(value); });
    }
    bool number_float(Json::number_float_t value, const std::string&) {
        return scalar([value](std::string& out) { appendJsonDouble(out, value); });
    }
    bool string(std::string& value) {
        return scalar([&value](std::string& out) { appendJsonString(out, value); });
    }
    bool binary(Json::binary_t&) { throw std::logic_error("a JSON text holds no binary values"); }
    bool start_object(std::size_t);
    bool key(std::string& name);
    bool end_object();
    bool start_array(std::size_t);
    bool end_array();
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) { throw error; }

    void finish() {
        if (!stream_.empty()) write_(stream_);
        stream_.clear();
    }

private:
    enum class Kind {
        Object,      // written as it comes
        Array,       // written as it comes
        Undecided,   // an array before its first element
        Table,       // an array of objects: rows, then names
        Row,         // an element of a table: its members are cells
        Spread,      // a member object of a row: its members are cells too
        MaybeSpread  // the same before its first member: empty, it is a cell
    };
    struct Frame {
        Kind kind;
        std::string* out = nullptr;  // where this value's text goes
        std::string suffix;          // written after the value
        bool first = true;
        // A value that is a cell: its text, and the cell's path and table.
        bool isCell = false;
        std::string captured;
        std::string cellPath;
        std::size_t cellTable = 0;
        // Row, Spread, MaybeSpread: the path of their members, the table.
        std::string path;
        std::string key;
        std::size_t table = 0;
        // Table: the names so far and the row being read.
        std::vector<std::string> names;
        std::unordered_map<std::string, std::size_t> columnOf;
        std::vector<std::optional<std::string>> cells;
    };

    struct Place {
        std::string* out = nullptr;
        std::string suffix;
        bool isCell = false;
        std::string cellPath;
        std::size_t cellTable = 0;
    };
    static Place written(std::string* out, std::string suffix = {}) {
        Place place;
        place.out = out;
        place.suffix = std::move(suffix);
        return place;
    }
    static Place cell(std::string path, std::size_t table) {
        Place place;
        place.isCell = true;
        place.cellPath = std::move(path);
        place.cellTable = table;
        return place;
    }
    Place beginValue(bool isObject);
    template <typename Write>
    bool scalar(const Write& write);
    Frame& push(Kind kind, Place place);
    void endValue(Frame& frame);
    void setCell(std::size_t table, const std::string& path, std::string text);
    std::string childPath(const Frame& frame) const {
        return frame.path.empty() ? frame.key : frame.path + kPathSeparator + frame.key;
    }
    void passOn() {
        if (stack_.empty() || stream_.size() >= kPiece) finish();
    }

    const std::function<void(std::string_view)>& write_;
    std::deque<Frame> stack_;  // references stay valid as frames come and go
    std::string stream_;
};

Packer::Frame& Packer::push(Kind kind, Place place) {
    Frame& frame = stack_.emplace_back();
    frame.kind = kind;
    frame.suffix = std::move(place.suffix);
    frame.isCell = place.isCell;
    frame.cellPath = std::move(place.cellPath);
    frame.cellTable = place.cellTable;
    frame.out = frame.isCell ? &frame.captured : place.out;
    return frame;
}

// Where the next value goes, after what its container writes before it.
// A table decides here on its first element.
Packer::Place Packer::beginValue(bool isObject) {
    if (stack_.empty()) return written(&stream_);
    Frame& parent = stack_.back();
    switch (parent.kind) {
    case Kind::Object:
        return written(parent.out);
    case Kind::Undecided:
        if (isObject) {
            parent.kind = Kind::Table;
            parent.first = false;
            *parent.out += "{\"$packed\":[";
            return written(parent.out);
        }
        parent.kind = Kind::Array;
        *parent.out += '[';
        parent.first = false;
        return written(parent.out);
    case Kind::Array:
        if (!parent.first) *parent.out += ',';
        parent.first = false;
        return written(parent.out);
    case Kind::Table:
        if (!parent.first) *parent.out += ',';
        parent.first = false;
        if (isObject) return written(parent.out);
        *parent.out += "{\"$value\":";
        return written(parent.out, "}");
    case Kind::Row:
    case Kind::Spread:
        return cell(childPath(parent), parent.table);
    case Kind::MaybeSpread:
        break;
    }
    throw std::logic_error("a value where a member name belongs");
}

template <typename Write>
bool Packer::scalar(const Write& write) {
    Place place = beginValue(false);
    if (place.isCell) {
        std::string text;
        write(text);
        setCell(place.cellTable, place.cellPath, std::move(text));
    } else {
        write(*place.out);
        *place.out += place.suffix;
    }
    passOn();
    return true;
}

bool Packer::start_object(std::size_t) {
    const bool inTable = !stack_.empty() && (stack_.back().kind == Kind::Table || stack_.back().kind == Kind::Undecided);
    const std::size_t table = stack_.size() - 1;
    Place place = beginValue(true);
    if (inTable) {
        Frame& row = push(Kind::Row, std::move(place));
        row.table = table;
    } else if (place.isCell) {
        // A member object of a row: spread, unless it turns out empty.
        Frame& spread = push(Kind::MaybeSpread, std::move(place));
        spread.path = spread.cellPath;
        spread.table = spread.cellTable;
    } else {
        Frame& object = push(Kind::Object, std::move(place));
        *object.out += '{';
    }
    return true;
}

bool Packer::key(std::string& name) {
    Frame& frame = stack_.back();
    if (frame.kind == Kind::Object) {
        if (!frame.first) *frame.out += ',';
        frame.first = false;
        appendJsonKey(*frame.out, name);
    } else {
        if (frame.kind == Kind::MaybeSpread) frame.kind = Kind::Spread;
        frame.key = std::move(name);
    }
    return true;
}

bool Packer::end_object() {
    Frame& frame = stack_.back();
    switch (frame.kind) {
    case Kind::Object:
        *frame.out += '}';
        break;
    case Kind::Row: {
        Frame& table = stack_[frame.table];
        appendArray(*table.out, table.cells,
                    [](std::string& out, const std::optional<std::string>& cell) { out += cell ? *cell : "null"; });
        table.cells.clear();
        break;
    }
    case Kind::MaybeSpread:
        setCell(frame.table, frame.path, "{}");
        stack_.pop_back();
        passOn();
        return true;
    case Kind::Spread:
        stack_.pop_back();
        return true;
    default:
        throw std::logic_error("an object ends where an array should");
    }
    endValue(frame);
    return true;
}

bool Packer::start_array(std::size_t) {
    push(Kind::Undecided, beginValue(false));
    return true;
}

bool Packer::end_array() {
    Frame& frame = stack_.back();
    switch (frame.kind) {
    case Kind::Undecided:
        *frame.out += "[]";
        break;
    case Kind::Array:
        *frame.out += ']';
        break;
    case Kind::Table: {
        *frame.out += "],\"$names\":";
        appendArray(*frame.out, frame.names, [](std::string& out, const std::string& name) { appendJsonString(out, name); });
        *frame.out += '}';
        break;
    }
    default:
        throw std::logic_error("an array ends where an object should");
    }
    endValue(frame);
    return true;
}

// The value of the top frame is whole: it goes to its cell, or is closed.
void Packer::endValue(Frame& frame) {
    if (frame.isCell) {
        setCell(frame.cellTable, frame.cellPath, std::move(frame.captured));
    } else {
        *frame.out += frame.suffix;
    }
    stack_.pop_back();
    passOn();
}

void Packer::setCell(std::size_t table, const std::string& path, std::string text) {
    Frame& frame = stack_[table];
    const auto [found, added] = frame.columnOf.try_emplace(path, frame.names.size());
    if (added) frame.names.push_back(path);
    if (frame.cells.size() <= found->second) frame.cells.resize(found->second + 1);
    frame.cells[found->second] = std::move(text);
}

}  // namespace

void packJson(std::istream& json, const std::function<void(std::string_view)>& write) {
    Packer packer(write);
    Json::sax_parse(json, &packer);
    packer.finish();
}

std::string packedJson(const std::string& json) {
    std::istringstream in(json);
    std::string out;
    packJson(in, [&out](std::string_view piece) { out += piece; });
    return out;
}

}  // namespace sormel
