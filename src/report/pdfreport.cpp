#include "report/pdfreport.h"

#include "record/loaderror.h"
#include "report/eventfiles.h"
#include "report/pdfevents.h"
#include "report/pdfpages.h"
#include "report/plot.h"
#include "report/reportfile.h"
#include "views/plotaxis.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <ostream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string program(messagePrefix);

// A name that stays one argument when the line is read again.
std::string shellWord(const std::string &word)
{
    if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                                                "-_./=:,+@%") == std::string::npos)
        return word;
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string footerLine(const std::vector<std::string> &args)
{
    const auto now = std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::system_clock::now());
    return "Sismavue " SISMAVUE_VERSION ", made " + utcText(now.time_since_epoch().count()) +
           " UTC by sismavue-report " + optionsUsed(args);
}

// A new file beside the report's that it is written into first, so that a
// failed run leaves nothing under the report's name; removed when it goes,
// unless it has become the report.
class TemporaryFile {
public:
    ~TemporaryFile()
    {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }

    std::optional<std::string> make(const std::string &path)
    {
        const std::filesystem::path target(path);
        const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
        std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
        const int fd = ::mkstemp(name.data());
        if (fd < 0)
            return systemReason(errno);
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        ::close(fd);
        name_ = name;
        return std::nullopt;
    }

    const std::string &name() const { return name_; }

    // The finished report under its name: never over a file that has come
    // meanwhile unless `replace`.
    std::optional<std::string> place(const std::string &path, bool replace)
    {
        const int done = replace ? ::rename(name_.c_str(), path.c_str()) : ::link(name_.c_str(), path.c_str());
        if (done == 0)
            return std::nullopt;
        return errno == EEXIST ? "exists already (--force replaces it)" : systemReason(errno);
    }

private:
    std::string name_;
};

// Draws the document through the module into `file`.
std::optional<std::string> writeDocument(const PlotModule &module, const DocumentPlan &plan,
                                         const NextDocumentEvent &next, const std::string &file)
{
    std::string error;
    if (!module.start(error))
        return error;
    try {
        error = module.writeDocument(plan, next, file);
    } catch (const std::bad_alloc &) {
        error = "an event does not fit in memory";
    }
    module.stop();
    return error.empty() ? std::nullopt : std::optional(error);
}

// Where the report goes, made sure of before any file is read.
std::optional<std::string> prepareOutput(const ReportOptions &options, const PlotModule *&module,
                                         TemporaryFile &temporary)
{
    std::error_code ec;
    if (!options.force && std::filesystem::exists(std::filesystem::symlink_status(*options.pdf, ec)))
        return *options.pdf + ": exists already (--force replaces it)";
    std::string error;
    module = loadPlotModule(error);
    if (!module)
        return "--pdf: the picture module cannot be loaded: " + error;
    if (const auto failed = temporary.make(*options.pdf))
        return *options.pdf + ": " + *failed;
    return std::nullopt;
}

} // namespace

std::string checkPdfOptions(const ReportOptions &options)
{
    if (!options.pdf && (options.title || options.site))
        return std::string(options.title ? "--title" : "--site") + ": expected together with --pdf FILE";
    if (!options.pdf)
        return {};
    if (options.spectrum || options.exceedances || options.segment || options.noHeader || options.plotDir)
        return std::string(options.spectrum      ? "--spectrum"
                           : options.exceedances ? "--exceedances"
                           : options.segment     ? "--segment"
                           : options.noHeader    ? "--no-header"
                                                 : "--plot") +
               ": expected no --pdf with it";
    if (std::find(options.files.begin(), options.files.end(), "-") != options.files.end())
        return "-: expected files with --pdf, which reads each twice";
    return {};
}

std::string optionsUsed(const std::vector<std::string> &args)
{
    std::string used;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--")
            break;
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        used += (used.empty() ? "" : " ") + shellWord(arg);
        const std::string name = arg.substr(0, arg.find('='));
        for (const OptionSpec &spec : optionTable())
            if (spec.name == name && !spec.argument.empty() && name == arg && i + 1 < args.size())
                used += " " + shellWord(args[++i]);
    }
    return used;
}

int writePdfReport(const std::vector<std::string> &args, const ReportOptions &options,
                   const RunSensitivities &sensitivities, std::ostream &err, const ReportTerminal &terminal)
{
    const std::string &path = *options.pdf;
    const PlotModule *module = nullptr;
    TemporaryFile temporary;
    if (const auto failed = prepareOutput(options, module, temporary)) {
        err << program << *failed << "\n" << std::flush;
        return 1;
    }
    const FoundFiles found = findEventFiles(options.files);
    std::vector<DocumentFailure> failures;
    for (const auto &[name, reason] : found.problems)
        failures.push_back({name, reason});
    ReadOptions read;
    read.sensitivity = sensitivities.choice();
    read.channel = options.channel;
    const bool shown = terminal.errIsTerminal && !options.quiet;
    PdfPages pages;
    try {
        pages = options.assess ? assessedPages(options, sensitivities, read, found.files, failures, err, shown, terminal)
                               : figuresPages(options, sensitivities, read, found.files, failures, err, shown, terminal);
    } catch (const std::bad_alloc &) {
        err << program << path << ": an event does not fit in memory\n" << std::flush;
        return 1;
    }
    pages.plan.footer = footerLine(args);
    std::optional<std::string> failed = writeDocument(*module, pages.plan, pages.next, temporary.name());
    if (!failed)
        failed = temporary.place(path, options.force);
    pages.progress->clear();
    for (const DocumentFailure &f : pages.plan.failures)
        err << program << f.file << ": " << f.reason << "\n";
    if (failed)
        err << program << path << ": " << *failed << "\n";
    err << std::flush;
    const std::vector<bool> &exceeded = pages.plan.summary.table.marked;
    if (!failed && options.failOnExceeded && std::find(exceeded.begin(), exceeded.end(), true) != exceeded.end())
        return 3;
    return failed || !pages.plan.failures.empty() ? 1 : 0;
}
