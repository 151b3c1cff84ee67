# WebAssembly System Interface: programs are .wasm modules.
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
