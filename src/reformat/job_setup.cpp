#include "reformat/job_setup.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "core/messages.h"
#include "core/printer_out.h"
#include "language/programs.h"
#include "reformat/fonts.h"
#include "reformat/forms.h"
#include "reformat/place_text.h"
#include "reformat/raw_write.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/value.h"

namespace morvel {

namespace {

// PRE_INIT, INIT_STR and POST_INIT are written unchanged; a string that does not
// evaluate has been reported by the evaluator and is left out.
void write_user_string(Run& run, PclOut& out, const std::unique_ptr<Expression>& e) {
    if (!e) return;
    Text text = evaluate(run, e.get());
    if (text) out.write_bytes(*text);
}

// The INCLUDE entries of SETTINGS; the first one that fails ends the list.
void copy_settings_includes(Run& run, ReformatProgram& program, PclOut& out) {
    for (const Value& v : program.include_files) {
        Text name = operand_text(run, v);
        if (!name) {
            report_error(run, 2, "Unable to get the name of a REFORMAT SETTINGS INCLUDE");
            return;
        }
        if (name->empty()) continue;
        FileHandle file = open_include_file(run, *name);
        if (!file) return;
        out.copy_from(file.get());
    }
}

void write_standard_header(Run& run, ReformatProgram& program, PclOut& out, int& status) {
    out.printf("\033%%-12345X\033E");
    out.printf("\033&l%dS", program.duplex);
    out.printf("\033&l%dO", program.orientation);
    if (program.printer_tray != 0) out.printf("\033&l%dH", program.printer_tray);
    out.printf("\033&l%dA", program.paper_size);
    if (page_setup(run, program, out) != 0) status = -1;
}

int printer_job_setup(Run& run, ReformatProgram& program, OutputProgram& output, PclOut& out) {
    // Only failures of this set-up end it; an error reported earlier in the run must not
    // stop every later page (with -r the output is still delivered).
    const long errors_before = run.error_count;
    auto failed = [&] { return run.error_count != errors_before; };

    output.output_kind = 0;
    write_user_string(run, out, output.pre_init);
    if (output.init_str) {
        write_user_string(run, out, output.init_str);
    } else {
        int status = 0;
        write_standard_header(run, program, out, status);
        if (status != 0) return -1;
    }
    write_user_string(run, out, output.post_init);
    copy_settings_includes(run, program, out);
    if (failed()) return -1;
    out.printf("\033&f200y0X\033(8O\033(s1070Te\033&f1X");
    if (download_macro_forms(run, program, out) < 0) return -1;
    select_default_font(run, out);
    return failed() ? -1 : 0;
}

int text_job_setup(Run& run, ReformatProgram& program, OutputProgram& output, PclOut& out) {
    write_user_string(run, out, output.pre_init);
    const char* line_end = program.crlf ? "\r\n" : "\n";
    if (output.init_str) {
        write_user_string(run, out, output.init_str);
    } else if (program.xml) {
        std::string version = "1.0";
        if (output.xml_version) {
            Text v = evaluate(run, output.xml_version.get());
            if (!v) {
                report_error(run, 2, "Unable to allocate space for xml initialisation");
                return -1;
            }
            version = *v;
        }
        out.printf("<?xml version=\"%s\"", version.c_str());
        if (output.xml_encoding) {
            Text encoding = evaluate(run, output.xml_encoding.get());
            if (!encoding) {
                report_error(run, 2, "Unable to allocate space for xml initialisation");
                return -1;
            }
            out.printf(" encoding=\"%s\"", encoding->c_str());
        }
        out.printf("?>%s", line_end);
    }
    write_user_string(run, out, output.post_init);
    if (program.xml) {
        std::string root = "DOCUMENT";
        if (output.xml_root) {
            Text name = evaluate(run, output.xml_root.get());
            if (!name) {
                report_error(run, 2, "Couldnt get XML ROOT tag name");
                return -1;
            }
            root = *name;
        }
        raw_write(run, out, "<" + root + ">", 0, true, false);
        output.output_kind = 3;
    } else {
        output.output_kind = 1;
    }
    copy_settings_includes(run, program, out);
    return 0;
}

}  // namespace

long colour_on(Run& run, const ReformatProgram& program) {
    if (!program.colour) return 0;
    return argument_integer(run, *program.colour, "REFORMAT->SETTINGS->COLOUR");
}

FileHandle open_include_file(Run& run, std::string_view name) {
    std::string path(name);
    FileHandle file = open_file(path, "rb");
    if (!file) report_error(run, 2, "Unable to open include file >%s<", path.c_str());
    return file;
}

int page_setup(Run& run, ReformatProgram& program, PclOut& out) {
    // The page set-up may follow a printer reset, which forgets downloaded patterns.
    run.reformat.patterns_file = nullptr;
    out.printf("\0339");
    out.printf("\033&l0E");
    out.printf("\033&u%dD", program.resolution);
    if (program.symbol_set) {
        Text set = operand_text(run, *program.symbol_set);
        if (!set) return -1;
        out.printf("\033(%s", set->c_str());
    }
    out.printf("\033*v0T");
    out.printf("\033*c100G");
    out.printf("\033*v0n0O");
    set_cursor(run, out, 0, 0);
    if (program.uses_hpgl && !program.hpgl_forbidden) {
        set_cursor(run, out, 0, 0);
        out.printf("\033*c0T");
        out.printf("\033*c20000x20000Y\033%%1BINSP1");
        // One user unit is one printer unit, with y growing downwards as in PCL.
        double scale = program.resolution != 0 ? 1016.0 / program.resolution : 0.0;
        out.printf("SC0,%f,0,%f,2IR0,100,0,100", scale, -scale);
        out.printf("PU0,0;\033%%1A");
    }
    if (colour_on(run, program) > 0) {
        out.printf("\033*v6W");
        static constexpr char kPaletteConfig[6] = {0, 1, 8, 8, 8, 8};
        out.write_bytes(std::string_view(kPaletteConfig, sizeof kPaletteConfig));
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = run.tree.palette[static_cast<std::size_t>(i)];
            out.printf("\033*v%da%db%dc%dI", e.red, e.green, e.blue, i);
        }
    }
    if (program.num_copies)
        out.printf("\033&l%ldX",
                   argument_integer(run, *program.num_copies, "SETTINGS(NUM_COPIES)"));
    return 0;
}

int job_setup(Run& run, ReformatProgram& program, OutputProgram& output, PclOut& out) {
    // Only an empty file gets the set-up, so a file shared by several programs, or
    // pages appended over many documents, carry one header.
    if (out.file() == run.reformat.written_file) return 0;
    if (out.position() != 0) {
        run.reformat.written_file = out.file();
        return 0;
    }
    // A new file reached through a FILE pointer that held patterns before (its stream
    // reused after the old file was closed) must get them again, also when INIT_STR
    // replaces the page set-up.
    if (run.reformat.patterns_file == out.file()) run.reformat.patterns_file = nullptr;
    if (program.kind == ReformatKind::Printer) return printer_job_setup(run, program, output, out);
    return text_job_setup(run, program, output, out);
}

}  // namespace morvel
