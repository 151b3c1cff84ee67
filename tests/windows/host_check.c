/* The host application's calls, made on the library loaded at run time, with
 * a transcript of everything the host gets back.
 *
 * The same program is built for Linux (it loads the shared library) and for
 * Windows (it loads the DLL, as the host does: LoadLibraryA and
 * GetProcAddress). Each run writes its transcript; given the transcript of
 * the other platform, it compares the two line by line, so that the Windows
 * DLL has to give the Linux library's results and report records bit for
 * bit. Platform matters checked here besides: report records end with the
 * platform's newline, and the report file is appended to while the test
 * keeps a read/write handle of its own open on it.
 *
 * Usage: tx14_host_check LIBRARY TRANSCRIPT [EXPECTED_TRANSCRIPT]
 */
#if !defined(_WIN32)
#define _POSIX_C_SOURCE 200809L /* pread */
#endif
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "txappendix14.h"

#if defined(_WIN32)
#include <windows.h>
#define NEWLINE "\r\n" /* text files end their lines with CRLF there */
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
#define NEWLINE "\n"
#endif

typedef void(TX_STDCALL *LgCenterFn)(float *, const char *, intptr_t, const char *, intptr_t,
                                     int32_t *, const char *, intptr_t, const void *,
                                     const void *, const void *, const char *, intptr_t,
                                     const float *, int32_t *);
typedef void(TX_STDCALL *LgWeightFn)(const float *, const float *, const float *, const float *,
                                     const float *, const float *, float *, float *,
                                     const float *);
typedef void *(TX_STDCALL *GetLinesFn)(void);

#define FLAG_COUNT 7
static const char *const flag_names[FLAG_COUNT] = {
    "FLAGS_mp_IINOSPECIAL",        "FLAGS_mp_LBSAREA",           "FLAGS_mp_LCHORD",
    "GLOBALS_mp_G_NUSE_CASE2286",  "GLOBALS_mp_G_NUSE_CORRODEDK", "GLOBALS_mp_G_NUSE_OLD_DIV_2",
    "GLOBALS_mp_G_NUSE_TABLEG"};

struct Library {
    LgCenterFn lgcenter;
    LgWeightFn lgweight;
    GetLinesFn getlines;
    int32_t *flags[FLAG_COUNT];
};

struct Run {
    struct Library lib;
    FILE *out;    /* the transcript */
    int failures; /* checks that failed on this platform */
};

static void fail(struct Run *run, const char *what, const char *item)
{
    fprintf(stderr, "FAILED: %s (%s)\n", what, item);
    ++run->failures;
}

/* ---- Platform layer: loading the library, a shared file handle ---- */

#if defined(_WIN32)
static void *load_library(const char *path) { return (void *)LoadLibraryA(path); }

static void *find_symbol(void *library, const char *name)
{
    FARPROC p = GetProcAddress((HMODULE)library, name);
    void *address;
    memcpy(&address, &p, sizeof address);
    return address;
}

typedef HANDLE SharedFile;
#define NO_FILE INVALID_HANDLE_VALUE

/* Opens (creating) the file for reading and writing, letting others read
 * and write it meanwhile, as the host's other programs may. */
