#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The texts the copy buttons put on the clipboard. Fields are separated by
// one TAB; lines end in CR (the report passes "\n").

// "Copy": MaxPeak TAB RMS TAB Law, no terminator.
std::string copyText(const std::string &maxPeak, const std::string &rms, const std::string &law);

// The boxes and labels "Copy All" reads, as displayed.
struct SummaryFields {
    std::string label;    // station code
    std::string id;       // component name
    std::string start, end, maxPeak, rms, law, freqMax;
};

// "Copy All": the header line, the line end, then the eight fields; no
// terminator after the last.
std::string copyAllText(const SummaryFields &fields, const std::string &lineEnd = "\r");

// The same eight fields TAB-separated, without header or terminator.
std::string summaryRow(const SummaryFields &fields);

// "Copy Spectrum": the header line, then for k = 0..1023 the frequency
// ("###0.####") and the value in um/s ("#####0.######"); every line ends in
// lineEnd, the last one included.
std::string copySpectrumText(const std::array<float, 1024> &spectrum, int32_t sampleRate,
                             std::string_view separator, const std::string &lineEnd = "\r");
