// libFuzzer target for the ISO-2022-JP <-> EUC-JP transcoding: any bytes in either direction
// (the sanitizers watch the reads), and EUC -> ISO output (of bytes without ESC) must survive ISO -> EUC -> ISO unchanged.
#include <cstddef>
#include <cstdint>

#include <vector>

#include "textio/JisTranscode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    textio::ByteVector euc, iso, euc2, iso2, cp, back;
    textio::Iso2022JpToEucJp(data, size, euc);
    // ESC cannot pass from EUC-JP text into ISO-2022-JP unchanged: the round trip leaves it out.
    std::vector<uint8_t> noEsc(data, data + size);
    for (uint8_t& b : noEsc)
        if (b == 0x1B) b = 0x1A;
    textio::EucJpToIso2022Jp(noEsc.data(), noEsc.size(), iso);
    textio::Iso2022JpToEucJp(iso.data(), iso.size(), euc2);
    textio::EucJpToIso2022Jp(euc2.data(), euc2.size(), iso2);
    if (iso2 != iso) __builtin_trap();
    textio::EucJpToCp20932(data, size, cp);
    textio::Cp20932ToEucJp(cp.data(), cp.size(), back);
    return 0;
}
