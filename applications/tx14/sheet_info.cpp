// Reading a batch's sheet texts.
#include "sheet_info.hpp"

#include "toml_reading.hpp"
#include "txappendix14_items.hpp"

namespace tx14::cli {

std::string sheet_keys()
{
    std::string s;
    for (const SheetKey& k : kSheetKeys)
        s += (s.empty() ? "" : ", ") + std::string(k.name);
    return s;
}

bool is_sheet_key(std::string_view name)
{
    for (const SheetKey& k : kSheetKeys)
        if (k.name == name)
            return true;
    return false;
}

namespace {

void read_texts(const toml::table& sheet, const std::string& name, std::vector<SheetInfoText>& texts,
                Diagnostics& diags)
{
    for (auto [key, value] : in_file_order(sheet)) {
        const std::string k(key->str());
        const Position at = position_of(name, key->source());
        if (!is_sheet_key(k)) {
            diags.push_back({at, "unknown key \"" + k + "\" in [sheet]; valid keys: " + sheet_keys()});
            continue;
        }
        const auto* text = value->as_string();
        if (!text) {
            diags.push_back({at, "\"" + k + "\" expects a text, found " + std::string(type_name(*value))});
            continue;
        }
        if (std::optional<std::string> problem = sheet_text_problem(text->get()))
            diags.push_back({at, "\"" + k + "\": " + *problem});
        else if (!text->get().empty())
            texts.push_back({k, text->get(), at});
    }
}

}  // namespace

std::optional<std::vector<SheetInfoText>> read_sheet_info(const std::filesystem::path& file, Diagnostics& diags)
{
    const std::size_t before = diags.size();
    std::optional<toml::table> table = parse_toml_file(file, diags);
    if (!table)
        return std::nullopt;
    const std::string name = file.string();
    std::vector<SheetInfoText> texts;
    for (auto [key, value] : in_file_order(*table)) {
        const Position at = position_of(name, key->source());
        if (key->str() != "sheet")
            diags.push_back({at, "unknown key \"" + std::string(key->str()) +
                                     "\"; a sheet-info file holds one [sheet] table of " + sheet_keys()});
        else if (const toml::table* sheet = value->as_table())
            read_texts(*sheet, name, texts, diags);
        else
            diags.push_back({at, "\"sheet\" expects a table ([sheet]), found " + std::string(type_name(*value))});
    }
    if (!table->contains("sheet"))
        diags.push_back({{name}, "no [sheet] table; expected [sheet] with any of " + sheet_keys()});
    if (diags.size() != before)
        return std::nullopt;
    return texts;
}

}  // namespace tx14::cli
