// Fuzz target: tx14's reading of TOML files on arbitrary text, as an item
// file and as a unit file. Whatever the text, reading returns: with an item
// whose every element is a finite number the library can take, or with
// messages that point into the text. A text nested deep enough to exhaust
// the parser's stack is refused before it is parsed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "fuzz_checks.hpp"
#include "item.hpp"
#include "unit_system.hpp"

namespace {

using namespace tx14::fuzz;
using namespace tx14::cli;
namespace fs = std::filesystem;

void check_messages(const Diagnostics& diags, const fs::path& file, std::string_view text)
{
    const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
    require(!diags.empty(), "a file refused without a message");
    for (const Diagnostic& d : diags)  // (a unit file the text names has messages of its own)
        require(d.where.file != file.string() || (d.where.line >= 0 && d.where.line <= lines),
                "a message points past the end of the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ScratchDir dir;
    const fs::path file = dir.path() / "item.toml";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(size));

    Diagnostics diags;
    UnitCatalog units;
    if (std::optional<SourceItem> item = read_item_file(file, units, diags)) {
        tx14::Context ctx;
        tx14::Options check;
        check.report = false;
        const tx14::Outcome o = analyse(ctx, *item, check, diags);
        for (const std::optional<float>& v : o.numbers)
            require(!v || std::isfinite(*v), "an item value that is not a finite number");
        if (o.refused())
            check_messages(diags, file, text);
    } else {
        check_messages(diags, file, text);
    }

    Diagnostics unit_diags;
    if (!load_unit_file(file, unit_diags))
        check_messages(unit_diags, file, text);
    return 0;
}
