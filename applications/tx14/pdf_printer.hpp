// Printing an HTML document to PDF with headless Chromium, which runs in a
// process group and a temporary directory of its own: both are gone when
// printing ends, whether it printed, failed, took too long or was
// interrupted.
#pragma once

#include <string>

namespace tx14::cli {

// Prints `html` into `pdf` with the browser named by TX14_CHROMIUM (a path,
// or a name looked up in PATH as a shell does), else /usr/bin/chromium.
// False with `error` set when there is no browser, it fails, it takes
// longer than `timeout_seconds` or SIGINT, SIGTERM or SIGHUP arrives
// meanwhile (interrupting_signal() then says which).
bool print_pdf(const std::string& html, std::string& pdf, std::string& error, double timeout_seconds);

// The signal that interrupted printing, 0 for none: the caller cleans up,
// then ends the process with it.
int interrupting_signal();

}  // namespace tx14::cli
