#include "render/render.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "core/file_handle.h"
#include "core/strfmt.h"
#include "core/version.h"
#include "render/interpreter.h"

namespace morvel::render {

namespace {

constexpr const char* kUsage =
    "usage: morvel-render [-r dpi] -o output job.pcl\n"
    "  -o file.pdf   every page into one PDF (\"-o -\" writes the PDF to standard output)\n"
    "  -o page-%d.png  one PNG per page, %d standing for the page number (1, 2, ...)\n"
    "  -r dpi        PNG resolution, 1 to 600 (default 100)\n"
    "  job.pcl       the printer job, \"-\" for standard input\n"
    "  -o single.png on a job of several pages writes single.png, single-2.png, single-3.png ...\n"
    "  --title text, --author text, --subject text, --keywords text\n"
    "                the PDF's document information\n"
    "  --printer-shading  shading in the PDF as the printer's halftone dots (default: flat grey)\n"
    "  --max-pages n the most pages (copies included) to output, default 10000; the rest\n"
    "                of the job is read but not drawn\n"
    "  --version     print the version and stop\n"
    "  Barcodes are drawn as printed but too coarse to scan at 100 dpi: render them at\n"
    "  -r 200 or more to read them with a scanner program.\n";

bool ends_with(const std::string& s, const char* tail) {
    std::size_t n = std::strlen(tail);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i]) return false;
    return true;
}

/// True when `path` names the file `job` reads (writing there would destroy the job).
bool is_the_job(std::FILE* job, const std::string& path) {
    struct stat a {};
    struct stat b {};
    return fstat(fileno(job), &a) == 0 && stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

int usage(std::FILE* err, const std::string& problem) {
    if (!problem.empty()) std::fprintf(err, "morvel-render: %s\n", problem.c_str());
    std::fputs(kUsage, err);
    return 2;
}

}  // namespace

int render_job(Input& in, Device& device, FontCache& fonts, Problems& problems) {
    Interpreter interpreter(device, fonts, problems);
    interpreter.run(in);
    interpreter.finish();
    std::string error;
    if (!device.finish(error)) problems.report(in.offset(), "device", error);
    return device.pages();
}

namespace {

int render_run(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    std::string output, input;
    double dpi = 100;
    bool have_input = false;
    PdfInfo info;
    bool printer_shading = false;
    int max_pages = kDefaultMaxPages;
    const std::pair<const char*, std::string*> info_options[] = {
        {"--title", &info.title},
        {"--author", &info.author},
        {"--subject", &info.subject},
        {"--keywords", &info.keywords},
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string* info_field = nullptr;
        for (const auto& [name, field] : info_options)
            if (arg == name) info_field = field;
        if (info_field) {
            if (i + 1 >= argc) return usage(err, arg + " needs a value");
            *info_field = argv[++i];
        } else if (arg == "--max-pages") {
            if (i + 1 >= argc) return usage(err, arg + " needs a value");
            std::string value = argv[++i];
            char* end = nullptr;
            errno = 0;
            long n = std::strtol(value.c_str(), &end, 10);
            if (errno || end == value.c_str() || *end || n < 1 || n > 10000000)
                return usage(err, "the page limit must be a number from 1 to 10000000");
            max_pages = static_cast<int>(n);
        } else if (arg == "--printer-shading") {
            printer_shading = true;
        } else if (arg == "--version") {
            std::fprintf(out, "morvel-render %s\n", kReleaseVersion);
            return 0;
        } else if (arg == "-o" || arg == "-r") {
            if (i + 1 >= argc) return usage(err, arg + " needs a value");
            std::string value = argv[++i];
            if (arg == "-o") {
                output = value;
            } else {
                char* end = nullptr;
                errno = 0;
                dpi = std::strtod(value.c_str(), &end);
                if (errno || end == value.c_str() || *end || !(dpi >= 1 && dpi <= 600))
                    return usage(err, "the resolution must be a number from 1 to 600");
            }
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, out);
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage(err, "unknown option " + arg);
        } else if (have_input) {
            return usage(err, "only one job can be rendered at a time");
        } else {
            input = arg;
            have_input = true;
        }
    }
    if (!have_input) return usage(err, "no job given");
    if (output.empty()) return usage(err, "no output given (-o)");
    const bool pdf = output == "-" || ends_with(output, ".pdf");
    if (!pdf && !ends_with(output, ".png"))
        return usage(err, "the output must end in .pdf or .png, or be - for a PDF");

    FileHandle owned_in;
    std::FILE* job = in;
    if (input != "-") {
        owned_in.reset(std::fopen(input.c_str(), "rb"));
        if (!owned_in) {
            std::fprintf(err, "morvel-render: cannot read %s: %s\n", input.c_str(),
                         std::strerror(errno));
            return 2;
        }
        job = owned_in.get();
    }
    const std::string first_file = pdf ? output : png_file_name(output, 1);
    if (first_file != "-" && is_the_job(job, first_file)) {
        std::fprintf(err, "morvel-render: the output %s is the job itself; nothing is written\n",
                     first_file.c_str());
        return 2;
    }
    FileHandle owned_out;
    std::unique_ptr<Device> device;
    if (pdf) {
        std::FILE* target = out;
        if (output != "-") {
            owned_out.reset(std::fopen(output.c_str(), "wb"));
            if (!owned_out) {
                std::fprintf(err, "morvel-render: cannot write %s: %s\n", output.c_str(),
                             std::strerror(errno));
                return 2;
            }
            target = owned_out.get();
        }
        device = std::make_unique<PdfDevice>(target, info, printer_shading);
    } else {
        device = std::make_unique<PngDevice>(output, dpi);
    }
    device->set_max_pages(max_pages);
    FileInput source(job);
    Problems problems(err);
    FontCache fonts;
    render_job(source, *device, fonts, problems);
    if (source.failed()) {
        std::fprintf(err, "morvel-render: cannot read %s\n",
                     input == "-" ? "standard input" : input.c_str());
        return 2;
    }
    device.reset();
    if (owned_out && !close_checked(owned_out)) {
        std::fprintf(err, "morvel-render: cannot write %s\n", output.c_str());
        return 1;
    }
    return problems.count() == 0 ? 0 : 1;
}

}  // namespace

int render_main(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    try {
        return render_run(argc, argv, in, out, err);
    } catch (const std::bad_alloc&) {
        std::fputs("morvel-render: out of memory: the job needs more memory than there is\n", err);
        return 1;
    }
}

}  // namespace morvel::render
