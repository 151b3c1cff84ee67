// The contexts' C entry points: a thin shim over tx14::Context. Only the
// creation allocates; the run catches what it could throw (analyse_item)
// and the rest reads the record.
#include "../include/txappendix14_context.h"

#include "../include/txappendix14.hpp"
#include "guarded.hpp"

// The C handle is the context itself.
struct tx14_context {
    tx14::Context context;
};

extern "C" {

TX_API tx14_context* tx14_context_create(void)
{
    return tx14::guarded([] { return new tx14_context; }, static_cast<tx14_context*>(nullptr));
}

TX_API void tx14_context_destroy(tx14_context* context) { delete context; }

TX_API void tx14_context_analyse(tx14_context* context, float* reals, const char* texts, const char* run_mode,
                                 int32_t* error_count, const char* report_file, const void*, const void*, const void*,
                                 const char* unit_labels, const float* unit_factors, int32_t* print_control)
{
    if (context == nullptr)
        return;
    context->context.analyse(reals, texts, run_mode, error_count, report_file, unit_labels, unit_factors,
                             print_control);
}

TX_API const void* tx14_context_capture_block(const tx14_context* context)
{
    return context == nullptr ? nullptr : context->context.capture_block();
}

TX_API void tx14_context_set_no_special(tx14_context* context, int32_t flag)
{
    if (context != nullptr)
        context->context.set_no_special(flag);
}

TX_API int32_t tx14_context_input_errors(const tx14_context* context)
{
    return context == nullptr ? 0 : context->context.input_errors();
}

TX_API int32_t tx14_context_value_count(const tx14_context* context)
{
    return context == nullptr ? 0 : context->context.value_count();
}

TX_API int32_t tx14_context_value(const tx14_context* context, int32_t i, tx14_value* out)
{
    return context != nullptr && out != nullptr && context->context.value(i, *out) ? 1 : 0;
}

TX_API int32_t tx14_context_check_count(const tx14_context* context)
{
    return context == nullptr ? 0 : context->context.check_count();
}

TX_API int32_t tx14_context_check(const tx14_context* context, int32_t i, tx14_check* out)
{
    return context != nullptr && out != nullptr && context->context.check(i, *out) ? 1 : 0;
}

TX_API const char* tx14_context_check_reference(const tx14_context* context, int32_t i)
{
    return context == nullptr ? nullptr : context->context.check_reference(i);
}

TX_API int32_t tx14_context_reason_count(const tx14_context* context)
{
    return context == nullptr ? 0 : context->context.reason_count();
}

TX_API int32_t tx14_context_reason(const tx14_context* context, int32_t i, tx14_note* out)
{
    return context != nullptr && out != nullptr && context->context.reason(i, *out) ? 1 : 0;
}

TX_API int32_t tx14_context_note_count(const tx14_context* context)
{
    return context == nullptr ? 0 : context->context.note_count();
}

TX_API int32_t tx14_context_note(const tx14_context* context, int32_t i, tx14_note* out)
{
    return context != nullptr && out != nullptr && context->context.note(i, *out) ? 1 : 0;
}

TX_API int32_t tx14_context_verdict(const tx14_context* context)
{
    return context == nullptr ? TX14_NOT_ANALYSED : context->context.verdict();
}

TX_API int32_t tx14_context_governing(const tx14_context* context)
{
    return context == nullptr ? -1 : context->context.governing();
}

TX_API int32_t tx14_context_report_file_error(const tx14_context* context)
{
    return context == nullptr ? 0 : context->context.report_file_error();
}

}  // extern "C"
