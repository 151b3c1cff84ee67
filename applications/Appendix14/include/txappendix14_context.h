/* TXAppendix14: run items on contexts of your own, from C.
 *
 * The entry points of txappendix14.h share one process-wide run state. A
 * context holds a complete run state instead: separate contexts may run
 * items on separate threads at the same time (one call at a time on each
 * context). These functions use the C calling convention on every
 * platform, so that a foreign-function interface can call them directly.
 */
#ifndef TXAPPENDIX14_CONTEXT_H
#define TXAPPENDIX14_CONTEXT_H

#include "txappendix14.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tx14_context tx14_context;

/* A new context, or NULL when memory runs out. */
TX_API tx14_context *tx14_context_create(void);

/* Releases a context; NULL is ignored. */
TX_API void tx14_context_destroy(tx14_context *context);

/* Runs one item on the context, exactly as LGCENTER does, with LGCENTER's
 * arguments minus the hidden length words. A NULL context does nothing. */
TX_API void tx14_context_analyse(tx14_context *context, float *reals, const char *texts,
                                 const char *run_mode, int32_t *error_count,
                                 const char *report_file, const void *unused9,
                                 const void *unused10, const void *unused11,
                                 const char *unit_labels, const float *unit_factors,
                                 int32_t *print_control);

/* The context's line capture block (500 records of 125 characters, the
 * count at offset 62500), valid until the context is destroyed. */
TX_API const void *tx14_context_capture_block(const tx14_context *context);

/* The context's special-character flag: 1 replaces the special characters
 * of each report line by plain text. */
TX_API void tx14_context_set_no_special(tx14_context *context, int32_t flag);

/* Fatal input errors of the context's last item, of either kind (the
 * error count of the call covers a large opening only). */
TX_API int32_t tx14_context_input_errors(const tx14_context *context);

/* The C library's error number (errno) of the first failed open, write or
 * close of the report file in the context's last item; 0 when every record
 * reached the file, in capture mode, and for a NULL context. */
TX_API int32_t tx14_context_report_file_error(const tx14_context *context);

#ifdef __cplusplus
}
#endif

#endif /* TXAPPENDIX14_CONTEXT_H */
