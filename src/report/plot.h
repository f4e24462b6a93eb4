#pragma once

#include "report/options.h"
#include "report/plotmodule.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

// The name of the picture of the record read from `path`: the file's name
// (without its folder; "stdin" for "-"), then ".CHANNEL" for a file holding
// several channels, then the format's ending.
std::string pictureName(const std::string &path, const std::string &channel, PictureFormat format);

// The name of an assessment picture of `standard`: the file's name as
// pictureName gives it, then ".TAG" for each of `tags` joined by "-" (the
// channels of a set, or the channel of a file holding several), then
// ".din4150-3" or ".din4150-2" and the format's ending:
// "day.mseed.HHZ-HHN-HHE.din4150-3.png", "house.psn.din4150-2.pdf".
std::string assessPictureName(const std::string &path, const std::vector<std::string> &tags, Standard standard,
                              PictureFormat format);

// Names one run's pictures, in the order they are made: a name that an
// earlier picture of the run already has becomes NAME-2, NAME-3, ... before
// its ending, so that no picture of the run replaces another, and a
// numbered name is never one of the names `planned` for the run.
class PictureNames {
public:
    PictureNames() = default;
    explicit PictureNames(const std::vector<std::string> &planned) : planned_(planned.begin(), planned.end()) {}
    std::string take(const std::string &name);

private:
    std::set<std::string> planned_, used_;
};

// The names of pictures planned as `names`, in that order.
std::vector<std::string> uniquePictureNames(const std::vector<std::string> &names);

// Loads the picture module from beside the program, or from
// ../libexec/sismavue when installed; nothing, with the reason, when it cannot.
const PlotModule *loadPlotModule(std::string &error);

// Writes `bytes` as a new file at `path`, or over an existing one only when
// `replace`. A file left incomplete by a failed write is removed. Returns
// the reason of a failure.
std::optional<std::string> writePictureFile(const std::string &path, const std::string &bytes,
                                            bool replace);
