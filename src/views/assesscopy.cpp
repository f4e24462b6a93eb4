#include "views/assesscopy.h"

#include "assess/wording.h"
#include "session/timetext.h"

#include <optional>
#include <vector>

namespace {

const char structureHeader[] =
    "kind\tfile\tnetwork\tstation\tlocation\tchannel\tstartTime\tppv\tppvTime\tfrequencyZeroCrossing\t"
    "frequencySpectrum\tfrequencySpectrumSecond\tfrequencyUsed\tfrequencyMethod\tlimit\tratio\tpvs\tpvsTime\t"
    "governing\tverdict\tnotes\terror\n";
const char peopleHeader[] = "kind\tfile\tnetwork\tstation\tlocation\tchannel\tstartTime\tkbFmax\tkbFmaxTime\t"
                            "kbFTm\tcycles\tkbFTr\tau\tao\tar\tgoverning\tverdict\tnotes\terror\n";

// A field with no TAB or line end in it.
std::string field(std::string text)
{
    for (char &c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::string number(std::optional<double> value, int places)
{
    return value ? decimals(*value, places) : std::string();
}

std::string joined(const std::vector<std::string> &texts, const char *separator)
{
    std::string text;
    for (const std::string &t : texts)
        text += (text.empty() ? "" : separator) + t;
    return text;
}

} // namespace

// The rows made here until the report's own row texts can be called.
std::string assessRowsText(Standard standard, const AssessFigures &figures,
                           std::span<const std::shared_ptr<const AssessFile>> files)
{
    const bool people = standard == Standard::Din4150_2;
    const AssessEvent &event = people ? figures.people : figures.structure;
    std::string text = people ? peopleHeader : structureHeader;
    std::vector<std::string> channels;
    std::string firstIdentity, firstStart;
    for (std::size_t k = 0; k < event.components.size() && k < figures.members.size(); ++k) {
        const EventComponent &c = event.components[k];
        const RecordAt at = figures.members[k];
        const RecordInfo &info = files[at.file]->entries[at.entry].info;
        const std::string start = info.startTime ? isoTime(info.startTime->time_since_epoch().count()) : "";
        const std::string identity = field(files[at.file]->path) + '\t' + field(info.network) + '\t' +
                                     field(info.station) + '\t' + field(info.location) + '\t';
        if (k == 0) {
            firstIdentity = identity;
            firstStart = start;
        }
        channels.push_back(c.channel.channel);
        const double offset = c.channel.startSeconds;
        text += "component\t" + identity + field(c.channel.channel) + '\t' + start + '\t';
        if (people && c.people) {
            const PeopleResult &p = *c.people;
            std::vector<std::string> cycles;
            for (const double cycle : p.cycles)
                cycles.push_back(decimals(cycle, 3));
            text += decimals(p.kbFmax, 3) + '\t' + decimals(offset + p.kbFmaxTime, 3) + '\t' + number(p.kbFTm, 3) +
                    '\t' + joined(cycles, " ") + '\t' + number(p.kbFTr, 3) + '\t' + decimals(p.guide.au, 3) + '\t' +
                    decimals(p.guide.ao, 3) + '\t' + decimals(p.guide.ar, 3) + "\t\t" +
                    std::string(optionName(p.verdict)) + '\t' + field(joined(p.warnings, "; ")) + "\t\n";
        } else {
            const StructureResult &s = c.structure;
            text += decimals(s.ppv, 2) + '\t' + decimals(offset + s.ppvTime, 3) + '\t' +
                    number(s.frequencyZeroCrossing, 3) + '\t' + number(s.frequencySpectrum, 3) + '\t' +
                    number(s.frequencySpectrumSecond, 3) + '\t' + number(s.frequencyUsed, 3) + '\t' +
                    std::string(optionName(s.frequencyMethod)) + '\t' + number(s.limit, 2) + '\t' +
                    number(s.ratio, 3) + "\t\t\t\t" + std::string(optionName(s.verdict)) + '\t' +
                    field(joined(s.notes, "; ")) + "\t\n";
        }
    }
    if (event.components.size() == 3) {
        const std::string governing = event.governing ? event.components[*event.governing].channel.channel : "";
        text += "set\t" + firstIdentity + joined(channels, " ") + '\t' + firstStart + '\t';
        if (people)
            text += std::string(8, '\t') + governing + '\t' + std::string(optionName(event.verdict)) + "\t\t\n";
        else
            text += std::string(9, '\t') + decimals(event.vectorSum->pvs, 2) + '\t' +
                    decimals(event.components[0].channel.startSeconds +
                                 static_cast<double>(event.vectorSum->index) / event.components[0].channel.rate,
                             3) +
                    '\t' + governing + '\t' + std::string(optionName(event.verdict)) + "\t\t\n";
    }
    return text;
}
