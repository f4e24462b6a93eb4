#pragma once

#include "report/options.h"
#include "report/plot.h"
#include "session/threads.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// An assessment picture to be drawn.
struct AssessPlot {
    std::string name;    // as assessPictureName gives it
    std::string title;   // the PDF's title: the path of the file
    AssessEvent event;
};

// A picture drawn on the main thread, to be encoded and written by a helper.
struct PictureJob {
    std::string name;
    PlotPicture picture;                 // PNG: the pixels
    std::string bytes;                   // PDF: the file as drawn
    std::optional<std::string> failed;   // why it was not written
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
    PictureJob draw(PlotRecord &&plot, std::vector<uint32_t> &&pixels);
    PictureJob draw(AssessPlot &&plot, std::vector<uint32_t> &&pixels);
    // On any thread; the reason when the picture cannot be written.
    std::optional<std::string> write(const PictureJob &job) const;
};

// Loads and starts the module, makes the folder and names the pictures;
// the reason when it cannot.
std::variant<Pictures, std::string> preparePictures(const ReportOptions &options);

// Records waiting to be drawn hold their samples, and drawn pictures their
// pixels: with --plot the files are analysed at most this many ahead of the
// one being drawn, and as many pictures wait to be written.
inline constexpr size_t plotAhead = 4;

// Pictures drawn on the thread that makes the queue, which owns the
// toolkit, then encoded and written by up to `helpers` helpers.
class PictureQueue {
public:
    PictureQueue(Pictures &pictures, int helpers);

    // Draws the picture of `plot` and hands it on; waits, calling `tick`,
    // while too many are unwritten.
    void add(PlotRecord &&plot, const WaitTick &tick);
    void add(AssessPlot &&plot, const WaitTick &tick);

    // Waits for the last pictures; why those not written were not, in the
    // order drawn.
    std::vector<std::string> finish(const WaitTick &tick);

private:
    std::vector<uint32_t> sparePixels();
    void hand(PictureJob &&job, const WaitTick &tick);
    void collect(PictureJob &&job);

    Pictures &pictures_;                         // the caller's thread's only
    std::vector<std::string> reasons_;           // of the pictures taken back
    std::vector<std::vector<uint32_t>> spare_;   // pixels of written pictures
    OrderedPool<PictureJob> pool_;               // last: its helpers use what is above
};
