// libFuzzer target: the fast DetectEncoding, with every scan kernel this machine runs, must give
// the literal reference's answer on every input; any difference stops the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "DetectEncodingReference.h"
#include "textio/DetectEncoding.h"
#include "textio/DetectEncodingInternal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    const auto n = static_cast<int32_t>(size);
    const TextEncoding ref = DetectEncodingReference(data, n);
    if (ref < ENC_BINARY || ref > ENC_UTF7) __builtin_trap();
    if (DetectEncoding(data, n) != ref) __builtin_trap();
    for (DetectKernel k : {DetectKernel::Portable, DetectKernel::Sse2, DetectKernel::Avx2})
        if (DetectKernelAvailable(k) && DetectEncodingWith(k, data, n) != ref) __builtin_trap();
    EncodingToCodePage(ref);
    EncodingName(ref);
    return 0;
}
