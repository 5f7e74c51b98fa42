// libFuzzer target: the score-history reader on any image, as a crafted save
// would hand it over. Besides the sanitizers' checks on every byte read, it
// holds the reader to what the window relies on: slot 0 is never written, and
// the table is left alone exactly when no tag lies at positions 0 to
// length - 5.
#include "scorehistory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr int32_t Untouched = 0x5A5A5A5A;
    chart::ScoreTable slots;
    slots.fill(Untouched);

    const bool found = readScoreHistory(data, size, slots);

    static constexpr uint8_t Tag[] = {'H', 'I', 'S', 'T'};
    const bool tagInRange = size > 4 && std::search(data, data + size - 1, Tag, Tag + 4) != data + size - 1;
    if (found != tagInRange || slots[0] != Untouched)
        std::abort();
    if (!found && std::any_of(slots.begin(), slots.end(), [](int32_t s) { return s != Untouched; }))
        std::abort();
    return 0;
}
