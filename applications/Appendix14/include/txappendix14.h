/* TXAppendix14: the host interface of the calculation library.
 *
 * A host fills the real input array, the text fields and its unit system,
 * calls LGCENTER once per item, and reads the results back from the real
 * array and, when no report file was named, the captured report lines
 * through GETLINESCOMAUX. Every argument is passed by address; text
 * arguments are fixed-width and blank-padded, and the hidden length words
 * that follow them are never read.
 */
#ifndef TXAPPENDIX14_H
#define TXAPPENDIX14_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64) && !defined(TX_STDCALL)
#define TX_STDCALL __stdcall /* the callee removes the arguments */
#elif !defined(TX_STDCALL)
#define TX_STDCALL
#endif

#if defined(TX14_BUILDING_LIBRARY)
#if defined(_WIN32)
/* A module-definition file lists the DLL's exports: dllexport would also
 * export the stdcall names in a third form (LGCENTER@60). */
#define TX_API
#else
#define TX_API __attribute__((visibility("default")))
#endif
#elif defined(_WIN32)
#define TX_API __declspec(dllimport)
#else
#define TX_API
#endif

/* The C++ interface (txappendix14.hpp): the Windows DLL exports the host's C
 * interface only; a Windows program that wants the C++ interface links the
 * static library. */
#if defined(__cplusplus) && !defined(TX_CXX_API)
#if defined(_WIN32)
#define TX_CXX_API
#else
#define TX_CXX_API TX_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Widths of the fixed text fields and the sizes of the host's arrays. */
#define TX14_REAL_COUNT 200      /* elements of the real input array */
#define TX14_TEXT_WIDTH 15       /* each field of the text-field array */
#define TX14_FILE_NAME_WIDTH 256 /* report file name */
#define TX14_UNIT_LABEL_WIDTH 10 /* each unit label */
#define TX14_UNIT_LABEL_COUNT 23
#define TX14_UNIT_FACTOR_COUNT 22

/* The line capture block: 500 records of 125 characters, then the count. */
#define TX14_CAPTURE_RECORDS 500
#define TX14_CAPTURE_RECORD_WIDTH 125
#define TX14_CAPTURE_COUNT_OFFSET 62500

/* Value the host puts in a real element that was not given. */
#define TX14_MISSING_VALUE (-1.0101f)

/* Runs one item. Results come back in the real array (elements 30-32 for a
 * large opening, 196-198 for a jacket or coil), the fatal error count in
 * error_count, and print_control is set to 1. A report_file whose first
 * character is blank or NUL, or a real element 40 of 0, captures the
 * report in memory instead of appending it to the file. NULL reals: no
 * run. Other NULL arguments are read as blank texts, unit factors of 1 and
 * no report file; NULL outputs are not written.
 * On failure: when the report file cannot be opened the item is not run:
 * nothing is reported or captured, and the result elements and error_count
 * keep what they held. The call allocates nothing and throws nothing; a run
 * that could not finish all the same would drop the rest of its report,
 * capture nothing and set error_count to 1, for either kind of item. */
TX_API void TX_STDCALL LGCENTER(float* reals, const char* texts, intptr_t texts_len, const char* run_mode,
                                intptr_t run_mode_len, int32_t* error_count, const char* report_file,
                                intptr_t report_file_len, const void* unused9, const void* unused10,
                                const void* unused11, const char* unit_labels, intptr_t unit_labels_len,
                                const float* unit_factors, int32_t* print_control);

/* Finished (W) and rough (Wr) weight of a head forging with a hub. When
 * any argument is NULL nothing is computed and nothing written; otherwise
 * it cannot fail. */
TX_API void TX_STDCALL LGWEIGHT(const float* B, const float* A, const float* t, const float* g1, const float* g0,
                                const float* h, float* W, float* Wr, const float* density);

/* Address of the line capture block of the last LGCENTER call (never
 * NULL). */
TX_API void* TX_STDCALL GETLINESCOMAUX(void);

/* Module flags the host may set before a call; only the first is read:
 * 1 replaces the special characters of each report line by plain text. */
TX_API extern int32_t FLAGS_mp_IINOSPECIAL;
TX_API extern int32_t FLAGS_mp_LBSAREA;
TX_API extern int32_t FLAGS_mp_LCHORD;
TX_API extern int32_t GLOBALS_mp_G_NUSE_CASE2286;
TX_API extern int32_t GLOBALS_mp_G_NUSE_CORRODEDK;
TX_API extern int32_t GLOBALS_mp_G_NUSE_OLD_DIV_2;
TX_API extern int32_t GLOBALS_mp_G_NUSE_TABLEG;

#ifdef __cplusplus
}
#endif

#endif /* TXAPPENDIX14_H */
