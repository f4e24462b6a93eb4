#include "assess/structures.h"

#include "assess/samplepass.h"
#include "assess/spectrumpeaks.h"
#include "assess/structuretrack.h"
#include "assess/wording.h"

#include <cmath>
#include <limits>

namespace {

// The 0.8 Hz high-pass and a line at 1 Hz need at least this.
constexpr double lowestRate = 2;

std::optional<double> limitAt(const StructureOptions &options, std::optional<double> frequency)
{
    return guidelineValue(options.building, options.place,
                          frequency.value_or(std::numeric_limits<double>::quiet_NaN()));
}

void chooseFrequency(StructureResult &r, const StructureOptions &options)
{
    bool spectrum = options.method == FrequencyMethod::Spectrum;
    if (options.method == FrequencyMethod::Stricter) {
        const std::optional<double> byCrossings = limitAt(options, r.frequencyZeroCrossing);
        const std::optional<double> bySpectrum = limitAt(options, r.frequencySpectrum);
        spectrum = !r.frequencyZeroCrossing ||
                   (r.frequencySpectrum && bySpectrum && (!byCrossings || *bySpectrum < *byCrossings));
    }
    r.frequencyMethod = spectrum ? FrequencyMethod::Spectrum : FrequencyMethod::ZeroCrossing;
    r.frequencyUsed = spectrum ? r.frequencySpectrum : r.frequencyZeroCrossing;
}

std::string notJudged(Place place)
{
    switch (place) {
    case Place::TopFloor:
        return "at the top floor only the horizontal components are judged";
    case Place::LongTerm:
        return "long-term vibration is judged on the horizontal components only";
    case Place::Slab:
        return "the floor slab is judged on its vertical component only";
    case Place::Foundation:
        break;
    }
    return {};
}

void judge(StructureResult &r, Axis axis, const StructureOptions &options)
{
    chooseFrequency(r, options);
    if (!placeJudges(options.place, axis)) {
        r.notes.push_back(notJudged(options.place));
        return;
    }
    r.limit = limitAt(options, r.frequencyUsed);
    if (!r.limit) {
        r.notes.push_back(r.frequencyUsed ? "below 1 Hz DIN 4150-3 gives no guideline value"
                                          : "no dominant frequency was found");
        return;
    }
    r.ratio = r.ppv / *r.limit;
    r.verdict = r.ppv > *r.limit ? Verdict::Exceeded : Verdict::Met;
}

StructureResult finish(StructureTrack &track, std::span<const float> samples, double mean, double rate,
                       Axis axis, const StructureOptions &options)
{
    StructureResult r;
    r.ppv = track.peak();
    r.ppvIndex = track.peakIndex();
    r.ppvTime = static_cast<double>(r.ppvIndex) / rate;
    r.frequencyZeroCrossing = track.zeroCrossingFrequency(rate);
    const SpectrumPeaks peaks = spectrumPeaks(track.spectrumSpan(samples, mean), rate);
    r.frequencySpectrum = peaks.largest;
    r.frequencySpectrumSecond = peaks.second;
    r.bandToHalfRate = !designBand(rate).lowPassUsed;
    if (r.bandToHalfRate)
        r.notes.push_back("band to rate/2: at " + shortest(rate) +
                          " samples/s the 100 Hz low-pass is left out");
    judge(r, axis, options);
    r.trace = track.takeTrace();
    return r;
}

// One pass over K components of one length; eachBlock(start, length,
// outputs) sees every block of band-limited values.
template <std::size_t K, class EachBlock>
std::array<StructureResult, K> assessAll(const std::array<std::span<const float>, K> &samples, double rate,
                                         const std::array<Axis, K> &axes, const StructureOptions &options,
                                         EachBlock &&eachBlock)
{
    checkRate(rate, lowestRate, "the 0.8 Hz high-pass");
    std::array<double, K> means;
    for (std::size_t k = 0; k < K; ++k)
        means[k] = checkedMean(samples[k]);
    const BandFilter band = designBand(rate);
    const auto count = static_cast<int64_t>(samples[0].size());
    std::array<BandFilter, K> chains;
    chains.fill(band);
    std::vector<StructureTrack> tracks(K, StructureTrack(band, count, rate, options.keepTrace));
    runBlocks(chains, samples, means,
              [&](int64_t start, std::size_t n, const BlockOutputs<K> &out, const std::array<BandFilter, K> &next) {
                  for (std::size_t k = 0; k < K; ++k)
                      tracks[k].scan(out[k].data(), n, start, next[k]);
                  eachBlock(start, n, out);
              });
    std::array<StructureResult, K> results;
    for (std::size_t k = 0; k < K; ++k)
        results[k] = finish(tracks[k], samples[k], means[k], rate, axes[k], options);
    return results;
}

} // namespace

StructureResult assessStructure(std::span<const float> samples, double rate, Axis axis,
                                const StructureOptions &options)
{
    return assessAll<1>({samples}, rate, {axis}, options, [](int64_t, std::size_t, const BlockOutputs<1> &) {})[0];
}

StructureSetResult assessStructureSet(const std::array<std::span<const float>, 3> &samples, double rate,
                                      const StructureOptions &options)
{
    if (samples[1].size() != samples[0].size() || samples[2].size() != samples[0].size())
        throw AssessError("the three components of a set must be of one length");
    double largest = -1;   // squared
    int64_t where = 0;
    StructureSetResult set;
    set.components = assessAll<3>(
        samples, rate, {Axis::Vertical, Axis::Horizontal, Axis::Horizontal}, options,
        [&](int64_t start, std::size_t n, const BlockOutputs<3> &out) {
            for (std::size_t j = 0; j < n; ++j) {
                const double square = out[0][j] * out[0][j] + out[1][j] * out[1][j] + out[2][j] * out[2][j];
                if (square > largest) {
                    largest = square;
                    where = start + static_cast<int64_t>(j);
                }
            }
        });
    set.pvs = std::sqrt(largest);
    set.pvsIndex = where;
    set.pvsTime = static_cast<double>(where) / rate;
    for (std::size_t k = 0; k < 3; ++k) {
        const std::optional<double> ratio = set.components[k].ratio;
        if (ratio && (!set.governing || *ratio > *set.components[*set.governing].ratio))
            set.governing = static_cast<int>(k);
    }
    if (set.governing)
        set.verdict = set.components[*set.governing].verdict;
    return set;
}
