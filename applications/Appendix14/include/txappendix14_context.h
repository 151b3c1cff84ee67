/* TXAppendix14: run items on contexts of your own, from C.
 *
 * The entry points of txappendix14.h share one process-wide run state. A
 * context holds a complete run state instead: separate contexts may run
 * items on separate threads at the same time (one call at a time on each
 * context). These functions use the C calling convention on every
 * platform, so that a foreign-function interface can call them directly.
 *
 * Any pointer argument may be NULL; nothing is read or written through it.
 * A NULL context does nothing and answers as a context that ran no item
 * (0, NULL, TX14_NOT_ANALYSED, -1); a NULL output of tx14_context_value
 * and tx14_context_check makes them return 0. tx14_context_analyse reads
 * its NULL arguments as LGCENTER does.
 */
#ifndef TXAPPENDIX14_CONTEXT_H
#define TXAPPENDIX14_CONTEXT_H

#include "txappendix14.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tx14_context tx14_context;

/* A new context, or NULL when memory runs out. */
TX_API tx14_context* tx14_context_create(void);

/* Releases a context; NULL is ignored. */
TX_API void tx14_context_destroy(tx14_context* context);

/* Runs one item on the context, exactly as LGCENTER does, with LGCENTER's
 * arguments minus the hidden length words. A NULL context does nothing. */
TX_API void tx14_context_analyse(tx14_context* context, float* reals, const char* texts, const char* run_mode,
                                 int32_t* error_count, const char* report_file, const void* unused9,
                                 const void* unused10, const void* unused11, const char* unit_labels,
                                 const float* unit_factors, int32_t* print_control);

/* The context's line capture block (500 records of 125 characters, the
 * count at offset 62500), valid until the context is destroyed. */
TX_API const void* tx14_context_capture_block(const tx14_context* context);

/* The context's special-character flag: 1 replaces the special characters
 * of each report line by plain text. */
TX_API void tx14_context_set_no_special(tx14_context* context, int32_t flag);

/* Fatal input errors of the context's last item, of either kind (the
 * error count of the call covers a large opening only). */
TX_API int32_t tx14_context_input_errors(const tx14_context* context);

/* The library's version, "major.minor.patch"; a static string. */
TX_API const char* tx14_version(void);
/* The results record of the context's last item: every value the run
 * computed, the code's acceptance criteria as checks, the reasons the item
 * could not be judged, the notes a reader must know, and the verdict.
 * Texts are NUL-terminated; keys, labels, quantities, relations and the
 * codes of reasons and notes are constants of the library; unit labels and
 * the texts of reasons and notes (Windows-1252) live in the context until
 * its next run. A value is given in internal units and as the report shows
 * it (display value, unit label). */
typedef struct tx14_value {
    const char* key;      /* stable, e.g. "MAWP", "SHS", "Trj" */
    const char* label;    /* in words */
    const char* quantity; /* "stress", "pressure", "thickness", ... "dimensionless" */
    const char* unit;     /* display unit label, "" when dimensionless */
    float value;          /* internal units */
    float display;        /* in the display unit */
} tx14_value;

typedef struct tx14_check {
    const char* key;
    const char* label;
    const char* quantity;
    const char* unit;
    const char* relation; /* "<=" or ">=": value against limit */
    float value, limit;   /* internal units, signed */
    float display_value, display_limit;
    int32_t passes;     /* 1 or 0 */
    float utilization;  /* value/limit (<=) or limit/value (>=); +inf when the
                              divisor is not above 0, NaN when either is not finite */
    int32_t applicable; /* 0: the check does not apply to this item and counts
                              neither for the verdict nor as governing */
} tx14_check;

/* A reason the item could not be judged, or a note the reader must know. */
typedef struct tx14_note {
    const char* code; /* stable, e.g. "chart_diameter", "input_error" */
    const char* text; /* in words, Windows-1252 */
} tx14_note;

/* Verdicts. Not analysed: there is at least one reason (fatal input
 * errors, an item outside its method's validity, a value the verdict rests
 * on that is not finite). Acceptable: every applicable check passes. */
#define TX14_NOT_ANALYSED 0
#define TX14_ACCEPTABLE 1
#define TX14_NOT_ACCEPTABLE 2

TX_API int32_t tx14_context_value_count(const tx14_context* context);
/* Value i (from 0) into *out; 0 when there is none (or out is NULL). */
TX_API int32_t tx14_context_value(const tx14_context* context, int32_t i, tx14_value* out);
TX_API int32_t tx14_context_check_count(const tx14_context* context);
/* Check i (from 0) into *out; 0 when there is none (or out is NULL). */
TX_API int32_t tx14_context_check(const tx14_context* context, int32_t i, tx14_check* out);
/* Where the code states check i (from 0): the paragraph, figure or equation
 * the report names for it ("App. EE-1, Eq. (2)", "4.11.6.3, Eq. 4.11.2"), a
 * constant of the library; "" when the report names none, NULL when there
 * is no check i. */
TX_API const char* tx14_context_check_reference(const tx14_context* context, int32_t i);
TX_API int32_t tx14_context_verdict(const tx14_context* context);
/* Reason or note i (from 0) into *out; 0 when there is none. */
TX_API int32_t tx14_context_reason_count(const tx14_context* context);
TX_API int32_t tx14_context_reason(const tx14_context* context, int32_t i, tx14_note* out);
TX_API int32_t tx14_context_note_count(const tx14_context* context);
TX_API int32_t tx14_context_note(const tx14_context* context, int32_t i, tx14_note* out);
/* Index of the governing check: of the applicable checks, failing ones
 * first, then the highest utilization (the earlier check on a tie within
 * 1e-6); -1 when no check applies. */
TX_API int32_t tx14_context_governing(const tx14_context* context);
/* The C library's error number (errno) of the first failed open, write or
 * close of the report file in the context's last item; 0 when every record
 * reached the file, in capture mode, and for a NULL context. */
TX_API int32_t tx14_context_report_file_error(const tx14_context* context);

#ifdef __cplusplus
}
#endif

#endif /* TXAPPENDIX14_CONTEXT_H */
