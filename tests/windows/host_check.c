// The host application's calls, made on the library loaded at run time, with
// a transcript of everything the host gets back.
//
// The same program is built for Linux (it loads the shared library) and for
// Windows (it loads the DLL, as the host does: LoadLibraryA and
// GetProcAddress, with the host's own declarations of the entries). Each run
// writes its transcript; the test compares the two, so that the Windows DLL
// has to give the Linux library's results and report records bit for bit.
// Checked on each platform besides: the print control, the closing notice as
// the last captured record (its copyright sign plain when asked), LGWEIGHT's
// weights of a ring, report records that end with the platform's newline,
// and a report file appended to while the test keeps a read/write handle of
// its own open on it. 400 generated calls and 100 forging weights follow,
// each summed up in one line of the transcript.
//
// Usage: tx14_host_check LIBRARY TRANSCRIPT
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "txappendix14.h"

#if defined(_WIN32)
#include <windows.h>
#define NEWLINE "\r\n"  // text files end their lines with CRLF there
static void* load_library(const char* path) { return (void*)LoadLibraryA(path); }
static void* find_symbol(void* library, const char* name)
{
    FARPROC p = GetProcAddress((HMODULE)library, name);
    void* address;
    memcpy(&address, &p, sizeof address);
    return address;
}
#else
#include <dlfcn.h>
#define NEWLINE "\n"
static void* load_library(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void* find_symbol(void* library, const char* name) { return dlsym(library, name); }
#endif

typedef void(TX_STDCALL* LgCenterFn)(float*, const char*, intptr_t, const char*, intptr_t, int32_t*, const char*,
                                     intptr_t, const void*, const void*, const void*, const char*, intptr_t,
                                     const float*, int32_t*);
typedef void(TX_STDCALL* LgWeightFn)(const float*, const float*, const float*, const float*, const float*, const float*,
                                     float*, float*, const float*);
typedef void*(TX_STDCALL* GetLinesFn)(void);

// The entries, then the flags, as the host finds them by name.
#define FLAG_COUNT 7
static char symbol_list[] =
    "LGCENTER LGWEIGHT GETLINESCOMAUX FLAGS_mp_IINOSPECIAL FLAGS_mp_LBSAREA FLAGS_mp_LCHORD "
    "GLOBALS_mp_G_NUSE_CASE2286 GLOBALS_mp_G_NUSE_CORRODEDK GLOBALS_mp_G_NUSE_OLD_DIV_2 "
    "GLOBALS_mp_G_NUSE_TABLEG";
static const char* symbol_names[3 + FLAG_COUNT];
static LgCenterFn lgcenter;
static LgWeightFn lgweight;
static GetLinesFn getlines;
static int32_t* flags[FLAG_COUNT];  // the first: no special characters
static FILE* out;                   // the transcript
static int failures;                // checks that failed on this platform

static void fail(const char* what, const char* call)
{
    fprintf(stderr, "FAILED: %s (%s)\n", what, call);
    ++failures;
}

// ---- Items, as the host fills its arrays ----

struct Item {
    float reals[TX14_REAL_COUNT];
    char texts[3 * TX14_TEXT_WIDTH];
    char labels[TX14_UNIT_LABEL_COUNT * TX14_UNIT_LABEL_WIDTH];
    float factors[TX14_UNIT_FACTOR_COUNT];
};

struct Change {
    int n;
    float value;
};  // element n (from 1); lists end with n = 0

// A flat head of 4 in. with a 30 in. opening in a 60 in. shell, VIII-1:
// P, T, t, Bn, A, g0s, g1s, hs, ca, Sho, Shg, density, code, report unit.
static const struct Change opening[] = {{1, 1},       {5, 100},   {6, 300}, {7, 4},       {8, 30},     {9, 60},
                                        {10, 1},      {11, 1.5f}, {12, 3},  {13, 0.125f}, {15, 20000}, {16, 20000},
                                        {21, 0.283f}, {25, 1},    {40, 6},  {0, 0}};
// The same head with a nozzle-side hub (g0n, g1n, hn), VIII-2; the host
// marked two values it was not given.
static const struct Change nozzle_viii2[] = {
    {2, TX14_MISSING_VALUE}, {14, TX14_MISSING_VALUE}, {18, 0.75f}, {19, 1.25f}, {20, 2.5f}, {25, 2}, {0, 0}};
// Opening wider than the shell, no thickness left after corrosion: fatal.
static const struct Change invalid[] = {{7, 0.125f}, {8, 70}, {0, 0}};
// A half-pipe jacket on a 60 in. shell: D, ts, P, T, S, Sa, ca, E, NPS, Tj,
// Pj, jacket T, Sj, Sja, caj, ExtPCore, co (missing), code, L.
static const struct Change jacket[] = {
    {1, 2},     {2, 60},     {3, 0.5f},   {4, 100},      {5, 300},     {6, 20000},
    {7, 20000}, {8, 0.125f}, {9, 1},      {10, 4},       {11, 0.237f}, {12, 150},
    {13, 350},  {14, 17100}, {15, 17100}, {16, 0.0625f}, {18, 5},      {19, TX14_MISSING_VALUE},
    {20, 1},    {21, 6},     {40, 6},     {200, 1},      {0, 0}};
static const struct Change code2[] = {{20, 2}, {0, 0}}, coil[] = {{20, 3}, {0, 0}};

// The host's internal units are inches, pounds and psi, displayed as they
// are or in SI units.
static const struct {
    int n;
    float us, si;
    const char *us_label, *si_label;
} units[] = {{1, 1, 25.4f, "in.", "mm"},         {2, 1, 4.448222f, "lb.", "N"}, {5, 1, 1.355818f, "ft-lb.", "N-m"},
             {6, 1, 0.006894757f, "psi", "MPa"}, {7, 1, 0.5555556f, "F", "C"},  {8, 0, -17.77778f, "F", "C"},
             {9, 1, 0.006894757f, "psi", "MPa"}, {21, 1, 25.4f, "in.", "mm"},   {22, 1, 25.4f, "in.", "mm"}};

static void put_text(char* field, size_t width, const char* text)
{
    size_t n = strlen(text);
    memset(field, ' ', width);
    memcpy(field, text, n < width ? n : width);
}

static void make_item(struct Item* item, const struct Change* base, const struct Change* extra, int si)
{
    memset(item, 0, sizeof *item);
    memset(item->texts, ' ', sizeof item->texts);
    memset(item->labels, ' ', sizeof item->labels);
    put_text(item->texts, TX14_TEXT_WIDTH, base == opening ? "SA-105" : "SA-516 70");
    put_text(item->texts + TX14_TEXT_WIDTH, TX14_TEXT_WIDTH, base == opening ? "Top head" : "SA-106 B");
    for (int i = 0; i < TX14_UNIT_FACTOR_COUNT; ++i)
        item->factors[i] = 1.0f;
    for (size_t i = 0; i < sizeof units / sizeof units[0]; ++i) {
        item->factors[units[i].n - 1] = si ? units[i].si : units[i].us;
        put_text(item->labels + (units[i].n - 1) * TX14_UNIT_LABEL_WIDTH, TX14_UNIT_LABEL_WIDTH,
                 si ? units[i].si_label : units[i].us_label);
    }
    for (const struct Change* c = base; c->n; ++c)
        item->reals[c->n - 1] = c->value;
    for (const struct Change* c = extra; c && c->n; ++c)
        item->reals[c->n - 1] = c->value;
}

// ---- Transcript ----

// Writes bytes with everything but printable ASCII escaped as \xHH.
static void put_escaped(const char* text, size_t n)
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

static unsigned long bits_of(float x)
{
    uint32_t u;
    memcpy(&u, &x, sizeof u);
    return (unsigned long)u;
}

// FNV-1a, 64 bits, of the bytes.
static void put_digest(const char* what, const void* data, size_t n)
{
    uint64_t h = 0xCBF29CE484222325u;
    for (size_t i = 0; i < n; ++i)
        h = (h ^ ((const unsigned char*)data)[i]) * 0x100000001B3u;
    fprintf(out, " %s %08lX%08lX", what, (unsigned long)(h >> 32), (unsigned long)(h & 0xFFFFFFFFu));
}

// The report file's records, each of which must end in the platform's
// newline and hold no other carriage return.
static void put_file_records(const char* call, const char* data, size_t n)
{
    const size_t nl = sizeof NEWLINE - 1;
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
        if (data[i] != '\n')
            continue;
        if (i + 1 < start + nl || memcmp(data + i + 1 - nl, NEWLINE, nl) != 0 ||
            memchr(data + start, '\r', i + 1 - nl - start)) {
            fail("a report record not ended by the platform's newline alone", call);
            return;
        }
        fputs("record: ", out);
        put_escaped(data + start, i + 1 - nl - start);
        start = i + 1;
    }
    if (start != n)
        fail("last report record not ended by a newline", call);
}

