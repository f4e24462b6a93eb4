#include "views/assesstext.h"

#include <gtest/gtest.h>

namespace {

StructureResult judged(double ppv, double hz, double limit)
{
    StructureResult r;
    r.ppv = ppv;
    r.frequencyUsed = hz;
    r.limit = limit;
    r.ratio = ppv / limit;
    r.verdict = ppv > limit ? Verdict::Exceeded : Verdict::Met;
    return r;
}

AssessEvent structures(std::vector<StructureResult> results, std::optional<int> governing, Verdict verdict,
                       Place place = Place::Foundation)
{
    AssessEvent event;
    event.structureOptions.place = place;
    const char *channels[] = {"HHZ", "HHN", "HHE"};
    for (std::size_t k = 0; k < results.size(); ++k) {
        EventComponent c;
        c.channel.channel = channels[k];
        c.structure = results[k];
        event.components.push_back(c);
    }
    event.governing = governing;
    event.verdict = verdict;
    return event;
}

AssessEvent people(double kbFmax, std::optional<double> kbFTr, Verdict verdict)
{
    PeopleResult p;
    p.kbFmax = kbFmax;
    p.kbFTr = kbFTr;
    p.guide = guideValues(Area::Residential, Period::Night);   // 0.1 / 0.2 / 0.05
    p.verdict = verdict;
    AssessEvent event;
    event.standard = Standard::Din4150_2;
    event.peopleOptions.period = Period::Night;
    EventComponent c;
    c.channel.channel = "EH2";
    c.people = p;
    event.components.push_back(c);
    event.governing = 0;
    event.verdict = verdict;
    return event;
}

} // namespace

TEST(AssessText, VerdictSentenceNamesWhatGoverns)
{
    StructureResult below1Hz;
    below1Hz.ppv = 0.5;
    below1Hz.frequencyUsed = 0.8;
    below1Hz.notes = {"below 1 Hz DIN 4150-3 gives no guideline value"};
    const struct {
        const char *separator;
        AssessEvent event;
        const char *sentence;
    } rows[] = {
        {".", structures({judged(2.1, 12, 5.5), judged(6.01, 6, 5), judged(3.9, 30, 10)}, 1, Verdict::Exceeded),
         "Exceeded: N component 6.01 mm/s at 6.0 Hz, 120 % of 5.00 mm/s for dwellings"},
        {",", structures({judged(4.2, 17, 6.75)}, 0, Verdict::Met, Place::LongTerm),
         "Met: Z component 4,20 mm/s at 17,0 Hz, 62 % of 6,75 mm/s for dwellings, long-term"},
        {".", structures({below1Hz}, std::nullopt, Verdict::NoGuideline),
         "No guideline: Z component 0.50 mm/s at 0.8 Hz; below 1 Hz DIN 4150-3 gives no guideline value"},
        {".", people(0.1, std::nullopt, Verdict::Met),
         "Met: 2 component KB_Fmax 0.100, at most A_u 0.100 for residential areas by night"},
        {".", people(0.25, 0.04, Verdict::Exceeded),
         "Exceeded: 2 component KB_Fmax 0.250, above A_o 0.200 for residential areas by night"},
        {",", people(0.15, 0.06, Verdict::Exceeded),
         "Exceeded: 2 component KB_Fmax 0,150 between A_u 0,100 and A_o 0,200, KB_FTr 0,060 above A_r 0,050 "
         "for residential areas by night"},
        {".", people(0.15, std::nullopt, Verdict::Undetermined),
         "Undetermined: 2 component KB_Fmax 0.150 between A_u 0.100 and A_o 0.200 with no whole 30 s cycle, "
         "for residential areas by night"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.sentence);
        EXPECT_EQ(verdictSentence(row.event, row.separator), row.sentence);
    }
}
