#include "views/assessevent.h"

#include <utility>

namespace {

AssessEvent eventOf(std::string station, Standard standard, const std::vector<EventChannel> &channels,
                    std::array<StructureResult, 3> &&results)
{
    AssessEvent event;
    event.station = std::move(station);
    event.standard = standard;
    for (std::size_t k = 0; k < channels.size() && k < results.size(); ++k)
        event.components.push_back({channels[k], std::move(results[k]), std::nullopt});
    return event;
}

} // namespace

AssessEvent structureEvent(std::string station, const std::vector<EventChannel> &channels,
                           StructureSetResult &&set, const StructureOptions &options)
{
    AssessEvent event = eventOf(std::move(station), Standard::Din4150_3, channels, std::move(set.components));
    event.structureOptions = options;
    event.vectorSum = VectorSum{set.pvs, set.pvsIndex};
    event.governing = set.governing;
    event.verdict = set.verdict;
    return event;
}

AssessEvent structureEvent(std::string station, const EventChannel &channel, StructureResult &&result,
                           const StructureOptions &options)
{
    AssessEvent event;
    event.station = std::move(station);
    event.structureOptions = options;
    event.verdict = result.verdict;
    if (result.ratio)
        event.governing = 0;
    event.components.push_back({channel, std::move(result), std::nullopt});
    return event;
}

AssessEvent peopleEvent(std::string station, const std::vector<EventChannel> &channels,
                        StructureSetResult &&velocity, PeopleSetResult &&people, const PeopleOptions &options)
{
    AssessEvent event =
        eventOf(std::move(station), Standard::Din4150_2, channels, std::move(velocity.components));
    event.peopleOptions = options;
    for (std::size_t k = 0; k < event.components.size(); ++k)
        event.components[k].people = std::move(people.components[k]);
    event.governing = people.governing;
    event.verdict = people.verdict;
    return event;
}

AssessEvent peopleEvent(std::string station, const EventChannel &channel, StructureResult &&velocity,
                        PeopleResult &&people, const PeopleOptions &options)
{
    AssessEvent event;
    event.station = std::move(station);
    event.standard = Standard::Din4150_2;
    event.peopleOptions = options;
    event.verdict = people.verdict;
    event.governing = 0;
    event.components.push_back({channel, std::move(velocity), std::move(people)});
    return event;
}

const EventComponent *governingComponent(const AssessEvent &event)
{
    if (!event.governing || *event.governing < 0 ||
        *event.governing >= static_cast<int>(event.components.size()))
        return nullptr;
    return &event.components[static_cast<std::size_t>(*event.governing)];
}
