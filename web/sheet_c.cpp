// The calculation sheet from C, for the page: an item, as the JSON object
// the typed entry takes, run on a context of its own and its sheet written
// as tx14 writes it (the same document, thickness sweep included); and the
// sketch of an item being entered, beside the page's form.
#include <string>

#include "../applications/Appendix14/entry/guarded.hpp"  // the entry's guard of C entry points
#include "item_sheet.hpp"
#include "txappendix14.hpp"

namespace {

const char* sheet_html(const char* item, std::size_t size, const char* name, const char* sha256, const char* date_time,
                       int letter)
{
    static std::string html;
    std::string error;
    std::optional<tx14::Item> given = tx14::item_from_json(std::string_view(item, size), error);
    if (!given)
        return nullptr;
    tx14::Context ctx, scratch;
    const tx14::Outcome outcome = ctx.analyse(*given);
    if (!outcome.ran())
        return nullptr;
    tx14::Options sweep;
    sweep.report = false;
    auto rerun = [&](const tx14::Change& change) { return scratch.analyse(*given, sweep, &change); };
    html = tx14::sheet::html(
        tx14::sheet::document_of(outcome, rerun,
                                 {name, sha256, date_time, std::string("TXAppendix14 ") + tx14_version(),
                                  letter ? tx14::sheet::Paper::letter : tx14::sheet::Paper::a4}));
    return html.c_str();
}

const char* sketch_svg(const char* item, std::size_t size, const char* focus_key)
{
    static std::string svg;
    std::string error;
    std::optional<tx14::Item> given = tx14::item_from_json(std::string_view(item ? item : "", size), error);
    if (!given)
        return nullptr;
    svg = tx14::sheet::standalone_sketch_svg(tx14::sheet::sketch_of_item(*given, focus_key ? focus_key : ""));
    return svg.c_str();
}

}  // namespace

extern "C" {

// The sheet of an item (UTF-8 JSON of `size` bytes), with the input's name,
// SHA-256 and date as the sheet shows them, on A4 paper or, with `letter`,
// US letter. A NUL-terminated UTF-8 document, valid until the next call;
// NULL for a NULL argument, an item that is not a JSON object, an item the
// entry refuses, or memory running out.
__attribute__((visibility("default"))) const char* tx14_sheet_html(const char* item, std::size_t size, const char* name,
                                                                   const char* sha256, const char* date_time,
                                                                   int letter)
{
    if (item == nullptr || name == nullptr || sha256 == nullptr || date_time == nullptr)
        return nullptr;
    return tx14::guarded([&] { return sheet_html(item, size, name, sha256, date_time, letter); },
                         static_cast<const char*>(nullptr));
}

// The sketch of an item being entered (UTF-8 JSON of `size` bytes, an
// object as tx14_batch_run takes one; any key may be missing or hold
// anything): its kind's component drawn with the dimensions it gives that
// are numbers above 0, a usual one's for the others, and the dimension of
// the form field `focus_key` highlighted (empty or NULL: none). An SVG
// document of its own, styles inside, NUL-terminated UTF-8, valid until the
// next call; NULL for a text that is not a JSON object, or memory running out.
__attribute__((visibility("default"))) const char* tx14_sketch_svg(const char* item, std::size_t size,
                                                                   const char* focus_key)
{
    if (item == nullptr && size > 0)
        return nullptr;
    return tx14::guarded([&] { return sketch_svg(item, size, focus_key); }, static_cast<const char*>(nullptr));
}

}  // extern "C"
