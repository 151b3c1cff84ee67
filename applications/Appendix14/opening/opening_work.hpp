// The opening work record: values the large-opening calculation shares
// between its sections.
#pragma once

namespace tx14 {

struct OpeningWork {
};

}  // namespace tx14
