#include "report/pictures.h"

#include "record/loaderror.h"

#include <system_error>

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
