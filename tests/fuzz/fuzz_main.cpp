// libFuzzer entry point; FUZZ_TARGET names the function of fuzztargets.h.

#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::FUZZ_TARGET(data, size);
    return 0;
}
