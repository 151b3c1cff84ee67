// Placeholders of the large-opening analysis until its sections are built.
#include "opening.hpp"

namespace tx14 {

void echo_opening_input(State&) {}

void validate_opening_input(State&, std::int32_t&, char) {}

void calculate_opening(State&, OpeningResults&) {}

}  // namespace tx14
