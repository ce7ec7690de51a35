#pragma once
// Small builders of expression trees for the evaluator tests, in the shapes the
// grammar produces: lit("10"), var(rec), bin(Tok::PLUS, a, b).
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/command_runner.h"
#include "language/tree.h"
#include "values/identifiers.h"

namespace morvel::test {

using ExprPtr = std::unique_ptr<Expression>;
using OperandPtr = std::unique_ptr<Operand>;

/// An operand holding a literal text.
inline OperandPtr lit(std::string text) {
    auto o = std::make_unique<Operand>();
    o->set_value(literal_value(std::move(text)));
    return o;
}

/// An operand naming a variable.
inline OperandPtr var(VariableRecord& rec) {
    Value v;
    v.kind = ValueKind::Identifier;
    v.record = &rec;
    v.cell = &rec.cell;
    v.name = rec.name;
    auto o = std::make_unique<Operand>();
    o->set_value(std::move(v));
    return o;
}

/// An operand naming a field whose text is `cell`.
inline OperandPtr field(LineCell& cell, std::string name = "f") {
    Value v;
    v.kind = ValueKind::Field;
    v.cell = &cell;
    v.name = std::move(name);
    auto o = std::make_unique<Operand>();
    o->set_value(std::move(v));
    return o;
}

/// An operand holding a nested expression.
inline OperandPtr sub(ExprPtr e) {
    auto o = std::make_unique<Operand>();
    o->expr = std::move(e);
    return o;
}

/// op with a left and a right operand.
inline ExprPtr bin(Tok op, OperandPtr a, OperandPtr b, int line = 1) {
    auto e = std::make_unique<Expression>();
    e->op = op;
    e->line = line;
    e->left = std::move(a);
    e->right = std::move(b);
    return e;
}

/// op with only a left operand (NOT a, - a, FIRST(name), a value used as an expression with +).
inline ExprPtr un(Tok op, OperandPtr a, int line = 1) {
    return bin(op, std::move(a), nullptr, line);
}

/// A value used as an expression.
inline ExprPtr val(OperandPtr a) {
    return un(Tok::PLUS, std::move(a));
}

/// op over an argument list, with an optional left operand (CHANGE(name, ...)).
inline ExprPtr fn(Tok op, OperandPtr left, std::vector<ExprPtr> args, int line = 1) {
    auto e = std::make_unique<Expression>();
    e->op = op;
    e->line = line;
    e->left = std::move(left);
    e->arguments = std::move(args);
    e->has_arguments = true;
    return e;
}

/// A list of expressions from values: args(val(lit("1")), ...).
template <class... E>
std::vector<ExprPtr> args(E... e) {
    std::vector<ExprPtr> v;
    (v.push_back(std::move(e)), ...);
    return v;
}

/// A variable record with a name and a current value.
inline std::unique_ptr<VariableRecord> variable(std::string name, Text value) {
    auto v = std::make_unique<VariableRecord>();
    v->name = std::move(name);
    v->cell.value = std::move(value);
    v->cell.line_index = 1;
    return v;
}

/// Gives the run its internal variables (execute_status and the rest), as the start of a run does.
inline void create_run_variables(Run& run) {
    create_internal_variables(run);
    create_objects(run);
}

/// A command runner that records the command lines and returns a chosen status.
struct FakeCommandRunner : CommandRunner {
    std::vector<std::string>* commands;
    int status;
    FakeCommandRunner(std::vector<std::string>* log, int result) : commands(log), status(result) {}
    int run(const std::string& command_line) override {
        commands->push_back(command_line);
        return status;
    }
};

}  // namespace morvel::test
