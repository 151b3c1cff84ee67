// JSON as the typed entry's C interface speaks it: a small reader for the
// items a front end sends (arrays of objects of numbers, texts, nulls and
// a unit system), and the writing of numbers and texts.
#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tx14::json {

struct Value;
struct Member;
using Array = std::vector<Value>;
using Object = std::vector<Member>;  // members in the order written

struct Value {
    std::variant<std::nullptr_t, bool, double, std::string, Array, Object> v;
    const Value* member(std::string_view name) const;  // nullptr when not an object or no such member
};

// A member of an object: a class of its own, not a std::pair, whose
// traits would need Value complete while Value is being defined.
struct Member {
    std::string name;
    Value value;
};

// The value of a JSON text (numbers as the nearest double; the literals
// NaN, Infinity and -Infinity that some writers emit too), or nullopt with
// the reason and the byte offset where it stops. Nested at most 64 deep.
std::optional<Value> parse(std::string_view text, std::string& error);

// A decimal number as a text holds it ("3.5", "-1e-3"), as the double
// nearest to it; nullopt for anything else.
std::optional<double> parse_decimal(std::string_view s);

// Appends a JSON string: quotes, escapes, and U+FFFD for what is not UTF-8.
void append_string(std::string& out, std::string_view utf8);
// Appends a float or a double in the fewest digits that give it back; null
// when it is not finite.
template <class Number>
void append_number(std::string& out, Number v)
{
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, ec == std::errc() ? end : buf);
}

}  // namespace tx14::json
