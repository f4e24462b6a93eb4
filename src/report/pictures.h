#pragma once

#include "report/options.h"
#include "report/plot.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// A picture drawn on the main thread, to be encoded and written by a worker.
struct PictureJob {
    size_t file = 0;
    std::string name;
    PlotPicture picture;   // PNG: the pixels
    std::string bytes;     // PDF: the file as drawn
};

// With --plot: the module that draws, and where each record's picture goes.
struct Pictures {
    const PlotModule *module = nullptr;
    std::filesystem::path folder;
    PictureNames names;   // taken on the main thread, in the order drawn
    int scale = 2;
    PictureFormat format = PictureFormat::png;
    bool replace = false;

    // On the thread that started the module; `pixels` as a written
    // picture left them, so that their memory is used again.
    PictureJob draw(size_t file, PlotRecord &&plot, std::vector<uint32_t> &&pixels)
    {
        std::string name = names.take(pictureName(plot.path, plot.channel, format));
        if (format == PictureFormat::pdf)
            return {file, std::move(name), {}, module->drawPdf(std::move(plot))};
        return {file, std::move(name), module->draw(std::move(plot), scale, std::move(pixels)), {}};
    }

    // On any thread; the reason when the picture cannot be written.
    std::optional<std::string> write(const PictureJob &job) const
    {
        const std::string path = (folder / job.name).string();
        const std::string bytes = format == PictureFormat::pdf ? job.bytes : module->encodePng(job.picture);
        if (bytes.empty())
            return path + ": the picture could not be drawn";
        if (const std::optional<std::string> failed = writePictureFile(path, bytes, replace))
            return path + ": " + *failed;
        return std::nullopt;
    }
};

// Loads and starts the module, makes the folder and names the pictures;
// the reason when it cannot.
std::variant<Pictures, std::string> preparePictures(const ReportOptions &options);
