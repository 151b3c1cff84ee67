// The exported C entry points and module flags: a thin shim over the one
// process-wide run state that the host application uses. None of them lets
// an exception out: LGCENTER's run catches (analyse_item), LGWEIGHT is
// arithmetic and GETLINESCOMAUX an address.
#include "../include/txappendix14.h"

#include "../opening/opening.hpp"
#include "lgcenter.hpp"

extern "C" {
TX_API int32_t FLAGS_mp_IINOSPECIAL = 0;
TX_API int32_t FLAGS_mp_LBSAREA = 0;
TX_API int32_t FLAGS_mp_LCHORD = 0;
TX_API int32_t GLOBALS_mp_G_NUSE_CASE2286 = 0;
TX_API int32_t GLOBALS_mp_G_NUSE_CORRODEDK = 0;
TX_API int32_t GLOBALS_mp_G_NUSE_OLD_DIV_2 = 0;
TX_API int32_t GLOBALS_mp_G_NUSE_TABLEG = 0;
}

namespace {

// The host's run state: its special-character switch follows the exported
// flag.
struct HostState : tx14::State {
    HostState() { report.no_special_flag = &FLAGS_mp_IINOSPECIAL; }
};

HostState host_state;

}  // namespace

extern "C" {

TX_API void TX_STDCALL LGCENTER(float* reals, const char* texts, intptr_t, const char* /*run_mode*/, intptr_t,
                                int32_t* error_count, const char* report_file, intptr_t, const void*, const void*,
                                const void*, const char* unit_labels, intptr_t, const float* unit_factors,
                                int32_t* print_control)
{
    tx14::analyse_item(host_state, tx14::CallArguments{reals, texts, error_count, report_file, unit_labels,
                                                       unit_factors, print_control});
}

TX_API void TX_STDCALL LGWEIGHT(const float* B, const float* A, const float* t, const float* g1, const float* g0,
                                const float* h, float* W, float* Wr, const float* density)
{
    if (B == nullptr || A == nullptr || t == nullptr || g1 == nullptr || g0 == nullptr || h == nullptr ||
        W == nullptr || Wr == nullptr || density == nullptr)
        return;  // nothing to weigh, or nowhere to put the weights
    tx14::forging_weight(*B, *A, *t, *g1, *g0, *h, *W, *Wr, *density);
}

TX_API void* TX_STDCALL GETLINESCOMAUX(void) { return &host_state.report.capture; }

}  // extern "C"
