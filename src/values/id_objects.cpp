#include <memory>

#include "language/programs.h"
#include "values/identifiers.h"

namespace morvel {

std::unique_ptr<IdObject> make_id_object(Run& run, const Identifier& id) {
    switch (id.kind) {
        case IdKind::Variable: {
            auto var = std::make_unique<VariableRecord>();
            var->name = id.name;
            // The declaration sets the initial value in pass 2; until then it reads as empty.
            var->cell.value = std::string();
            var->cell.previous = std::string();
            return var;
        }
        case IdKind::Extract:
        case IdKind::Reformat:
        case IdKind::Output:
        case IdKind::Field:
        case IdKind::HpFont:
        case IdKind::EpsonFont:
            return make_program_object(run, id);
        case IdKind::Reference:
            break;
    }
    return nullptr;
}

}  // namespace morvel