static SharedFile open_shared(const char *path)
{
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

static int write_shared(SharedFile f, const char *text, size_t n)
{
    DWORD written = 0;
    return WriteFile(f, text, (DWORD)n, &written, NULL) && written == n;
}

/* Reads the whole file from its start, through the handle; the length, or
 * -1 when it does not fit. */
static long read_shared(SharedFile f, char *buffer, size_t size)
{
    DWORD got = 0;
    if (SetFilePointer(f, 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return -1;
    if (!ReadFile(f, buffer, (DWORD)size, &got, NULL) || got >= size)
        return -1;
    return (long)got;
}

static void close_shared(SharedFile f) { CloseHandle(f); }
#else
static void *load_library(const char *path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

static void *find_symbol(void *library, const char *name) { return dlsym(library, name); }

typedef int SharedFile;
#define NO_FILE (-1)

static SharedFile open_shared(const char *path) { return open(path, O_RDWR | O_CREAT, 0666); }

static int write_shared(SharedFile f, const char *text, size_t n)
{
    return write(f, text, n) == (ssize_t)n;
}

static long read_shared(SharedFile f, char *buffer, size_t size)
{
    ssize_t got = pread(f, buffer, size, 0);
    return got < 0 || (size_t)got >= size ? -1 : (long)got;
}

static void close_shared(SharedFile f) { close(f); }
#endif

/* Resolves every entry and flag by name; 0 when one is missing. */
static int resolve(struct Library *lib, void *library)
{
    void *p;
    int ok = 1;
    p = find_symbol(library, "LGCENTER");
    memcpy(&lib->lgcenter, &p, sizeof p);
    ok &= p != NULL;
    p = find_symbol(library, "LGWEIGHT");
    memcpy(&lib->lgweight, &p, sizeof p);
    ok &= p != NULL;
    p = find_symbol(library, "GETLINESCOMAUX");
    memcpy(&lib->getlines, &p, sizeof p);
    ok &= p != NULL;
    for (int i = 0; i < FLAG_COUNT; ++i) {
        lib->flags[i] = (int32_t *)find_symbol(library, flag_names[i]);
        if (lib->flags[i] == NULL)
            fprintf(stderr, "missing export %s\n", flag_names[i]);
        ok &= lib->flags[i] != NULL;
    }
    return ok;
}

/* ---- Items, as the host fills its arrays ---- */

struct Item {
    float reals[TX14_REAL_COUNT];
    char texts[3 * TX14_TEXT_WIDTH];
    char labels[TX14_UNIT_LABEL_COUNT * TX14_UNIT_LABEL_WIDTH];
    float factors[TX14_UNIT_FACTOR_COUNT];
};

static void put_text(char *field, size_t width, const char *text)
{
    size_t n = strlen(text);
    memset(field, ' ', width);
    memcpy(field, text, n < width ? n : width);
}

static void set_unit(struct Item *item, int n, float factor, const char *label)
{
    item->factors[n - 1] = factor;
    put_text(item->labels + (n - 1) * TX14_UNIT_LABEL_WIDTH, TX14_UNIT_LABEL_WIDTH, label);
}

/* The host's internal units are inches, pounds and psi; these display them
 * as they are, or in SI units. */
static void us_units(struct Item *item)
{
    for (int i = 0; i < TX14_UNIT_FACTOR_COUNT; ++i)
        item->factors[i] = 1.0f;
    memset(item->labels, ' ', sizeof item->labels);
    set_unit(item, 1, 1.0f, "in.");
    set_unit(item, 2, 1.0f, "lb.");
    set_unit(item, 5, 1.0f, "ft-lb.");
    set_unit(item, 6, 1.0f, "psi");
    set_unit(item, 7, 1.0f, "F");
    set_unit(item, 8, 0.0f, "F");
    set_unit(item, 9, 1.0f, "psi");
    set_unit(item, 21, 1.0f, "in.");
    set_unit(item, 22, 1.0f, "in.");
}

static void si_units(struct Item *item)
{
    us_units(item);
    set_unit(item, 1, 25.4f, "mm");
    set_unit(item, 2, 4.448222f, "N");
    set_unit(item, 5, 1.355818f, "N-m");
    set_unit(item, 6, 0.006894757f, "MPa");
    set_unit(item, 7, 0.5555556f, "C");
    set_unit(item, 8, -17.77778f, "C");
    set_unit(item, 9, 0.006894757f, "MPa");
    set_unit(item, 21, 25.4f, "mm");
    set_unit(item, 22, 25.4f, "mm");
}

static float *at(struct Item *item, int n) { return &item->reals[n - 1]; }

/* A flat head of 4 in. with a 30 in. opening in a 60 in. shell, VIII-1. */
static void opening_item(struct Item *item)
{
    memset(item, 0, sizeof *item);
    us_units(item);
    memset(item->texts, ' ', sizeof item->texts);
    put_text(item->texts, TX14_TEXT_WIDTH, "SA-105");
    put_text(item->texts + TX14_TEXT_WIDTH, TX14_TEXT_WIDTH, "Top head");
    *at(item, 1) = 1;
    *at(item, 5) = 100;       /* P */
    *at(item, 6) = 300;       /* T */
    *at(item, 7) = 4;         /* t */
    *at(item, 8) = 30;        /* Bn */
    *at(item, 9) = 60;        /* A */
    *at(item, 10) = 1;        /* g0s */
    *at(item, 11) = 1.5f;     /* g1s */
    *at(item, 12) = 3;        /* hs */
    *at(item, 13) = 0.125f;   /* ca */
    *at(item, 15) = 20000;    /* Sho */
    *at(item, 16) = 20000;    /* Shg */
    *at(item, 21) = 0.283f;   /* density */
    *at(item, 25) = 1;        /* VIII-1 */
    *at(item, 40) = 6;        /* report unit */
}

/* The same head with a nozzle-side hub, VIII-2, shown in SI units; the
 * host marked two values it was not given. */
static void opening_item_si(struct Item *item)
{
    opening_item(item);
    si_units(item);
    *at(item, 2) = TX14_MISSING_VALUE;
    *at(item, 14) = TX14_MISSING_VALUE;
    *at(item, 18) = 0.75f;   /* g0n */
    *at(item, 19) = 1.25f;   /* g1n */
    *at(item, 20) = 2.5f;    /* hn */
    *at(item, 25) = 2;
}

/* Opening wider than the shell and no thickness left after corrosion:
 * fatal input errors. */
static void opening_item_invalid(struct Item *item)
{
    opening_item(item);
    *at(item, 7) = 0.125f;
    *at(item, 8) = 70;
}

/* A half-pipe jacket (code 1 or 2) or a limpet coil (3 or 4) on a 60 in.
 * shell. */
static void jacket_item(struct Item *item, int code)
{
    memset(item, 0, sizeof *item);
    us_units(item);
    memset(item->texts, ' ', sizeof item->texts);
    put_text(item->texts, TX14_TEXT_WIDTH, "SA-516 70");
    put_text(item->texts + TX14_TEXT_WIDTH, TX14_TEXT_WIDTH, "SA-106 B");
    *at(item, 1) = 2;
    *at(item, 2) = 60;        /* D */
    *at(item, 3) = 0.5f;      /* ts */
    *at(item, 4) = 100;       /* P */
    *at(item, 5) = 300;       /* design temperature */
    *at(item, 6) = 20000;     /* S */
    *at(item, 7) = 20000;     /* Sa */
    *at(item, 8) = 0.125f;    /* ca */
    *at(item, 9) = 1;         /* E */
    *at(item, 10) = 4;        /* NPS */
    *at(item, 11) = 0.237f;   /* Tj */
    *at(item, 12) = 150;      /* Pj */
    *at(item, 13) = 350;      /* jacket design temperature */
    *at(item, 14) = 17100;    /* Sj */
    *at(item, 15) = 17100;    /* Sja */
    *at(item, 16) = 0.0625f;  /* caj */
    *at(item, 18) = 5;        /* ExtPCore */
    *at(item, 19) = TX14_MISSING_VALUE; /* co */
    *at(item, 20) = (float)code;
    *at(item, 21) = 6;        /* L */
    *at(item, 40) = 6;
    *at(item, 200) = 1;
}

/* ---- Transcript ---- */

/* Writes bytes with everything but printable ASCII escaped as \xHH. */
static void put_escaped(FILE *out, const char *text, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = (unsigned char)text[i];
        if (c >= 0x20 && c < 0x7F && c != '\\')
            fputc(c, out);
        else
            fprintf(out, "\\x%02X", c);
    }
    fputc('\n', out);
}

static uint32_t bits_of(float x)
{
    uint32_t u;
    memcpy(&u, &x, sizeof u);
    return u;
}

/* Every element the call changed, and the result elements in any case. */
static void put_reals(FILE *out, const float *before, const float *after)
{
    for (int n = 1; n <= TX14_REAL_COUNT; ++n) {
        int result = (n >= 30 && n <= 32) || (n >= 196 && n <= 198);
        if (result || bits_of(before[n - 1]) != bits_of(after[n - 1]))
            fprintf(out, "element %d: %08lX\n", n, (unsigned long)bits_of(after[n - 1]));
    }
}

static void put_capture_block(struct Run *run, const char *item)
{
    const char *block = (const char *)run->lib.getlines();
    int32_t count;
    memcpy(&count, block + TX14_CAPTURE_COUNT_OFFSET, sizeof count);
    fprintf(run->out, "captured lines: %ld\n", (long)count);
    if (count < 0 || count > TX14_CAPTURE_RECORDS) {
        fail(run, "captured-line count out of range", item);
        return;
    }
    for (int i = 0; i < count; ++i)
        put_escaped(run->out, block + i * TX14_CAPTURE_RECORD_WIDTH, TX14_CAPTURE_RECORD_WIDTH);
}

/* The file's records, each of which must end in the platform's newline. */
static void put_file_records(struct Run *run, const char *item, const char *data, size_t n)
{
    const size_t nl = sizeof NEWLINE - 1;
    size_t start = 0;
    int records = 0;
    for (size_t i = 0; i < n; ++i) {
        if (data[i] != '\n')
            continue;
        if (i + 1 < start + nl || memcmp(data + i + 1 - nl, NEWLINE, nl) != 0) {
            fail(run, "report record not ended by the platform's newline", item);
            return;
        }
        fputs("record: ", run->out);
        put_escaped(run->out, data + start, i + 1 - nl - start);
        if (memchr(data + start, '\r', i + 1 - nl - start))
            fail(run, "carriage return inside a report record", item);
        start = i + 1;
        ++records;
    }
    if (start != n)
        fail(run, "last report record not ended by a newline", item);
    fprintf(run->out, "file records: %d\n", records);
}

/* ---- The host's calls ---- */

static void call_lgcenter(struct Run *run, struct Item *item, const char *report_file,
                          int32_t *error_count, int32_t *print_control)
{
    char file_field[TX14_FILE_NAME_WIDTH];
    char run_mode = ' ';
    put_text(file_field, sizeof file_field, report_file ? report_file : "");
    run->lib.lgcenter(item->reals, item->texts, TX14_TEXT_WIDTH, &run_mode, 1, error_count,
                      file_field, TX14_FILE_NAME_WIDTH, NULL, NULL, NULL, item->labels,
                      TX14_UNIT_LABEL_WIDTH, item->factors, print_control);
}

/* Runs one item with the special-character flag as given; the report goes
 * to the capture block, or, when report_file is given, is appended to that
 * file behind a line already there, while this program keeps the file open
 * for reading and writing. */
static void run_item(struct Run *run, const char *name, struct Item *item,
                     const char *report_file, int32_t no_special)
{
    static const char existing[] = "A line the file held before" NEWLINE;
    static char contents[1 << 20];
    float before[TX14_REAL_COUNT];
    int32_t error_count = -7, print_control = -7;
    SharedFile held = NO_FILE;

    fprintf(run->out, "== %s: %s, no special %ld\n", name, report_file ? "file" : "capture",
            (long)no_special);
    memcpy(before, item->reals, sizeof before);
    *run->lib.flags[0] = no_special;
    if (report_file) {
        remove(report_file);
        held = open_shared(report_file);
        if (held == NO_FILE || !write_shared(held, existing, sizeof existing - 1)) {
            fail(run, "cannot prepare the report file", name);
            return;
        }
    }

    call_lgcenter(run, item, report_file, &error_count, &print_control);

    fprintf(run->out, "error count: %ld\nprint control: %ld\n", (long)error_count,
            (long)print_control);
    put_reals(run->out, before, item->reals);
    put_capture_block(run, name);
    if (report_file) {
        long n = read_shared(held, contents, sizeof contents);
        close_shared(held);
        remove(report_file);
        if (n < 0) {
            fail(run, "cannot read the report file back", name);
            return;
        }
        if ((size_t)n < sizeof existing - 1 || memcmp(contents, existing, sizeof existing - 1) != 0)
            fail(run, "the report file lost what it held before", name);
        else if ((size_t)n == sizeof existing - 1)
            fail(run, "no report appended to the file held open", name);
        put_file_records(run, name, contents, (size_t)n);
    }
}

static void run_lgweight(struct Run *run, float B, float A, float t, float g1, float g0, float h,
                         float density)
{
    float W = -1, Wr = -1;
    run->lib.lgweight(&B, &A, &t, &g1, &g0, &h, &W, &Wr, &density);
    fprintf(run->out, "== LGWEIGHT: W %08lX, Wr %08lX\n", (unsigned long)bits_of(W),
            (unsigned long)bits_of(Wr));
}

static void run_all(struct Run *run)
{
    struct Item item;
    for (int i = 0; i < FLAG_COUNT; ++i)
        fprintf(run->out, "%s: %ld\n", flag_names[i], (long)*run->lib.flags[i]);

    opening_item(&item);
    run_item(run, "large opening", &item, NULL, 0);
    opening_item(&item);
    run_item(run, "large opening", &item, NULL, 1);
    opening_item_si(&item);
    run_item(run, "large opening, SI units, VIII-2", &item, NULL, 1);
    opening_item_invalid(&item);
    run_item(run, "large opening with input errors", &item, NULL, 0);
    jacket_item(&item, 1);
    run_item(run, "half-pipe jacket", &item, NULL, 0);
    jacket_item(&item, 2);
    run_item(run, "half-pipe jacket, VIII-2", &item, NULL, 1);
    jacket_item(&item, 3);
    run_item(run, "limpet coil", &item, NULL, 1);

    opening_item(&item);
    run_item(run, "large opening", &item, "tx14_host_check_opening.txt", 0);
    jacket_item(&item, 1);
    run_item(run, "half-pipe jacket", &item, "tx14_host_check_jacket.txt", 1);
    *run->lib.flags[0] = 0;

    run_lgweight(run, 30, 60, 4, 1.5f, 1, 3, 0.283f);
    run_lgweight(run, 12.5f, 48.25f, 2.75f, 0.875f, 0.5f, 1.75f, 7.85e-6f);
}

/* ---- Comparison with the other platform's transcript ---- */

static char *read_file(const char *path, size_t *size)
{
    FILE *f = fopen(path, "rb");
    char *data = NULL;
    long n;
    if (f && fseek(f, 0, SEEK_END) == 0 && (n = ftell(f)) >= 0 && fseek(f, 0, SEEK_SET) == 0) {
        data = malloc((size_t)n + 1);
        if (data && fread(data, 1, (size_t)n, f) == (size_t)n) {
            data[n] = '\0';
            *size = (size_t)n;
        } else {
            free(data);
            data = NULL;
        }
    }
    if (f)
        fclose(f);
    return data;
}

/* 0 when the transcripts are the same; otherwise reports the first line
 * that differs. */
static int compare_transcripts(const char *actual_path, const char *expected_path)
{
    size_t na = 0, ne = 0;
    char *actual = read_file(actual_path, &na);
    char *expected = read_file(expected_path, &ne);
    int differs = 1;
    if (!actual || !expected) {
        fprintf(stderr, "cannot read %s\n", actual ? expected_path : actual_path);
    } else if (na == ne && memcmp(actual, expected, na) == 0) {
        differs = 0;
    } else {
        size_t i = 0, line_start = 0;
        int line = 1;
        while (i < na && i < ne && actual[i] == expected[i]) {
            if (actual[i++] == '\n') {
                ++line;
                line_start = i;
            }
        }
        size_t ea = strcspn(actual + line_start, "\n");
        size_t ee = strcspn(expected + line_start, "\n");
        fprintf(stderr, "transcripts differ at line %d:\n  expected: %.*s\n  actual:   %.*s\n",
                line, (int)ee, expected + line_start, (int)ea, actual + line_start);
    }
    free(actual);
    free(expected);
    return differs;
}

int main(int argc, char **argv)
{
    struct Run run;
    void *library;
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: %s LIBRARY TRANSCRIPT [EXPECTED_TRANSCRIPT]\n", argv[0]);
        return 2;
    }
    library = load_library(argv[1]);
    if (library == NULL) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    memset(&run, 0, sizeof run);
    if (!resolve(&run.lib, library)) {
        fprintf(stderr, "an entry point or flag is not exported\n");
        return 1;
    }
    run.out = fopen(argv[2], "wb");
    if (run.out == NULL) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    run_all(&run);
    if (fclose(run.out) != 0) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc == 4 && compare_transcripts(argv[2], argv[3]) != 0)
        ++run.failures;
    if (run.failures == 0)
        printf("%s: all calls as expected\n", argv[1]);
    return run.failures == 0 ? 0 : 1;
}
