// The results record of an item its validation refused: each fatal
// finding is a reason, in the words of its report message.
#include <string_view>

#include "../jacket/jacket_item.hpp"
#include "record_items.hpp"

namespace tx14 {

void record_input_errors(ResultsRecord& rec, const UnitRecord& units, const InputFindings& f, ItemKind kind)
{
    constexpr const char* kMessage = "{m}";  // as the report prints it
    rec.set_units(units);
    for (int i = 0; i < f.count; ++i) {
        const std::int32_t code = f.codes[static_cast<std::size_t>(i)];
        if (kind == ItemKind::opening) {
            const OpeningMessage m = opening_message(code);
            (m.fatal ? rec.reason("input_error", kMessage) : rec.note("small_opening", kMessage)).words[0] =
                m.text.data();
        } else {
            rec.reason("input_error", kMessage).words[0] = jacket_message(code).data();
        }
    }
    rec.finish();
}

}  // namespace tx14
