// Run-time objects of program, field and font identifiers, created between the passes.
#include <memory>
#include <string_view>

#include "language/field.h"
#include "language/font.h"
#include "language/programs.h"
#include "values/identifiers.h"
#include "values/text_util.h"

namespace morvel {

ReformatProgram::ReformatProgram() {
    for (int i = 0; i < 256; ++i)
        character_map[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
}

std::unique_ptr<IdObject> make_program_object(Run&, const Identifier& id) {
    switch (id.kind) {
        case IdKind::Extract: {
            auto p = std::make_unique<ExtractProgram>();
            p->name = id.name;
            return p;
        }
        case IdKind::Reformat: {
            auto p = std::make_unique<ReformatProgram>();
            p->name = id.name;
            return p;
        }
        case IdKind::Output: {
            auto p = std::make_unique<OutputProgram>();
            p->name = id.name;
            return p;
        }
        case IdKind::Field: {
            auto f = std::make_unique<FieldRecord>();
            f->name = id.name;
            // default_line stands for the first 80 columns of the first line.
            if (equal_ignore_case(id.name, "default_line")) {
                f->x = literal_value("1");
                f->y = literal_value("1");
                f->length = literal_value("80");
            }
            return f;
        }
        case IdKind::HpFont: {
            // The values of the default font; an HP_FONT statement replaces them all.
            auto f = std::make_unique<HpFont>();
            f->name = id.name;
            f->proportional = literal_value("0");
            f->typeface = literal_value("4099");
            f->size = literal_value("10");
            f->boldness = literal_value("0");
            return f;
        }
        case IdKind::EpsonFont: {
            auto f = std::make_unique<EpsonFont>();
            f->name = id.name;
            return f;
        }
        default:
            return nullptr;
    }
}

}  // namespace morvel