// ---- The host's calls ----

// One LGCENTER call with the special-character flag as given; the report
// goes to the capture block, or, when report_file is given, is appended to
// that file behind a line already there, while this program keeps the file
// open for reading and writing. In full, the transcript gets every element
// the call changed, the result elements in any case, and every record;
// otherwise the digests of the real array and of the captured records.
static void call(const char* name, struct Item* item, const char* report_file, int32_t no_special, int full)
{
    static const char existing[] = "A line the file held before" NEWLINE;
    static char contents[1 << 20];
    float before[TX14_REAL_COUNT];
    int32_t error_count = -7, print_control = -7, count;
    char file_field[TX14_FILE_NAME_WIDTH], run_mode = ' ', notice[TX14_CAPTURE_RECORD_WIDTH];
    const char* block;
    FILE* held = NULL;

    memcpy(before, item->reals, sizeof before);
    *flags[0] = no_special;
    // fopen lets others read and write the file meanwhile, on Windows too,
    // as the host's other programs may.
    if (report_file && ((held = fopen(report_file, "w+b")) == NULL ||
                        fwrite(existing, 1, sizeof existing - 1, held) != sizeof existing - 1 || fflush(held) != 0)) {
        fail("cannot prepare the report file", name);
        return;
    }
    put_text(file_field, sizeof file_field, report_file ? report_file : "");
    lgcenter(item->reals, item->texts, TX14_TEXT_WIDTH, &run_mode, 1, &error_count, file_field, TX14_FILE_NAME_WIDTH,
             NULL, NULL, NULL, item->labels, TX14_UNIT_LABEL_WIDTH, item->factors, &print_control);
    block = (const char*)getlines();
    memcpy(&count, block + TX14_CAPTURE_COUNT_OFFSET, sizeof count);
    if (count < 0 || count > TX14_CAPTURE_RECORDS) {
        fail("captured-line count out of range", name);
        count = 0;
    }
    fprintf(out, "== %s: %s, no special %ld: errors %ld, print control %ld, lines %ld", name,
            report_file ? "file" : "capture", (long)no_special, (long)error_count, (long)print_control, (long)count);
    if (!full) {
        put_digest("reals", item->reals, sizeof item->reals);
        put_digest("records", block, (size_t)count * TX14_CAPTURE_RECORD_WIDTH);
        fputc('\n', out);
        return;
    }
    fputc('\n', out);
    if (print_control != 1)
        fail("print control not 1", name);
    for (int n = 1; n <= TX14_REAL_COUNT; ++n)
        if ((n >= 30 && n <= 32) || (n >= 196 && n <= 198) || bits_of(before[n - 1]) != bits_of(item->reals[n - 1]))
            fprintf(out, "element %d: %08lX\n", n, bits_of(item->reals[n - 1]));
    for (int i = 0; i < count; ++i)
        put_escaped(block + i * TX14_CAPTURE_RECORD_WIDTH, TX14_CAPTURE_RECORD_WIDTH);
    // Columns 1 to 4 blank, the text, the style codes from column 109, a NUL.
    snprintf(notice, sizeof notice, "    %-104s 1 0 0 1 0 2",
             no_special ? "TXAppendix14 Calculation Library, Copyright c 2026"
                        : "TXAppendix14 Calculation Library, Copyright \xA9 2026");
    if (count > 0 && memcmp(block + (count - 1) * TX14_CAPTURE_RECORD_WIDTH, notice, 121) != 0)
        fail("the last captured record is not the closing notice", name);
    if (held) {
        size_t n = fseek(held, 0, SEEK_SET) == 0 ? fread(contents, 1, sizeof contents, held) : 0;
        fclose(held);
        remove(report_file);
        if (n <= sizeof existing - 1 || memcmp(contents, existing, sizeof existing - 1) != 0)
            fail("the report file lost what it held before, or got no report", name);
        else
            put_file_records(name, contents + sizeof existing - 1, n - (sizeof existing - 1));
    }
}

