// Reads arbitrary bytes once as one format, on one thread: the file's
// entries are listed and each is read. Any crash, sanitizer report, leak or
// hang is a fault. Built once per reader, each naming its open function in
// FUZZ_OPEN, so that every input goes to that reader's code alone.
#include "record/binary/mseedreader.h"
#include "record/binary/psntype4.h"
#include "record/binary/sacreader.h"
#include "record/text/psnreader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

volatile size_t sink;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    ReadOptions options;
    options.threads = singleThread();
    // Inputs are short: parts of a few KiB leave less memory to clear for each.
    options.threads.readPartBytes = 4096;
    // Some inputs are read as counts with a sensitivity given.
    if (size > 1 && data[1] % 4 == 0)
        options.sensitivity.given = 0.5 + data[size - 1];
    ByteInput input(bytes);
    OpenResult opened = FUZZ_OPEN(input, "fuzz", options);
    if (auto *record = std::get_if<OpenedRecord>(&opened)) {
        for (size_t e = 0; e < record->entries().size(); ++e) {
            const ReadResult read = record->read(e);
            if (const auto *r = std::get_if<Record>(&read))
                sink = sink + r->samples.size();
            else
                sink = sink + std::get<LoadError>(read).reason.size();
        }
    } else {
        sink = sink + std::get<LoadError>(opened).reason.size();
    }
    return 0;
}
