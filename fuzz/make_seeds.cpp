// Writes the seed corpus of the fuzz targets: the worked large-opening
// example and the golden jacket and coil items as whole LGCENTER calls in
// each destination, and typical report lines, templates and values for the
// primitives. Usage: fuzz_make_seeds <corpus directory>.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "lgcenter_input.hpp"
#include "support/test_support.hpp"

namespace {

namespace fs = std::filesystem;
using tx14::fuzz::CallInput;
using tx14::fuzz::Destination;
using tx14::test::HostItem;

fs::path corpus;

void write_seed(const char* target, const std::string& name, const std::string& bytes)
{
    fs::create_directories(corpus / target);
    std::ofstream(corpus / target / name, std::ios::binary) << bytes;
}

CallInput call_of(const HostItem& item, std::uint8_t kind)
{
    CallInput in;
    in.kind = kind;
    in.run_mode = item.run_mode;
    for (int n = 1; n <= 200; ++n)
        in.element(n) = item.reals[static_cast<std::size_t>(n - 1)];
    std::memcpy(in.texts.data(), item.texts.data(), in.texts.size());
    std::memcpy(in.labels.data(), item.unit_labels.data(), in.labels.size());
    std::memcpy(in.factors.data(), item.unit_factors.data(), sizeof in.factors);
    return in;
}

void item_seed(const std::string& name, CallInput in, Destination d, std::int8_t no_special = 0)
{
    in.destination = static_cast<std::uint8_t>(d);
    in.no_special = no_special;
    write_seed("lgcenter", name, tx14::fuzz::encode(in));
}

using Changes = std::initializer_list<std::pair<int, float>>;  // element, value

tx14::testing::JacketItem changed(tx14::testing::JacketItem item, Changes changes)
{
    for (auto [n, v] : changes)
        item[n] = v;
    return item;
}

void lgcenter_seeds()
{
    using namespace tx14::testing;
    const CallInput opening = call_of(HostItem{}, tx14::fuzz::kOpening);
    item_seed("opening_capture", opening, Destination::capture);
    item_seed("opening_file", opening, Destination::file);
    item_seed("opening_plain_text", opening, Destination::capture, 1);
    item_seed("opening_directory", opening, Destination::directory);

    HostItem nozzle;
    nozzle.at(18) = 0.75f;  // g0n
    nozzle.at(19) = 1.25f;  // g1n
    nozzle.at(20) = 2;      // hn
    nozzle.at(25) = 2;      // VIII-2
    item_seed("opening_nozzle_div2", call_of(nozzle, tx14::fuzz::kOpening), Destination::capture);

    HostItem fatal;
    fatal.at(11) = 0.5f;  // g1s below g0s
    fatal.at(13) = 4;     // ca as thick as the head
    item_seed("opening_fatal_errors", call_of(fatal, tx14::fuzz::kOpening), Destination::file);

    const struct {
        const char* name;
        JacketItem item;
    } jackets[] = {
        {"jacket_appendix_ee", changed(half_pipe_item(), {{11, 0.07f}, {12, 300}})},
        {"jacket_div2", changed(half_pipe_item(), {{10, 3}, {11, 0.216f}, {12, 100}, {18, 5}, {19, 0.0625f}, {20, 2}})},
        {"coil_pd5500", limpet_coil_item()},
        {"coil_en13445", changed(limpet_coil_item(), {{20, 4}})},
    };
    for (const auto& j : jackets) {
        const int code = static_cast<int>(j.item.reals[19]);
        const CallInput in = call_of(j.item, static_cast<std::uint8_t>(tx14::fuzz::kJacketCode1 + code - 1));
        item_seed(std::string(j.name) + "_capture", in, Destination::capture);
        item_seed(std::string(j.name) + "_file_plain_text", in, Destination::file, 1);
    }
    item_seed("jacket_missing_folder", call_of(half_pipe_item(), 0), Destination::missing_folder);
    item_seed("jacket_radius_errors", call_of(changed(half_pipe_item(), {{17, 1.5f}, {20, 2}, {3, 0}}), 0),
              Destination::capture);

    // SI units: millimetres, MPa, degrees Celsius.
    JacketItem metric = limpet_coil_item();
    metric.label(1, "mm");
    metric.label(6, "MPa");
    metric.label(7, "C");
    metric.label(9, "MPa");
    metric.label(21, "mm");
    metric.label(22, "mm");
    for (int n : {1, 21, 22})
        metric.unit_factors[static_cast<std::size_t>(n - 1)] = 25.4f;
    for (int n : {6, 9})
        metric.unit_factors[static_cast<std::size_t>(n - 1)] = 0.00689476f;
    metric.unit_factors[6] = 0.5555556f;
    metric.unit_factors[7] = -17.77778f;
    item_seed("coil_metric_units", call_of(metric, tx14::fuzz::kJacketCode1 + 2), Destination::capture);
}

// Bytes of the primitive inputs, appended field by field.
struct Bytes {
    std::string s;
    template <typename T>
    Bytes& put(T v)
    {
        s.append(reinterpret_cast<const char*>(&v), sizeof v);
        return *this;
    }
    Bytes& text(std::string_view t)
    {
        s += t;
        return *this;
    }
};

void report_seeds()
{
    enum : std::uint8_t { line_writer, special, squeezer, substitution, tidy, blank_zeros, sigdigits, number };
    auto seed = [](const std::string& name, const Bytes& b) { write_seed("report", name, b.s); };
    const std::string_view formula = " = 0.91(@3 /@3 )\xB2 * @3 * @3 *@0/(@3 * @3)";

    seed("line_title_capture", Bytes{}
                                   .put(line_writer)
                                   .put<std::uint8_t>(1)
                                   .put<std::int8_t>(1)
                                   .put<std::int8_t>(0)
                                   .put<std::int8_t>(0)
                                   .put<std::int8_t>(0)
                                   .put<std::int8_t>(0)
                                   .put<std::int8_t>(1)
                                   .put<std::uint16_t>(0)
                                   .text("ASME VIII-1 App. 14 Large Central Opening Flange Analysis Results:"));
    seed("line_plain_file", Bytes{}
                                .put(line_writer)
                                .put<std::uint8_t>(0x15)
                                .put<std::int8_t>(0)
                                .put<std::int8_t>(0)
                                .put<std::int8_t>(0)
                                .put<std::int8_t>(1)
                                .put<std::int8_t>(0)
                                .put<std::int8_t>(2)
                                .put<std::uint16_t>(499)
                                .text("Area = d\xB2/t\xB2   in\xB2    at 300\xB0"
                                      "F, (E\xF8)* `x` \xBD"));
    seed("symbols_table_line", Bytes{}.put(special).text("| d\xB2 | t\xB3 | 0.5\xBD |  \xA9  |"));
    seed("symbols_crowded_line", Bytes{}.put(special).text(std::string(96, 'x') + "\xB2\xB3\xBD\xBD"));
    seed("squeeze_keep_1", Bytes{}.put(squeezer).put<std::int32_t>(1).put<std::uint16_t>(100).text(
                               "   Number of fatal errors:    2.0000    This Analysis will be terminated."));
    seed("squeeze_keep_10", Bytes{}.put(squeezer).put<std::int32_t>(10).put<std::uint16_t>(100).text(
                                " =  0.91(   1.9835 /  1.5000 )\xB2 *    0.0000   "));
    seed("substitute_formula", Bytes{}
                                   .put(substitution)
                                   .put<std::int8_t>(1)
                                   .put<std::uint8_t>(6)
                                   .put(1.98f)
                                   .put(1.5f)
                                   .put(0.25f)
                                   .put(1e9f)
                                   .put(-3.5f)
                                   .put(0.0f)
                                   .text(formula));
    seed("substitute_seventh_placeholder", Bytes{}
                                               .put(substitution)
                                               .put<std::int8_t>(1)
                                               .put<std::uint8_t>(2)
                                               .put(0.25f)
                                               .put(12345.678f)
                                               .text(" = @4 * 1.414 @1 @2 @3 @5 @6 @7 @8 @9#tail"));
    seed("tidy_formula", Bytes{}.put(tidy).text(" = ( 2.5 / 3 ) \xB2 , x ^ 2 / y"));
    seed("blank_zeros_row",
         Bytes{}.put(blank_zeros).put<std::int8_t>(1).text("|      0.0 |   12.5 |      0 |  0.00E+00 | 0. |"));
    for (auto [name, v, n] : {std::tuple{"sigdigits_tenth", 0.1f, 3},
                              {"sigdigits_nudged", 2.19995f, 4},
                              {"sigdigits_whole", 1234567.8f, 3},
                              {"sigdigits_engineering", 3e9f, 3},
                              {"sigdigits_negative", -12.5f, 3}})
        seed(name, Bytes{}.put(sigdigits).put(v).put<std::int32_t>(n));
    seed("number_fixed",
         Bytes{}.put(number).put<std::uint8_t>(0).put(-0.25f).put<std::int8_t>(3).put<std::uint16_t>(6));
    seed("number_exponential",
         Bytes{}.put(number).put<std::uint8_t>(1).put(2.0e8f).put<std::int8_t>(5).put<std::uint16_t>(11));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    corpus = argv[1];
    lgcenter_seeds();
    report_seeds();
    return 0;
}