// A fixed sequence of pseudo-random numbers (xorshift32): the same calls on
// every platform.
static uint32_t next_random(uint32_t* state)
{
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return *state = x;
}

// A given value kept (half the time: an input such as NPS or E takes only
// a few values), scaled by k/64 for k from 48 to 79 (the product of two
// floats is exact before its one rounding, whatever unit computes it), or
// now and then not given, zero, negative, huge, infinite or not a number.
static float varied(uint32_t* state, float value)
{
    static const float odd[] = {TX14_MISSING_VALUE, 0.0f, -1.0f, 1e30f, -3e38f, 1e-30f};
    uint32_t r = next_random(state);
    switch (r % 128) {
    case 0:
        return odd[(r >> 8) % (sizeof odd / sizeof odd[0])];
    case 1:
        return (r >> 8) & 1 ? HUGE_VAL : -HUGE_VAL;
    case 2:
        return NAN;
    default:
        return r % 128 < 64 ? value : value * ((float)(48 + (r >> 27)) / 64.0f);
    }
}

// The flags as the library starts; the calls in full, in either unit
// system and special-character setting; then, summed up, items of every
// kind and code with every given value varied, and LGWEIGHT on a ring whose
// weights are known (B, A, t, g1, g0, h, density; W, Wr) and on varied ones.
static void run_all(int generated)
{
    static const struct {
        const char* name;
        const struct Change *base, *extra;
        int si;
        const char* report_file;
        int32_t no_special;
    } calls[] = {
        {"large opening", opening, NULL, 0, NULL, 0},
        {"large opening", opening, NULL, 0, NULL, 1},
        {"large opening, SI units, VIII-2", opening, nozzle_viii2, 1, NULL, 1},
        {"large opening with input errors", opening, invalid, 0, NULL, 0},
        {"half-pipe jacket", jacket, NULL, 0, NULL, 0},
        {"half-pipe jacket, VIII-2", jacket, code2, 0, NULL, 1},
        {"limpet coil", jacket, coil, 0, NULL, 1},
        {"large opening", opening, NULL, 0, "tx14_host_check_opening.txt", 0},
        {"half-pipe jacket", jacket, NULL, 0, "tx14_host_check_jacket.txt", 1},
    };
    static const struct Change* const kinds[][2] = {
        {opening, NULL}, {opening, nozzle_viii2}, {jacket, NULL}, {jacket, code2}, {jacket, coil}};
    static const float ring[] = {10, 20, 2, 1, 0.5f, 3, 0.283f};
    uint32_t state = 0x14A14u;
    struct Item item;

    for (int i = 0; i < FLAG_COUNT; ++i)
        fprintf(out, "%s: %ld\n", symbol_names[3 + i], (long)*flags[i]);
    for (size_t i = 0; i < sizeof calls / sizeof calls[0]; ++i) {
        make_item(&item, calls[i].base, calls[i].extra, calls[i].si);
        call(calls[i].name, &item, calls[i].report_file, calls[i].no_special, 1);
    }
    for (int i = 0; i < generated; ++i) {
        uint32_t r = next_random(&state);
        char name[32];
        make_item(&item, kinds[r % 5][0], kinds[r % 5][1], (r >> 3) & 1);
        for (const struct Change* c = kinds[r % 5][0]; c->n; ++c)
            if (c->n != 200 && c->n != 40 && c->n != 20 && c->n != 25)  // the frame stays
                item.reals[c->n - 1] = varied(&state, item.reals[c->n - 1]);
        snprintf(name, sizeof name, "generated %d", i);
        call(name, &item, NULL, (r >> 4) & 1, 0);
    }
    *flags[0] = 0;
    for (int i = 0; i < generated / 4; ++i) {
        float in[7], W = -1, Wr = -1;
        for (int k = 0; k < 7; ++k)
            in[k] = i == 0 ? ring[k] : varied(&state, ring[k]);
        lgweight(&in[0], &in[1], &in[2], &in[3], &in[4], &in[5], &W, &Wr, &in[6]);
        fprintf(out, "LGWEIGHT %d: W %08lX, Wr %08lX\n", i, bits_of(W), bits_of(Wr));
        if (i == 0 && (W != 154.865f || Wr != 333.40152f))
            fail("LGWEIGHT's weights", "ring");
    }
}

