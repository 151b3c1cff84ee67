/* TXAppendix14 items from C: the keys of each kind of item, the built-in
 * unit systems, and the building of the real array and text fields that
 * LGCENTER takes from an item's given values, with the checks every front
 * end shares (required keys, pipe sizes, value conversion, warnings).
 *
 * Messages are written into the caller's buffer as lines ending in '\n',
 * cut (never overrun) at the buffer's size; texts are Windows-1252.
 *
 * Any pointer argument may be NULL: nothing is read or written through it.
 * A NULL message buffer receives no messages; a NULL name or kind is no
 * name the tables know (NULL or 0, as for an unknown one). An entry point
 * that has no way to do its work without the pointer (an output it must
 * fill, the array it must read) returns TX14_ITEMS_NULL_ARGUMENT instead,
 * where its return value is a count or a flag.
 */
#ifndef TX14_ITEMS_H
#define TX14_ITEMS_H

#include <stddef.h>
#include <stdint.h>

#if defined(TX14_BUILDING_ITEMS) && !defined(_WIN32)
#define TX14_ITEMS_API __attribute__((visibility("default")))
#else
#define TX14_ITEMS_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A pointer that must not be NULL was NULL: nothing was done. */
#define TX14_ITEMS_NULL_ARGUMENT (-1)

/* One key of a kind: a number key (field 0), a text key (element 0) or a
 * result (required 0). Bit n of `required` is set when the key is required
 * under code selector n; `instead` names the keys that may stand in. */
typedef struct tx14_item_key {
    const char* name;
    int element;
    int field;
    const char* quantity; /* unit-slot name: "pressure", ..., "dimensionless" */
    const char* meaning;
    unsigned required;
    const char* instead;
} tx14_item_key;

/* Name of kind `index` (from 0), NULL past the last. */
TX14_ITEMS_API const char* tx14_items_kind(int index);
/* Code `index` of a kind: its name, and its selector in *number. */
TX14_ITEMS_API const char* tx14_items_code(const char* kind, int index, int* number);
/* Number key, text key or result `index` of a kind; 0 past the last (and
 * for a NULL key). */
TX14_ITEMS_API int tx14_items_number_key(const char* kind, int index, tx14_item_key* key);
TX14_ITEMS_API int tx14_items_text_key(const char* kind, int index, tx14_item_key* key);
TX14_ITEMS_API int tx14_items_result(const char* kind, int index, tx14_item_key* key);

/* The unit slot (from 1) of a quantity, 0 for none; its label width. */
TX14_ITEMS_API int tx14_units_slot(const char* quantity);
TX14_ITEMS_API int tx14_units_label_width(int slot);
/* "US" or "SI": 22 factors and 23 labels of 10 blank-padded bytes; 1, or 0
 * for another name; TX14_ITEMS_NULL_ARGUMENT when factors or labels is
 * NULL. */
TX14_ITEMS_API int tx14_units_builtin(const char* name, double* factors, char* labels);
/* The problems of a unit system's 22 factors and 23 labels (NUL-terminated
 * Windows-1252; a NULL label reads as empty); returns their number, or
 * TX14_ITEMS_NULL_ARGUMENT (with a message saying which) when factors or
 * labels is NULL. */
TX14_ITEMS_API int tx14_units_check(const double* factors, const char* const* labels, char* messages, size_t size);

/* An item being built, for a kind, code and unit system (22 factors, 23
 * labels of 10 blank-padded bytes or NULL); NULL, with the reason in
 * messages, for an unknown kind or code. */
typedef struct tx14_item tx14_item;
TX14_ITEMS_API tx14_item* tx14_item_create(const char* kind, const char* code, const double* factors,
                                           const char* labels, char* messages, size_t size);
