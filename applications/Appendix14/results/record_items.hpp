// Filling the results record at the end of an item's run, from the results
// the analysis returned: its values, its checks, the display units, the
// reasons and notes, and the verdict.
#pragma once

#include <cstddef>
#include <optional>

#include "../jacket/jacket.hpp"
#include "../opening/opening.hpp"
#include "txappendix14_record.hpp"

namespace tx14 {

enum class ItemKind { opening, jacket };

// A kind fills its values and its checks from one table each, so that the
// record's capacity is checked against every kind when it is compiled.
struct ValueRow {
    const char* key;  // null: the row is not recorded for this item
    const char* label;
    Quantity q;
    float value;
    bool applies = true;
};

struct CheckRow {
    const char* key;
    const char* label;
    Quantity q;
    float value;
    const char* relation;  // "<=" or ">="
    float limit;
    const char* reference;  // where the code states the criterion
    bool applicable = true;
    // The outcome of a rule the analysis wrote once for its report too
    // (1: fails); -1 holds the value to the limit by the relation.
    int fails = -1;
};

template <std::size_t N>
void record_values(ResultsRecord& rec, const ValueRow (&rows)[N])
{
    static_assert(N <= ResultsRecord::kValueCapacity, "the results record cannot hold every value of a kind");
    for (const ValueRow& r : rows)
        if (r.key)
            rec.add(r.key, r.label, r.q, r.value, r.applies);
}

template <std::size_t N>
void record_checks(ResultsRecord& rec, const CheckRow (&rows)[N])
{
    static_assert(N <= ResultsRecord::kCheckCapacity, "the results record cannot hold every check of a kind");
    for (const CheckRow& r : rows)
        rec.check(r.key, r.label, r.q, r.value, r.relation, r.limit, r.applicable, r.fails).reference = r.reference;
}

void record_opening_results(ResultsRecord& rec, const UnitRecord& units, const OpeningInput& in,
                            const OpeningResults& res);
void record_jacket_results(ResultsRecord& rec, const UnitRecord& units, const JacketInput& in,
                           const JacketResults& out);
// An item with fatal input errors: its messages are the reasons.
void record_input_errors(ResultsRecord& rec, const UnitRecord& units, const InputFindings& f, ItemKind kind);

}  // namespace tx14
