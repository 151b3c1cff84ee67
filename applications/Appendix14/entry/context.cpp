// The C++ context API: a run state owned by the caller.
#include "../include/txappendix14.hpp"

#include "context_state.hpp"
#include "lgcenter.hpp"

namespace tx14 {

Context::Context() : state_(std::make_unique<State>()) {}
Context::~Context() = default;
Context::Context(Context&&) noexcept = default;
Context& Context::operator=(Context&&) noexcept = default;

void Context::analyse(float* reals, const char* texts, const char* /*run_mode*/, std::int32_t* error_count,
                      const char* report_file, const char* unit_labels, const float* unit_factors,
                      std::int32_t* print_control)
{
    analyse_item(*state_,
                 CallArguments{reals, texts, error_count, report_file, unit_labels, unit_factors, print_control});
}

State& context_state(Context& c) { return *c.state_; }

const void* Context::capture_block() const { return &state_->report.capture; }

int Context::captured_lines() const { return state_->report.capture.count; }

std::string_view Context::captured_record(int i) const
{
    if (i < 0 || i >= kCaptureRecords)
        return {};
    return {state_->report.capture.records[i], kCaptureRecordWidth};
}

int Context::input_errors() const { return state_->input_errors; }

int Context::value_count() const { return state_->results.value_count; }

bool Context::value(int i, tx14_value& out) const
{
    const ResultsRecord& rec = state_->results;
    if (i < 0 || i >= rec.value_count)
        return false;
    const RecordedValue& v = rec.values[i];
    out = {v.key, v.label, quantity_name(v.quantity), rec.unit(v.quantity), v.value, rec.display(v.quantity, v.value)};
    return true;
}

int Context::check_count() const { return state_->results.check_count; }

bool Context::check(int i, tx14_check& out) const
{
    const ResultsRecord& rec = state_->results;
    if (i < 0 || i >= rec.check_count)
        return false;
    const RecordedCheck& c = rec.checks[i];
    out = {c.key,
           c.label,
           quantity_name(c.quantity),
           rec.unit(c.quantity),
           c.at_least ? ">=" : "<=",
           c.value,
           c.limit,
           rec.display(c.quantity, c.value),
           rec.display(c.quantity, c.limit),
           c.passes ? 1 : 0,
           c.utilization,
           c.applicable ? 1 : 0};
    return true;
}

const char* Context::check_reference(int i) const
{
    const ResultsRecord& rec = state_->results;
    if (i < 0 || i >= rec.check_count)
        return nullptr;
    const char* reference = rec.checks[i].reference;
    return reference ? reference : "";
}

int Context::reason_count() const { return state_->results.reason_count; }

bool Context::reason(int i, tx14_note& out) const
{
    const ResultsRecord& rec = state_->results;
    if (i < 0 || i >= rec.reason_count)
        return false;
    out = {rec.reasons[static_cast<std::size_t>(i)].code, rec.reason_text(i)};
    return true;
}

int Context::note_count() const { return state_->results.note_count; }

bool Context::note(int i, tx14_note& out) const
{
    const ResultsRecord& rec = state_->results;
    if (i < 0 || i >= rec.note_count)
        return false;
    out = {rec.notes[static_cast<std::size_t>(i)].code, rec.note_text(i)};
    return true;
}

int Context::verdict() const { return static_cast<int>(state_->results.verdict); }

int Context::governing() const { return state_->results.governing; }
int Context::report_file_error() const { return state_->report.file.error(); }

void Context::set_no_special(std::int32_t flag) { state_->report.own_no_special = flag; }

}  // namespace tx14
