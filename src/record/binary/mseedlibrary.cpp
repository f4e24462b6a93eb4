#include "record/binary/mseedlibrary.h"

#include <cctype>
#include <mutex>

namespace {

// What the library first said during the last parse on this thread.
thread_local std::string libraryMessage;

void keepMessage(char *text)
{
    if (libraryMessage.empty())
        libraryMessage = text;
}

void prepareLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ms_loginit(keepMessage, "", keepMessage, "");
        // Records are decoded as they say, whatever UNPACK_* variables the
        // environment holds (the library would otherwise read them on first
        // use, from whichever thread comes first).
        MS_UNPACKHEADERBYTEORDER(-1);
        MS_UNPACKDATABYTEORDER(-1);
        MS_UNPACKENCODINGFORMAT(-1);
        MS_UNPACKENCODINGFALLBACK(DE_STEIM1);
    });
}

// libmseed 2 does not say that it may decode on several threads at once
// (its logging keeps global state): files read side by side take turns.
std::mutex libraryTurn;

} // namespace

int parseRecordAt(RecordPtr &record, char *bytes, size_t available, int length, bool samples)
{
    prepareLibrary();
    const std::lock_guard turn(libraryTurn);
    libraryMessage.clear();
    MSRecord *raw = record.release();
    const int code = msr_parse(bytes, static_cast<int>(available), &raw, length > 0 ? length : -1, samples, 0);
    record.reset(raw);
    return code;
}

bool librarySpoke()
{
    return !libraryMessage.empty();
}

std::string libraryReason(int code)
{
    std::string text = libraryMessage.empty() ? std::string(ms_errorstr(code)) : libraryMessage;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    // "msr_unpack_data(XX_BGLD__EHZ_D): ", "XX_BGLD__EHZ_D: Warning: ".
    for (size_t colon; (colon = text.find(": ")) != std::string::npos && text.find(' ') > colon;)
        text.erase(0, colon + 2);
    return text;
}
