#include "report/pictures.h"

#include "record/loaderror.h"

#include <new>
#include <system_error>
#include <utility>

PictureJob Pictures::draw(PlotRecord &&plot, std::vector<uint32_t> &&pixels)
{
    std::string name = names.take(pictureName(plot.path, plot.channel, format));
    if (format == PictureFormat::pdf)
        return {std::move(name), {}, module->drawPdf(std::move(plot)), {}};
    return {std::move(name), module->draw(std::move(plot), scale, std::move(pixels)), {}, {}};
}

PictureJob Pictures::draw(AssessPlot &&plot, std::vector<uint32_t> &&pixels)
{
    std::string name = names.take(plot.name);
    if (format == PictureFormat::pdf)
        return {std::move(name), {}, module->drawAssessPdf(std::move(plot.event), plot.title), {}};
    return {std::move(name), module->drawAssess(std::move(plot.event), scale, std::move(pixels)), {}, {}};
}

std::optional<std::string> Pictures::write(const PictureJob &job) const
{
    const std::string path = (folder / job.name).string();
    try {
        const std::string bytes = format == PictureFormat::pdf ? job.bytes : module->encodePng(job.picture);
        if (bytes.empty())
            return path + ": the picture could not be drawn";
        if (const std::optional<std::string> failed = writePictureFile(path, bytes, replace))
            return path + ": " + *failed;
    } catch (const std::bad_alloc &) {
        return path + ": the picture does not fit in memory";
    }
    return std::nullopt;
}

std::variant<Pictures, std::string> preparePictures(const ReportOptions &options)
{
    Pictures pictures;
    std::string error;
    pictures.module = loadPlotModule(error);
    if (!pictures.module)
        return "--plot: the picture module cannot be loaded: " + error;
    pictures.folder = *options.plotDir;
    std::error_code ec;
    std::filesystem::create_directories(pictures.folder, ec);
    if (ec || !std::filesystem::is_directory(pictures.folder))
        return *options.plotDir + ": " + (ec ? systemReason(ec.value()) : std::string("not a folder"));
    pictures.scale = static_cast<int>(options.plotScale.value_or(2));
    pictures.format = options.plotFormat.value_or(PictureFormat::png);
    pictures.replace = options.force;
    std::vector<std::string> planned;
    for (const std::string &file : options.files)
        planned.push_back(pictureName(file, "", pictures.format));
    pictures.names = PictureNames(planned);
    if (!pictures.module->start(error))
        return "--plot: " + error;
    return pictures;
}

PictureQueue::PictureQueue(Pictures &pictures, int helpers)
    : pictures_(pictures),
      pool_(helpers, CallerShare::waits, [&pictures](PictureJob &job, int) { job.failed = pictures.write(job); })
{
}

void PictureQueue::add(PlotRecord &&plot, const WaitTick &tick)
{
    hand(pictures_.draw(std::move(plot), sparePixels()), tick);
}

void PictureQueue::add(AssessPlot &&plot, const WaitTick &tick)
{
    hand(pictures_.draw(std::move(plot), sparePixels()), tick);
}

std::vector<uint32_t> PictureQueue::sparePixels()
{
    std::vector<uint32_t> pixels;
    if (!spare_.empty()) {
        pixels = std::move(spare_.back());
        spare_.pop_back();
    }
    return pixels;
}

void PictureQueue::hand(PictureJob &&job, const WaitTick &tick)
{
    if (pool_.inFlight() >= plotAhead + static_cast<size_t>(pool_.helpers()))
        collect(pool_.take(tick));
    pool_.post(std::move(job));
}

std::vector<std::string> PictureQueue::finish(const WaitTick &tick)
{
    while (pool_.inFlight() > 0)
        collect(pool_.take(tick));
    return reasons_;
}

void PictureQueue::collect(PictureJob &&job)
{
    if (job.failed)
        reasons_.push_back(std::move(*job.failed));
    spare_.push_back(std::move(job.picture.pixels));
}
