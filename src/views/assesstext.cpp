#include "views/assesstext.h"

#include "assess/guidelines.h"
#include "views/plotaxis.h"

#include <array>

namespace {

std::string verdictWord(Verdict verdict)
{
    constexpr std::array<std::string_view, 4> words{"Met", "Exceeded", "No guideline", "Undetermined"};
    return std::string(words[static_cast<std::size_t>(verdict)]);
}

std::string areaWords(Area area, Period period)
{
    constexpr std::array<std::string_view, 5> areas{"industrial", "commercial", "mixed", "residential",
                                                    "special"};
    return std::string(areas[static_cast<std::size_t>(area)]) + " areas by " +
           (period == Period::Day ? "day" : "night");
}

// "6.01 mm/s at 6.0 Hz", the frequency left out where none was found.
std::string peakWords(const StructureResult &r, std::string_view sep)
{
    std::string text = fixedText(r.ppv, 2, sep) + " mm/s";
    if (r.frequencyUsed)
        text += " at " + fixedText(*r.frequencyUsed, 1, sep) + " Hz";
    return text;
}

std::string structureSentence(const AssessEvent &event, std::string_view sep)
{
    if (const EventComponent *g = governingComponent(event)) {
        const StructureResult &r = g->structure;
        return verdictWord(event.verdict) + ": " + componentName(g->channel.channel) + " " + peakWords(r, sep) +
               ", " + fixedText(r.ratio.value_or(0) * 100, 0, sep) + " % of " +
               fixedText(r.limit.value_or(0), 2, sep) + " mm/s for " +
               buildingWords(event.structureOptions.building, event.structureOptions.place);
    }
    if (event.components.empty())
        return verdictWord(Verdict::NoGuideline);
    const EventComponent *largest = &event.components.front();
    for (const EventComponent &c : event.components)
        if (c.structure.ppv > largest->structure.ppv)
            largest = &c;
    std::string text = verdictWord(Verdict::NoGuideline) + ": " + componentName(largest->channel.channel) +
                       " " + peakWords(largest->structure, sep);
    if (!largest->structure.notes.empty())
        text += "; " + largest->structure.notes.back();
    return text;
}

std::string peopleSentence(const AssessEvent &event, std::string_view sep)
{
    const EventComponent *g = governingComponent(event);
    if (!g || !g->people)
        return verdictWord(event.verdict);
    const PeopleResult &p = *g->people;
    const auto kb = [&](double value) { return fixedText(value, 3, sep); };
    std::string text = verdictWord(event.verdict) + ": " + componentName(g->channel.channel) + " KB_Fmax " +
                       kb(p.kbFmax);
    if (p.kbFmax <= p.guide.au)
        text += ", at most A_u " + kb(p.guide.au);
    else if (p.kbFmax > p.guide.ao)
        text += ", above A_o " + kb(p.guide.ao);
    else {
        text += " between A_u " + kb(p.guide.au) + " and A_o " + kb(p.guide.ao);
        if (p.kbFTr)
            text += ", KB_FTr " + kb(*p.kbFTr) + (*p.kbFTr <= p.guide.ar ? " at most" : " above") + " A_r " +
                    kb(p.guide.ar);
        else
            text += " with no whole 30 s cycle,";
    }
    return text + " for " + areaWords(event.peopleOptions.area, event.peopleOptions.period);
}

std::string optionWords(const AssessEvent &event, std::string_view sep)
{
    if (event.standard == Standard::Din4150_3) {
        const StructureOptions &o = event.structureOptions;
        return "DIN 4150-3: " + std::string(optionName(o.building)) + ", " + std::string(optionName(o.place)) +
               ", frequency " + std::string(optionName(o.method));
    }
    const PeopleOptions &o = event.peopleOptions;
    std::string text = "DIN 4150-2: " + std::string(optionName(o.area)) + ", " + std::string(optionName(o.period));
    for (const EventComponent &c : event.components)
        if (c.people) {
            text += ", exposure " + fixedText(c.people->exposureHours, 2, sep) + " h";
            break;
        }
    return text;
}

} // namespace

std::string componentName(const std::string &channel)
{
    return channel.empty() ? std::string("the component") : channel.substr(channel.size() - 1) + " component";
}

std::string buildingWords(Building building, Place place)
{
    constexpr std::array<std::string_view, 3> buildings{"commercial buildings", "dwellings",
                                                        "sensitive buildings"};
    constexpr std::array<std::string_view, 4> places{"", ", top floor", ", floor slab", ", long-term"};
    return std::string(buildings[static_cast<std::size_t>(building)]) +
           std::string(places[static_cast<std::size_t>(place)]);
}

std::string verdictSentence(const AssessEvent &event, std::string_view separator)
{
    return event.standard == Standard::Din4150_3 ? structureSentence(event, separator)
                                                 : peopleSentence(event, separator);
}

std::string titleLine(const AssessEvent &event, std::string_view separator)
{
    std::string channels;
    for (const EventComponent &c : event.components)
        channels += (channels.empty() ? "" : ", ") + c.channel.channel;
    std::string when = "no start time";
    if (!event.components.empty() && event.components.front().channel.startMicros)
        when = utcText(*event.components.front().channel.startMicros) + " UTC";
    const std::string gap = "   ";
    return event.station + gap + channels + gap + when + gap + optionWords(event, separator);
}

std::string pictureNote(const AssessEvent &event)
{
    std::string text(screeningNotice);
    for (const EventComponent &c : event.components)
        if (c.structure.bandToHalfRate) {
            text += " Band to rate/2: the rate is too low for the 100 Hz low-pass.";
            break;
        }
    return text;
}
