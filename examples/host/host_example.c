/* A minimal host: runs the worked large-opening item through LGCENTER in
 * capture mode and prints the captured report, as a host application would
 * read it through GETLINESCOMAUX. */
#include <stdio.h>
#include <string.h>

#include "txappendix14.h"

/* Writes one Windows-1252 byte as UTF-8; 0xF8 stands for theta. */
static void put_utf8(unsigned char c)
{
    if (c < 0x80) {
        putchar(c);
    } else if (c == 0xF8) {
        fputs("\xCE\xB8", stdout);
    } else {
        putchar(0xC0 | (c >> 6));
        putchar(0x80 | (c & 0x3F));
    }
}

static void label(char* labels, int n, const char* text) { memcpy(labels + (n - 1) * 10, text, strlen(text)); }

int main(void)
{
    float reals[200] = {0};
    char texts[3 * 15];
    char report_file[256];
    char labels[23 * 10];
    float factors[22];
    char run_mode = ' ';
    int32_t errors = 0, print_control = 0;

    memset(texts, ' ', sizeof texts);
    memcpy(texts, "SA-105", 6);
    memcpy(texts + 15, "Top head", 8);
    memset(report_file, ' ', sizeof report_file); /* blank: capture in memory */
    memset(labels, ' ', sizeof labels);
    label(labels, 1, "in.");
    label(labels, 2, "lb.");
    label(labels, 5, "ft-lb.");
    label(labels, 6, "psi");
    label(labels, 7, "F");
    label(labels, 9, "psi");
    label(labels, 21, "in.");
    label(labels, 22, "in.");
    for (int i = 0; i < 22; ++i)
        factors[i] = 1.0f;
    factors[7] = 0.0f; /* temperature offset */

    reals[0] = 1;       /* item number */
    reals[4] = 100;     /* P, psi */
    reals[5] = 300;     /* T, F */
    reals[6] = 4;       /* t */
    reals[7] = 30;      /* Bn */
    reals[8] = 60;      /* A */
    reals[9] = 1;       /* g0s */
    reals[10] = 1.5f;   /* g1s */
    reals[11] = 3;      /* hs */
    reals[12] = 0.125f; /* ca */
    reals[14] = 20000;  /* Sho */
    reals[15] = 20000;  /* Shg */
    reals[20] = 0.283f; /* density, lb./in.^3 */
    reals[24] = 1;      /* VIII-1 Appendix 14 */
    reals[39] = 6;      /* report unit */

    LGCENTER(reals, texts, 15, &run_mode, 1, &errors, report_file, 256, NULL, NULL, NULL, labels, 10, factors,
             &print_control);

    const char* block = (const char*)GETLINESCOMAUX();
    int32_t count;
    memcpy(&count, block + TX14_CAPTURE_COUNT_OFFSET, sizeof count);
    for (int i = 0; i < count; ++i) {
        const unsigned char* text = (const unsigned char*)block + i * TX14_CAPTURE_RECORD_WIDTH + 4;
        int n = 100;
        while (n > 0 && text[n - 1] == ' ')
            --n;
        for (int k = 0; k < n; ++k)
            put_utf8(text[k]);
        putchar('\n');
    }
    printf("\nfatal errors: %d   minimum thickness: %g   M.A.W.P.: %g   largest stress: %g\n", (int)errors,
           (double)reals[29], (double)reals[30], (double)reals[31]);
    return 0;
}
