// The C++ context API: a run state owned by the caller.
#include "../include/txappendix14.hpp"

#include "context_state.hpp"
#include "lgcenter.hpp"

namespace tx14 {

Context::Context() : state_(std::make_unique<State>()) {}
Context::~Context() = default;
Context::Context(Context&&) noexcept = default;
Context& Context::operator=(Context&&) noexcept = default;

void Context::analyse(float* reals, const char* texts, const char* /*run_mode*/,
                      std::int32_t* error_count, const char* report_file, const char* unit_labels,
                      const float* unit_factors, std::int32_t* print_control)
{
    analyse_item(*state_, CallArguments{reals, texts, error_count, report_file, unit_labels,
                                   unit_factors, print_control});
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

void Context::set_no_special(std::int32_t flag) { state_->report.own_no_special = flag; }

}  // namespace tx14