int main(int argc, char** argv)
{
    void* library = argc == 3 ? load_library(argv[1]) : NULL;
    void* symbols[3 + FLAG_COUNT];
    if (library == NULL) {
        fprintf(stderr, argc == 3 ? "cannot load %s\n" : "usage: %s LIBRARY TRANSCRIPT\n", argv[argc == 3]);
        return argc == 3 ? 1 : 2;
    }
    for (int i = 0; i < 3 + FLAG_COUNT; ++i)
        if ((symbols[i] = find_symbol(library, symbol_names[i] = strtok(i ? NULL : symbol_list, " "))) == NULL) {
            fprintf(stderr, "missing export %s\n", symbol_names[i]);
            return 1;
        }
    memcpy(&lgcenter, &symbols[0], sizeof lgcenter);
    memcpy(&lgweight, &symbols[1], sizeof lgweight);
    memcpy(&getlines, &symbols[2], sizeof getlines);
    for (int i = 0; i < FLAG_COUNT; ++i)
        flags[i] = (int32_t*)symbols[3 + i];
    if ((out = fopen(argv[2], "wb")) == NULL) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    run_all(400);
    if (fclose(out) != 0) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    if (failures == 0)
        printf("%s: all calls as expected\n", argv[1]);
    return failures == 0 ? 0 : 1;
}
