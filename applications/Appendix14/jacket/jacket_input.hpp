// The jacket input record: a half-pipe jacket or limpet coil item as
// unpacked from the host's real array and text fields.
#pragma once

namespace tx14 {

struct JacketInput {
};

}  // namespace tx14