TX14_ITEMS_API void tx14_item_destroy(tx14_item* item);
/* 1 for a number key of the item's kind (DN too), 2 for a text key, 0 else. */
TX14_ITEMS_API int tx14_item_key_type(const tx14_item* item, const char* key);
TX14_ITEMS_API void tx14_item_set_number(tx14_item* item, const char* key, double value);
TX14_ITEMS_API void tx14_item_set_text(tx14_item* item, const char* key, const char* text);
TX14_ITEMS_API void tx14_item_set_item_number(tx14_item* item, double number);
/* Checks the item as a whole and fills 200 reals and 45 text bytes; the
 * errors and warnings go to their buffers. Returns the number of errors;
 * a NULL item (one that could not be created) counts as 1 error.
 * TX14_ITEMS_NULL_ARGUMENT (with a message saying which) when reals or
 * texts is NULL: nothing is filled. */
TX14_ITEMS_API int tx14_item_finish(tx14_item* item, float* reals, char* texts, char* errors, size_t errors_size,
                                    char* warnings, size_t warnings_size);

/* In the shared library only: builds one item and runs it on a context of
 * txappendix14_context.h in one call. Factors and labels as for
 * tx14_item_create (labels required). The item, `item_size` bytes in the
 * machine's byte order, is packed as five int32 (the indexes of its kind
 * and code as tx14_items_kind and tx14_items_code count them, 1 for plain
 * report text, the number of given values and the bytes of texts), the
 * given values as pairs of doubles in the caller's order (a key and its
 * value) and the texts one after another. Key i < N is number key i of the
 * kind, N + j text key j (its value is the text's length in bytes), -1 DN,
 * -2 `item`. A non-empty report_file (under 256 bytes) appends the report
 * to that file instead of capturing it. A NULL context only builds and
 * checks the item.
 *
 * The output is cut at `size` bytes (a NULL `out` takes none); the return
 * value is the size the whole output needs (run again with a larger buffer
 * when it is above `size`). A NULL factors, labels or item is an item
 * error ("no unit system, or a malformed item"). It
 * starts with 13 int32: the item's errors (it did not run), the run's fatal
 * input errors, the verdict, the numbers of values, checks and captured
 * report lines, the byte offsets of the results, values, checks and lines,
 * the numbers of reasons and notes and the byte offset of the reasons.
 * Then come the errors, one line each, and a NUL; for an item that passed
 * its checks, the warnings likewise; for one that ran, the governing
 * check's key and a NUL, a double per result of the kind (as the report
 * shows it, to its shortest decimal; NaN when not computed), the values (a
 * float display value each, then key, label and unit, each NUL-terminated),
 * the checks (float display value, display limit and utilization and int32
 * passes and applicable each, then key, label, unit and relation, each
 * NUL-terminated), the reasons and then the notes (code and text each,
 * NUL-terminated, texts in Windows-1252) and the captured report lines (a
 * byte n, the line's n bytes of text without trailing blanks, its 12 bytes
 * of style codes). */
struct tx14_context;
TX14_ITEMS_API int32_t tx14_item_run(struct tx14_context* context, const double* factors, const char* labels,
                                     const unsigned char* item, int32_t item_size, const char* report_file,
                                     unsigned char* out, int32_t size);
/* Runs `count` items in turn on a context (no report files), each as
 * tx14_item_run does with its own factors, labels and item, their outputs
 * one after another in `out`: ends[i] is the offset where item i's ends.
 * Stops before an item whose output does not fit in what is left; returns
 * the number of items whose output is complete. When that is 0, ends[0] is
 * the size the first item's output needs. A NULL context checks them only.
 * TX14_ITEMS_NULL_ARGUMENT when one of the arrays, out or ends is NULL;
 * a NULL element of factors, labels or items is that item's error. */
TX14_ITEMS_API int32_t tx14_items_run(struct tx14_context* context, int32_t count, const double* const* factors,
                                      const char* const* labels, const unsigned char* const* items,
                                      const int32_t* item_sizes, unsigned char* out, int32_t size, int32_t* ends);

#ifdef __cplusplus
}
#endif

#endif
