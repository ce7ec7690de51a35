#pragma once
// Program records and the ProgramTree. Extract, reformat and output programs are the
// run-time objects of their identifiers (owned by the identifier table, filled by
// pass 2); the input and delivery programs belong to the tree itself.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "language/field.h"
#include "language/font.h"
#include "language/tree.h"
#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

struct Run;

/// The [INPUT] section, or the default input program when there is none.
struct InputProgram {
    int lines_per_page = 66;
    int source_index = 0;
    StatementList statements;
};

/// The object of an extract program identifier (kind 1).
struct ExtractProgram : IdObject {
    std::string name;
    int source_index = 0;
    int lines_per_page = 66;                  ///< 1 to 300
    std::optional<Value> bytes_per_page;      ///< BYTES_PER_PAGE: cut pages by bytes
    std::optional<Value> discard;             ///< DISCARD: non-zero drops the page's output
    std::optional<Value> tab;                 ///< TAB: tab width, 8 when absent
    std::unique_ptr<Expression> last_of_doc;  ///< name = expression in the program head
    StatementList statements;
    std::vector<FieldRecord*> fields;  ///< fields its statements declare, in order
};

/// Reformat program kinds (the type words hp, text, epson; xml and utf8 are text).
enum class ReformatKind : int { Printer = 0, TextPage = 1, Epson = 2 };

/// A variable listed after the type word: it receives PARAMETER(index) when the
/// program runs as a reformat function.
struct ParameterBinding {
    VariableRecord* variable = nullptr;
    int index = 0;  ///< from 1
};

/// The object of a reformat program identifier (kind 2). The defaults here are the
/// ones every program starts with; the type word then sets its own (see the grammar).
struct ReformatProgram : IdObject {
    std::string name;
    int source_index = 0;
    ReformatKind kind = ReformatKind::Printer;
    bool xml = false;         ///< type word xml (text kind)
    bool wide_cells = false;  ///< type word utf8 (text kind)
    std::vector<ParameterBinding> parameters;

    // SETTINGS
    int page_width = 80;
    int page_height = 66;  ///< PAGE_HEIGHT or LINES_PER_PAGE
    int pad = 1;
    int use_input = 1;
    double character_width = 1.0;
    double line_height = 1.0;
    int x_shift = 0;
    int y_shift = 0;
    int resolution = 1;
    int orientation = 0;  ///< 0 portrait, 1 landscape
    int initialise = 1;
    int paper_size = 26;
    int printer_tray = 0;
    int duplex = 0;
    int crlf = 0;
    int form_feed = 0;
    int force_form_feed = 0;
    int trim_lines = 0;
    bool hpgl_forbidden = false;       ///< HPGL = 0
    bool uses_hpgl = false;            ///< HPGL non-zero, or a statement that draws with HP-GL/2
    std::optional<Value> colour;       ///< COLOUR, read at run time
    std::optional<Value> num_copies;   ///< NUM_COPIES, read at job set-up
    std::optional<Value> symbol_set;   ///< SYMBOL_SET
    std::vector<Value> include_files;  ///< INCLUDE, copied at job set-up
    std::vector<FormDefinition> macro_forms;  ///< FORM in SETTINGS
    std::vector<HpFont*> hp_fonts;            ///< HP_FONT definitions of this program
    std::vector<EpsonFont*> epson_fonts;

    // MAPPINGS
    std::array<std::uint8_t, 256> character_map{};  ///< identity unless MAP a, b
    bool maps_characters = false;                   ///< a MAP statement changed the map
    int map_upper = 0;                              ///< MAP_LU
    int map_lower = 0;                              ///< MAP_UL
    int tab = 8;

    StatementList statements;

    // Run-time state.
    bool form_feed_pending = false;

    ReformatProgram();
};

/// One entry of PARAMETERS: an output file or a value. key = value is held as two
/// entries, each with its own QUOTED mark; ALIAS name = value as the variable name.
struct InvocationParameter {
    enum class Kind { OutputFile, Item };
    Kind kind = Kind::Item;
    OutputProgram* other = nullptr;  ///< OUTPUT_FILE(other); none = this program's file
    bool quoted = false;
    Value value;
    int source = 0;  ///< where it is written: the source file's index and line
    int line = 0;
};

/// How an output program hands its file to an external command.
struct Invocation {
    Value program;                                ///< INVOCATION = value
    std::vector<InvocationParameter> parameters;  ///< PARAMETERS = ...
    std::optional<std::string> override_text;     ///< from -o; replaces program and parameters
};

/// The object of an output program identifier (kind 4).
struct OutputProgram : IdObject {
    std::string name;
    int source_index = 0;
    int sequence = 0;  ///< 0, 1, 2 ... in order of definition
    Invocation invocation;
    std::unique_ptr<Expression> pre_init, init_str, post_init, finalise;
    std::unique_ptr<Expression> xml_encoding, xml_root, xml_version;
    int xml_warning_level = 0;  ///< XML_WARN; 1 when SETTINGS is written without it
    StatementList statements;   ///< MASK

    // Run-time state.
    int page_counter = 1;
    int preview_counter = 0;
    int output_kind = 0;  ///< 0 printer, 1 text, 3 XML
    bool last_page_full = false;
    std::vector<long> total_page_placeholders;
};

/// The [DELIVERY] section.
struct DeliveryProgram {
    int source_index = 0;
    StatementList statements;
};

/// One colour of the palette shared by all reformat programs.
struct PaletteEntry {
    int red = 0;
    int green = 0;
    int blue = 0;
};
using Palette = std::array<PaletteEntry, 256>;

/// Entries 0-7 black, red (246), green, yellow, blue, magenta, cyan, white; 8-255 black.
Palette default_palette();

/// The compiled definition.
struct ProgramTree {
    std::unique_ptr<InputProgram> input;
    std::unique_ptr<DeliveryProgram> delivery;  ///< none without [DELIVERY]
    std::vector<ExtractProgram*> extracts;      ///< in order of definition
    std::vector<ReformatProgram*> reformats;
    std::vector<OutputProgram*> outputs;
    Palette palette = default_palette();  ///< reset at the start of each pass
};

/// Creates the run-time object of a program, field or font identifier (kinds 1, 2, 4,
/// 9, 11, 12) with its defaults; nullptr for any other kind.
std::unique_ptr<IdObject> make_program_object(Run& run, const Identifier& id);

}  // namespace morvel
