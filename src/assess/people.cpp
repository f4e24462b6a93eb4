#include "assess/people.h"

#include "assess/peopletrack.h"
#include "assess/samplepass.h"
#include "assess/wording.h"

#include <algorithm>
#include <cmath>

namespace {

// The 5.6 Hz high-pass needs more than twice its corner.
constexpr double lowestRate = 2 * kbHighPassHz;
// Below this the weighting's top departs from the standard's.
constexpr double fullWeightingRate = 500;

double assessmentHours(Period period) { return period == Period::Day ? 16 : 8; }

double exposure(PeopleResult &r, const PeopleOptions &options, double seconds)
{
    const double hours = options.exposureHours.value_or(seconds / 3600);
    if (!(hours > 0) || !std::isfinite(hours))
        throw AssessError("the exposure time must be a positive number of hours, not " + shortest(hours));
    const double period = assessmentHours(options.period);
    if (hours <= period)
        return hours;
    r.warnings.push_back("the exposure time of " + decimals(hours, 2) + " h is longer than the " +
                         shortest(period) + " h assessment period; " + shortest(period) + " h is used");
    return period;
}

Verdict verdictOf(const PeopleResult &r)
{
    if (r.kbFmax <= r.guide.au)
        return Verdict::Met;
    if (r.kbFmax > r.guide.ao)
        return Verdict::Exceeded;
    if (!r.kbFTr)
        return Verdict::Undetermined;
    return *r.kbFTr <= r.guide.ar ? Verdict::Met : Verdict::Exceeded;
}

PeopleResult finish(PeopleTrack &track, double rate, int64_t count, const PeopleOptions &options)
{
    PeopleResult r;
    r.kbFmax = track.kbFmax();
    r.kbFmaxIndex = track.kbFmaxIndex();
    r.kbFmaxTime = static_cast<double>(r.kbFmaxIndex) / rate;
    r.cycles = track.takeCycles();
    r.bandToHalfRate = !designBand(rate).lowPassUsed;
    if (rate < fullWeightingRate)
        r.warnings.push_back("a rate of " + shortest(rate) + " samples/s is below the " +
                             shortest(fullWeightingRate) +
                             " samples/s the KB weighting needs: towards half the rate its "
                             "response departs from the standard's");
    const double seconds = static_cast<double>(count) / rate;
    r.exposureHours = exposure(r, options, seconds);
    if (r.cycles.empty())
        r.warnings.push_back("the record is " + decimals(seconds, 1) +
                             " s long, shorter than one 30 s cycle: no KB_FTm or KB_FTr");
    else {
        r.kbFTm = kbFTm(r.cycles);
        r.kbFTr = std::sqrt(r.exposureHours / assessmentHours(options.period)) * *r.kbFTm;
    }
    r.guide = guideValues(options.area, options.period);
    r.verdict = verdictOf(r);
    r.trace = track.takeTrace();
    return r;
}

template <std::size_t K>
std::array<PeopleResult, K> assessAll(const std::array<std::span<const float>, K> &samples, double rate,
                                      const PeopleOptions &options)
{
    checkRate(rate, lowestRate, "the KB weighting's 5.6 Hz high-pass");
    std::array<double, K> means;
    for (std::size_t k = 0; k < K; ++k)
        means[k] = checkedMean(samples[k]);
    const auto count = static_cast<int64_t>(samples[0].size());
    const KbChain chain = designKbChain(rate);
    std::array<KbChain, K> chains;
    chains.fill(chain);
    std::vector<PeopleTrack> tracks(K, PeopleTrack(count, rate, options.keepTrace));
    runBlocks(chains, samples, means,
              [&](int64_t start, std::size_t n, const BlockOutputs<K> &out, const std::array<KbChain, K> &) {
                  for (std::size_t k = 0; k < K; ++k)
                      tracks[k].scan(out[k].data(), n, start);
              });
    std::array<PeopleResult, K> results;
    for (std::size_t k = 0; k < K; ++k)
        results[k] = finish(tracks[k], rate, count, options);
    return results;
}

} // namespace

PeopleResult assessPeople(std::span<const float> samples, double rate, const PeopleOptions &options)
{
    return assessAll<1>({samples}, rate, options)[0];
}

PeopleSetResult assessPeopleSet(const std::array<std::span<const float>, 3> &samples, double rate,
                                const PeopleOptions &options)
{
    if (samples[1].size() != samples[0].size() || samples[2].size() != samples[0].size())
        throw AssessError("the three components of a set must be of one length");
    PeopleSetResult set;
    set.components = assessAll<3>(samples, rate, options);
    for (int k = 1; k < 3; ++k)
        if (set.components[k].kbFmax > set.components[set.governing].kbFmax)
            set.governing = k;
    set.verdict = set.components[set.governing].verdict;
    return set;
}
