#pragma once
// Internals of DetectEncoding that the tests, the fuzz target and the benchmark reach for: the
// byte-scanning kernels can be chosen by hand, so that every one of them is checked against the
// literal reference, whatever the machine would pick by itself.
#include <cstdint>
#include "DetectEncoding.h"

enum class DetectKernel {
    Portable,  // word-at-a-time in plain C++ (the 32-bit DLL's kernel)
    Sse2,      // 16-byte vectors; x86 builds with SSE2 enabled at compile time
    Avx2,      // 32-byte vectors; x86-64 GCC/Clang builds outside Windows, when the processor has AVX2
};

// True when the kernel is compiled in and this processor can run it.
bool DetectKernelAvailable(DetectKernel kernel);

// DetectEncoding with the given kernel; an unavailable kernel falls back to Portable.
TextEncoding DetectEncodingWith(DetectKernel kernel, const unsigned char* bytes, int32_t length);

// The kernel that DetectEncoding uses on this processor.
DetectKernel DetectDefaultKernel();
