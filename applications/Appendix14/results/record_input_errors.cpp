// The results record of an item its validation refused: each fatal
// finding is a reason, in the words of its report message.
#include <string_view>

#include "../jacket/jacket_item.hpp"
#include "record_items.hpp"

namespace tx14 {
namespace {

// The message as the report prints it: runs of blanks squeezed to one,
// no blank at either end.
void add_message(ResultsRecord& rec, bool fatal, std::string_view message)
{
    NoteText t(rec);
    bool blank = true;  // drops leading blanks
    for (char c : message) {
        if (c == ' ' && blank)
            continue;
        blank = c == ' ';
        t.text(std::string_view(&c, 1));
    }
    std::string_view text = t.view();
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (fatal)
        rec.reason("input_error", text);
    else
        rec.note("small_opening", text);  // the one finding that is a note
}

}  // namespace

void record_input_errors(ResultsRecord& rec, const UnitRecord& units, const InputFindings& f,
                         ItemKind kind)
{
    rec.set_units(units);
    for (int i = 0; i < f.count; ++i) {
        const std::int32_t code = f.codes[static_cast<std::size_t>(i)];
        if (kind == ItemKind::opening) {
            const OpeningMessage m = opening_message(code);
            add_message(rec, m.fatal, m.text);
        } else {
            add_message(rec, true, jacket_message(code));
        }
    }
    rec.finish();
}

}  // namespace tx14
