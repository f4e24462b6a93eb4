#include "report/plot.h"

#include "record/loaderror.h"

#include <cerrno>
#include <filesystem>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string pictureName(const std::string &path, const std::string &channel, PictureFormat format)
{
    std::string name = path == "-" ? "stdin" : path.substr(path.find_last_of('/') + 1);
    if (name.empty())
        name = "record";
    if (!channel.empty())
        name += "." + channel;
    return name + (format == PictureFormat::pdf ? ".pdf" : ".png");
}

std::string assessPictureName(const std::string &path, const std::vector<std::string> &tags, Standard standard,
                              PictureFormat format)
{
    std::string channels;
    for (const std::string &tag : tags)
        channels += (channels.empty() ? "" : "-") + tag;
    const std::string name = pictureName(path, channels, format);
    const size_t ending = name.find_last_of('.');
    return name.substr(0, ending) + "." + std::string(optionName(standard)) + name.substr(ending);
}

std::string PictureNames::take(const std::string &name)
{
    std::string chosen = name;
    if (used_.contains(name)) {
        const size_t dot = name.find_last_of('.');
        const std::string stem = name.substr(0, dot), ending = name.substr(dot);
        // Past the names the run gives itself, so that a later file of the
        // run does not find its plain name taken.
        for (int n = 2; used_.contains(chosen) || (chosen != name && planned_.contains(chosen)); ++n)
            chosen = stem + "-" + std::to_string(n) + ending;
    }
    used_.insert(chosen);
    return chosen;
}

std::vector<std::string> uniquePictureNames(const std::vector<std::string> &names)
{
    PictureNames pictures(names);
    std::vector<std::string> unique;
    for (const std::string &name : names)
        unique.push_back(pictures.take(name));
    return unique;
}

const PlotModule *loadPlotModule(std::string &error)
{
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    const fs::path folder = ec ? fs::path(".") : program.parent_path();
    error.clear();
    for (const fs::path &candidate : {folder / plotModuleFile, folder / ".." / "libexec" / "sismavue" / plotModuleFile}) {
        if (!fs::exists(candidate, ec))
            continue;
        void *handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            error = dlerror();
            return nullptr;
        }
        using Entry = const PlotModule *(*)();
        if (auto entry = reinterpret_cast<Entry>(dlsym(handle, plotModuleSymbol)))
            return entry();
        error = candidate.string() + " holds no picture module";
        return nullptr;
    }
    error = std::string(plotModuleFile) + " was not found beside " + folder.string();
    return nullptr;
}

std::optional<std::string> writePictureFile(const std::string &path, const std::string &bytes, bool replace)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL), 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            return "exists already (--force replaces it)";
        return systemReason(errno);
    }
    size_t written = 0;
    int error = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        written += static_cast<size_t>(n);
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return std::nullopt;
    ::unlink(path.c_str());
    return systemReason(error);
}
