// Reading TOML files with positions for the messages about them.
#include "toml_reading.hpp"

#include <algorithm>
#include <string>

#include "text_file.hpp"

namespace tx14::cli {

std::string_view type_name(const toml::node& value)
{
    switch (value.type()) {
    case toml::node_type::string:
        return "a text";
    case toml::node_type::integer:
        return "a whole number";
    case toml::node_type::floating_point:
        return "a number";
    case toml::node_type::boolean:
        return "true or false";
    case toml::node_type::date:
    case toml::node_type::time:
    case toml::node_type::date_time:
        return "a date or time";
    case toml::node_type::array:
        return "an array";
    case toml::node_type::table:
        return "a table";
    default:
        return "nothing";
    }
}

std::vector<std::pair<const toml::key*, const toml::node*>> in_file_order(const toml::table& table)
{
    std::vector<std::pair<const toml::key*, const toml::node*>> keys;
    for (auto&& [key, node] : table)
        keys.emplace_back(&key, &node);
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        const toml::source_position &pa = a.first->source().begin, &pb = b.first->source().begin;
        return pa.line != pb.line ? pa.line < pb.line : pa.column < pb.column;
    });
    return keys;
}

namespace {

// Reads the text front to back keeping its line and column; strings and
// comments are skipped whole.
class TomlScanner {
public:
    explicit TomlScanner(std::string_view text) : text_(text) {}

    bool done() const { return i_ >= text_.size(); }
    char peek(std::size_t ahead = 0) const { return i_ + ahead < text_.size() ? text_[i_ + ahead] : '\0'; }
    int line() const { return line_; }
    int column() const { return static_cast<int>(i_ - line_start_) + 1; }

    char next()
    {
        char c = text_[i_++];
        if (c == '\n') {
            ++line_;
            line_start_ = i_;
        }
        return c;
    }

    // After the opening quote: to the closing one (or the end of the line
    // for an unclosed one-line string).
    void skip_string(char quote)
    {
        const bool multi_line = peek() == quote && peek(1) == quote;
        if (multi_line) {
            i_ += 2;
            while (!done() && !(peek() == quote && peek(1) == quote && peek(2) == quote)) {
                if (next() == '\\' && quote == '"' && !done())
                    next();
            }
            i_ = std::min(i_ + 3, text_.size());
            while (peek() == quote)  // up to two quotes may end the string's text
                ++i_;
            return;
        }
        while (!done() && peek() != '\n') {
            char c = next();
            if (c == quote)
                return;
            if (c == '\\' && quote == '"' && !done() && peek() != '\n')
                next();
        }
    }

    void skip_comment()
    {
        while (!done() && peek() != '\n')
            next();
    }

private:
    std::string_view text_;
    std::size_t i_ = 0, line_start_ = 0;
    int line_ = 1;
};

}  // namespace

std::optional<Position> too_deep(std::string_view text, const std::string& file)
{
    struct Open {
        char close;  // ']' for an array, '}' for an inline table
        int depth;
    };
    std::vector<Open> open;  // not deeper than the limit: checked when opened
    enum { key, header, value, rest_of_line } at = key;
    int table = 0;        // depth of the current [table]
    int parts = 1;        // parts of the key or header being read
    int array_table = 0;  // 1 in a [[header]]
    int value_depth = 0;  // depth of the value about to start
    TomlScanner s(text);
    auto with_file = [&](Position where) {
        where.file = file;
        return where;
    };
    while (!s.done()) {
        const Position here{{}, s.line(), s.column()};
        const char c = s.next();
        const int base = open.empty() ? table : open.back().depth;
        if (c == '"' || c == '\'') {
            s.skip_string(c);
        } else if (c == '#') {
            s.skip_comment();
        } else if (c == '\n') {
            if (open.empty()) {
                at = key;
                parts = 1;
            }
        } else if (at == key && c == '[' && open.empty()) {
            at = header;
            parts = 1;
            array_table = s.peek() == '[' ? 1 : 0;
            if (array_table)
                s.next();
        } else if (at == header && c == '.') {
            if (++parts + array_table > kMaxTomlDepth)
                return with_file(here);
        } else if (at == header && c == ']') {
            table = parts + array_table;
            at = rest_of_line;
        } else if (at == key && c == '.') {
            if (base + ++parts > kMaxTomlDepth)
                return with_file(here);
        } else if (at == key && c == '=') {
            value_depth = base + parts;
            if (value_depth > kMaxTomlDepth)
                return with_file(here);
            at = value;
        } else if ((at == key || at == value) && (c == '}' || c == ']') && !open.empty()) {
            open.pop_back();
            at = value;
            value_depth = open.empty() ? 0 : open.back().depth + 1;
        } else if (at == value && (c == '[' || c == '{')) {
            if (value_depth + 1 > kMaxTomlDepth)
                return with_file(here);
            open.push_back({c == '[' ? ']' : '}', value_depth});
            value_depth = open.back().depth + 1;
            at = c == '[' ? value : key;
            parts = 1;
        } else if (at == value && c == ',' && !open.empty()) {
            at = open.back().close == '}' ? key : value;
            parts = 1;
            value_depth = open.back().depth + 1;
        }
    }
    return std::nullopt;
}

std::optional<toml::table> parse_toml_text(std::string_view text, const std::string& file, Diagnostics& diags)
{
    if (std::optional<Position> where = too_deep(text, file)) {
        diags.push_back({*where, "nested deeper than " + std::to_string(kMaxTomlDepth) +
                                     " levels (table names, dotted keys, arrays and inline "
                                     "tables together); refused"});
        return std::nullopt;
    }
    try {
        return toml::parse(text, file);
    } catch (const toml::parse_error& e) {
        diags.push_back({position_of(file, e.source()), std::string(e.description())});
        return std::nullopt;
    }
}

std::optional<toml::table> parse_toml_file(const std::filesystem::path& file, Diagnostics& diags)
{
    std::optional<std::string> text = read_text_file(file, diags);
    if (!text)
        return std::nullopt;
    return parse_toml_text(*text, file.string(), diags);
}

}  // namespace tx14::cli
