// TXAppendix14 C++ interface: run items on a context of your own.
//
// The exported C entry points (txappendix14.h) share one process-wide run
// state, as the host application expects. A Context owns a complete run
// state of its own instead, so that separate contexts can analyse items on
// separate threads at the same time. The arguments of analyse() are those
// of LGCENTER without the hidden length words and the unused words; the
// run mode is accepted and not used.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "txappendix14.h"
#include "txappendix14_context.h"
#include "txappendix14_items.hpp"

namespace tx14 {

struct State;

class TX_CXX_API Context {
public:
    Context();
    ~Context();
    Context(Context&&) noexcept;
    Context& operator=(Context&&) noexcept;
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // Checks and runs an item of the typed entry (txappendix14_items.hpp)
    // on this context. The second form reuses an outcome's room (its report
    // lines above all) from one item to the next.
    Outcome analyse(const Item& item, const Options& options = {}, const Change* change = nullptr);
    void analyse(const Item& item, Outcome& outcome, const Options& options = {}, const Change* change = nullptr);

    // Runs one item of the host's arrays, exactly as LGCENTER does.
    void analyse(float* reals, const char* texts, const char* run_mode, std::int32_t* error_count,
                 const char* report_file, const char* unit_labels, const float* unit_factors,
                 std::int32_t* print_control);

    // This context's line capture block (the layout GETLINESCOMAUX points
    // to: 500 records of 125 characters, the count at offset 62500).
    const void* capture_block() const;

    // Number of captured lines of the last run, and record i (from 0) as
    // its 125 characters.
    int captured_lines() const;
    std::string_view captured_record(int i) const;

    // Fatal input errors the last run found, for either item kind (LGCENTER
    // returns the count of a large opening only).
    int input_errors() const;

    // The results record of the last run (see txappendix14_context.h):
    // values, checks, reasons, notes, verdict (TX14_ACCEPTABLE, ...) and
    // the governing check's index (-1: none). value(), check(), reason()
    // and note() are false out of range.
    int value_count() const;
    bool value(int i, tx14_value& out) const;
    int check_count() const;
    bool check(int i, tx14_check& out) const;
    const char* check_reference(int i) const;  // nullptr out of range
    int reason_count() const;
    bool reason(int i, tx14_note& out) const;
    int note_count() const;
    bool note(int i, tx14_note& out) const;
    int verdict() const;
    int governing() const;
    // The C library's error number (errno) of the first failed open, write
    // or close of the report file in the last run, 0 when every record
    // reached it or the run captured its lines. The host's entry points
    // have no way to say so; their report file loses the records.
    int report_file_error() const;

    // The special-character flag of this context (FLAGS_mp_IINOSPECIAL for
    // the exported entry): 1 turns special characters into plain text.
    void set_no_special(std::int32_t flag);

private:
    friend State& context_state(Context& c);  // entry/context_state.hpp
    std::unique_ptr<State> state_;
};

}  // namespace tx14
