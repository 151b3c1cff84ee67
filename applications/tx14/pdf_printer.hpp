// Printing an HTML document to PDF with headless Chromium, which runs in a
// process group and a temporary directory of its own: both are gone when
// printing ends, whether it printed, failed, took too long or was
// interrupted.
#pragma once

#include <string>
#include <string_view>

namespace tx14::cli {

struct PdfPrinting {
    double timeout_seconds = 120;  // then the browser is stopped
};

// Prints `html` into `pdf` with the browser named by TX14_CHROMIUM (a path,
// or a name looked up in PATH as a shell does), else /usr/bin/chromium.
// False with `error` set when there is no browser, it fails, it takes
// longer than the timeout or SIGINT, SIGTERM or SIGHUP arrives meanwhile
// (interrupting_signal() then says which).
bool print_pdf(const std::string& html, std::string& pdf, std::string& error, const PdfPrinting& how = {});

// The signal that interrupted printing, 0 for none: the caller cleans up,
// then ends the process with it.
int interrupting_signal();

// A path as a file URL: every byte but letters, digits, "-._~/" as %HH.
std::string file_url(std::string_view absolute_path);

// A program's path: `name` itself when it holds a slash, else the first
// executable file of that name in the directories of PATH; empty when none.
std::string find_program(const std::string& name);

}  // namespace tx14::cli
