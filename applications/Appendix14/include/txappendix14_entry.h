/* TXAppendix14's typed entry from C and from foreign-function interfaces
 * (the Python package, the browser page): items in and outcomes out as
 * JSON, a batch of items per call.
 *
 * An item is a JSON object of the keys of an item file: "kind", "code",
 * "units" ("US", "SI", or an object {"name": ..., "factors": [22 numbers],
 * "labels": [23 texts]} holding a unit file's contents), "item" and the
 * number and text keys of its kind, in the item's units. A text where a
 * number is expected is read as a number ("3.5"); null and NaN count as not
 * given. The entry checks everything (kind, code, units, keys, required
 * keys, values no component can have) and runs each item that passes.
 *
 * Every function here catches what the library throws (running out of
 * memory) and returns an error instead; none throws into C. (Built without
 * exceptions, as the WebAssembly module is, running out of memory traps.)
 */
#ifndef TXAPPENDIX14_ENTRY_H
#define TXAPPENDIX14_ENTRY_H

#include <stddef.h>
#include <stdint.h>

#include "txappendix14.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tx14_batch tx14_batch;

/* A batch: a run state and the outcomes of its last run; NULL when memory
 * runs out. One call at a time on a batch; separate batches may run on
 * separate threads. */
TX_API tx14_batch* tx14_batch_create(void);
/* Releases a batch; NULL is ignored. */
TX_API void tx14_batch_destroy(tx14_batch* batch);

/* Flags of a run. */
#define TX14_PLAIN 1     /* special characters of the report as plain text (d^(2)) */
#define TX14_NO_REPORT 2 /* keep no report lines (the values, checks and verdict only) */

/* Checks and runs the items of `items` (UTF-8 JSON of `size` bytes: an
 * array of item objects) and keeps an outcome for each, refused ones
 * included. Returns the number of outcomes; -1 when `items` is not an array
 * of objects or memory runs out (tx14_batch_error says why), -2 for a NULL
 * batch or a NULL `items` with a size above 0. */
TX_API int32_t tx14_batch_run(tx14_batch* batch, const char* items, size_t size, int32_t flags);

/* Parts of an outcome. */
#define TX14_OUTCOME_WHOLE 0   /* every member, as `tx14 run --json` writes it */
#define TX14_OUTCOME_SUMMARY 1 /* all but "values", "checks" and "report" */
#define TX14_OUTCOME_VALUES 2  /* the "values" object */
#define TX14_OUTCOME_CHECKS 3  /* the "checks" array */
#define TX14_OUTCOME_REPORT 4  /* the "report" array */

/* A part of outcome i (from 0) of the last run as UTF-8 JSON,
 * NUL-terminated, its length in *size when size is not NULL; valid until
 * the next call on the batch. NULL for a NULL batch, i out of range, an
 * unknown part, or memory running out. The members are those of
 * docs/results.schema.json, and "errors" (each {"key", "message"}) for an
 * item the entry refused. */
TX_API const char* tx14_batch_outcome(tx14_batch* batch, int32_t i, int32_t part, size_t* size);

/* The part of every outcome of the last run, in order, each followed by a
 * newline (JSON Lines: the JSON itself holds no newline), so that a front
 * end reads a whole batch in one call; otherwise as tx14_batch_outcome.
 * NULL for a NULL batch, an unknown part, or memory running out. */
TX_API const char* tx14_batch_outcomes(tx14_batch* batch, int32_t part, size_t* size);

/* Why the last tx14_batch_run returned -1; "" when it did not. */
TX_API const char* tx14_batch_error(const tx14_batch* batch);

/* The key tables of each kind of item (names, quantities, meanings, the
 * codes requiring them), the unit slot of each quantity and the built-in
 * unit systems, as UTF-8 JSON; a static text, NULL when memory runs out. */
TX_API const char* tx14_keys_json(void);

#ifdef __cplusplus
}
#endif

#endif /* TXAPPENDIX14_ENTRY_H */
