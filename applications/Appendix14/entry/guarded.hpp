// The C entry points' guard: what the library throws (it throws only when
// memory runs out) becomes the entry point's error value, never an
// exception in a C caller. Built without exceptions (the WebAssembly
// module), running out of memory ends the call with a trap instead.
#pragma once

namespace tx14 {

template <class Call, class Result>
Result guarded(Call call, Result failed)
{
#if defined(__cpp_exceptions)
    try {
        return call();
    } catch (...) {
        return failed;
    }
#else
    (void)failed;
    return call();
#endif
}

}  // namespace tx14
