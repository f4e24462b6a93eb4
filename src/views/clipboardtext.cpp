#include "views/clipboardtext.h"

#include "session/numbertext.h"
#include "spectrum/segmentspectrum.h"

std::string copyText(const std::string &maxPeak, const std::string &rms, const std::string &law)
{
    return maxPeak + '\t' + rms + '\t' + law;
}

std::string summaryRow(const SummaryFields &f)
{
    std::string row = f.label;
    for (const std::string *field : {&f.id, &f.start, &f.end, &f.maxPeak, &f.rms, &f.law, &f.freqMax}) {
        row += '\t';
        row += *field;
    }
    return row;
}

std::string copyAllText(const SummaryFields &fields, const std::string &lineEnd)
{
    return "Label\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max" + lineEnd +
           summaryRow(fields);
}

std::string copySpectrumText(const std::array<float, 1024> &spectrum, int32_t sampleRate,
                             std::string_view separator, const std::string &lineEnd)
{
    std::string text = "Freq. (Hz)\tVelocity (\u00b5m/s)" + lineEnd;
    text.reserve(1024 * 24);
    for (int k = 0; k < 1024; ++k) {
        text += format4(lineFrequency(k, sampleRate), separator);
        text += '\t';
        text += format6(spectrum[k] * 1000000.0, separator);
        text += lineEnd;
    }
    return text;
}
