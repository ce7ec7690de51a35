#include <memory>

#include "values/identifiers.h"

namespace morvel {

namespace {

// Stands in for the records of programs, fields and fonts until their owners build them.
struct PlaceholderObject : IdObject {};

}  // namespace

std::unique_ptr<IdObject> make_id_object(Run&, const Identifier& id) {
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
        return std::make_unique<PlaceholderObject>();
    case IdKind::Reference:
        break;
    }
    return nullptr;
}

}  // namespace morvel
