#pragma once

#include "analysis/loadrecord.h"
#include "report/pdfdocument.h"
#include "spectrum/segmentspectrum.h"
#include "views/assessevent.h"
#include "views/selection.h"

#include <cstdint>
#include <string>
#include <vector>

// The pictures of --plot are drawn by the window's own code, in a module
// that links the toolkit. sismavue-report loads it only when pictures are
// asked for, so that its other runs do not pay for loading the toolkit.

// What the window shows a record with: read from `path` (as given, shown in
// the path box), `segment` selected, and its spectrum computed.
struct PlotRecord {
    std::string path;
    std::string channel;   // of a file of several channels, the one drawn
    AnalysedRecord record;
    SegmentBounds segment;
    SegmentSpectrum spectrum;
};

// A picture's pixels, row after row, 0xffRRGGBB.
struct PlotPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

struct PlotModule {
    // Starts the toolkit without a display. Once, on the thread that then
    // draws every picture; false with the reason when it cannot.
    bool (*start)(std::string &error);
    // On that thread: the window at `scale` times its size, drawn into
    // `pixels` (the buffer of an earlier picture, or empty), whose memory is
    // used again when large enough.
    PlotPicture (*draw)(PlotRecord &&record, int scale, std::vector<uint32_t> &&pixels);
    // On that thread: the window as a one-page PDF, its views as vectors.
    std::string (*drawPdf)(PlotRecord &&record);
    // On that thread: the assessment picture of an event (its traces
    // kept), as draw does, at `scale` device pixels per unit.
    PlotPicture (*drawAssess)(AssessEvent &&event, int scale, std::vector<uint32_t> &&pixels);
    // On that thread: the same as a one-page PDF, `title` in its information.
    std::string (*drawAssessPdf)(AssessEvent &&event, const std::string &title);
    // On that thread: the monitoring report as an A4 PDF written to `path`
    // (replaced): the summary, plan.events pages each drawn from what `next`
    // gives, then the failures. The reason when it cannot, else empty.
    std::string (*writeDocument)(const DocumentPlan &plan, const NextDocumentEvent &next, const std::string &path);
    // On any thread: the picture as PNG.
    std::string (*encodePng)(const PlotPicture &picture);
    // On the drawing thread, after the last picture.
    void (*stop)();
};

// The one symbol the module exports.
extern "C" const PlotModule *sismavuePlotModule();
inline constexpr char plotModuleSymbol[] = "sismavuePlotModule";
inline constexpr char plotModuleFile[] = "sismavue-plot.so";
