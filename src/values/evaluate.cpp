#include "values/evaluate.h"

#include "core/messages.h"
#include "language/builtins.h"
#include "reformat/reformat_function.h"
#include "run.h"
#include "spool/extract.h"
#include "values/evaluate_internal.h"
#include "values/functions.h"
#include "values/text_util.h"

namespace morvel {

namespace {

// The printer command that calls macro 200, where the euro sign is stored.
constexpr const char* kEuroCommand = "\033&f200y3X";

Text truth(bool b) {
    return std::string(b ? "1" : "0");
}

// Operators that take no operand at all; every other node needs a left operand
// or an argument list.
Text eval_plus(Run& run, const Expression& e) {
    if (!e.left) {
        report_error(run, 1, "Missing operand in + operation");
        return std::nullopt;
    }
    Text a = evaluate_operand(run, e.left.get());
    // A value used as an expression is built as + with only a left operand.
    if (!e.right || !a) return a;
    Text b = evaluate_operand(run, e.right.get());
    if (!b) return std::nullopt;
    if (is_number(a) && is_number(b)) return from_number(to_number(run, *a) + to_number(run, *b));
    *a += *b;
    return a;
}

Text eval_minus(Run& run, const Expression& e) {
    if (!e.left) {
        report_error(run, 1, "Missing operand in - operation");
        return std::nullopt;
    }
    Text a = evaluate_operand(run, e.left.get());
    if (!a) return std::nullopt;
    if (!e.right) {
        if (!is_number(a)) {
            report_error(run, 1, "Can only negate numbers");
            return std::nullopt;
        }
        // 0 - x rather than -x, so that negating 0 gives 0.000000, not -0.000000.
        return from_number(0.0 - to_number(run, *a));
    }
    Text b = evaluate_operand(run, e.right.get());
    if (!b) return std::nullopt;
    if (!is_number(a) || !is_number(b)) {
        report_error(run, 1, "Can only subtract numbers");
        return std::nullopt;
    }
    return from_number(to_number(run, *a) - to_number(run, *b));
}

Text eval_multdiv(Run& run, const Expression& e) {
    bool multiply = e.op == Tok::STAR;
    if (!e.left || !e.right) {
        if (multiply)
            report_error(run, 1, "Missing operand in * operation");
        else
            report_error(run, 1, "Missing operand in / operation");
        return std::nullopt;
    }
    Text a = evaluate_operand(run, e.left.get());
    if (!a) {
        report_error(run, 1, "Missing number for parameter 1 in eval_multdiv");
        return std::nullopt;
    }
    Text b = evaluate_operand(run, e.right.get());
    if (!b) {
        report_error(run, 1, "Missing number for parameter 2 in eval_multdiv");
        return std::nullopt;
    }
    if (!is_number(a) || !is_number(b)) {
        report_error(run, 1, "Can only multiply or divide numbers");
        return std::nullopt;
    }
    double x = to_number(run, *a);
    double y = to_number(run, *b);
    // A zero divisor is let through: the quotient prints as the library's infinity.
    return from_number(multiply ? x * y : x / y);
}

template <class T>
bool compare_by(Tok op, const T& a, const T& b) {
    switch (op) {
        case Tok::EQ:
            return a == b;
        case Tok::NE:
            return a != b;
        case Tok::LT:
            return a < b;
        case Tok::LE:
            return a <= b;
        case Tok::GT:
            return a > b;
        default:
            return a >= b;
    }
}

Text eval_comparison(Run& run, const Expression& e) {
    if (!e.left || !e.right) {
        report_error(run, 1, "Missing operand in comparison operation");
        return std::nullopt;
    }
    Text a = evaluate_operand(run, e.left.get());
    if (!a) return std::nullopt;
    Text b = evaluate_operand(run, e.right.get());
    if (!b) return std::nullopt;
    if (is_number(a) && is_number(b))
        return truth(compare_by(e.op, to_number(run, *a), to_number(run, *b)));
    return truth(compare_by(e.op, compare_ignore_case(*a, *b), 0));
}

// AND and OR look at their right side only when the left side does not decide:
// a right side with effects (EXECUTE, NEXT) then does not run.
Text eval_and(Run& run, const Expression& e) {
    Text a = evaluate_operand(run, e.left.get());
    if (!a) return std::nullopt;
    if (is_number(a) && to_number(run, *a) == 0) return truth(false);
    Text b = evaluate_operand(run, e.right.get());
    if (!b) return std::nullopt;
    if (is_number(a) && is_number(b)) return truth(to_number(run, *b) != 0);
    return truth(true);
}

Text eval_or(Run& run, const Expression& e) {
    Text a = evaluate_operand(run, e.left.get());
    if (!a) return std::nullopt;
    bool a_number = is_number(a);
    if (a_number && !a->empty() && to_number(run, *a) != 0) return truth(true);
    Text b = evaluate_operand(run, e.right.get());
    if (!b) return std::nullopt;
    if (a_number && is_number(b)) return truth(to_number(run, *a) != 0 || to_number(run, *b) != 0);
    return truth(true);
}

Text eval_not(Run& run, const Expression& e) {
    Text a = evaluate_operand(run, e.left.get());
    if (!a) return std::nullopt;
    if (!is_number(a)) report_warning(run, 1, "Trying to NOT a non numeric value");
    // A non-number reads as 0 after the conversion's own error.
    return truth(to_integer(run, *a) == 0);
}

}  // namespace

const Value* name_value(const Operand* o) {
    return o && !o->expr ? &o->value() : nullptr;
}

Text evaluate_operand(Run& run, const Operand* o) {
    if (!o) {
        report_error(run, 0, "Invalid expression");
        return std::nullopt;
    }
    if (!o->expr) return operand_text(run, o->value());
    // The operator's own messages, after its operands, name its own line again.
    int line = run.current_line;
    Text t = evaluate(run, o->expr.get());
    run.current_line = line;
    return t;
}

Text evaluate_argument(Run& run, const Expression* e) {
    int line = run.current_line;
    Text t = evaluate(run, e);
    run.current_line = line;
    return t;
}

namespace {

Text evaluate_node(Run& run, const Expression* e);

// Evaluation follows the tree by recursion, so the tree's depth is bounded: a chain
// of thousands of operators (A + B + C ...) would otherwise exhaust the stack.
constexpr int kMaxEvaluationDepth = 2000;

struct EvaluationDepth {
    Run& run;
    explicit EvaluationDepth(Run& r) : run(r) { ++run.evaluation_depth; }
    ~EvaluationDepth() { --run.evaluation_depth; }
    EvaluationDepth(const EvaluationDepth&) = delete;
    EvaluationDepth& operator=(const EvaluationDepth&) = delete;
};

}  // namespace

Text evaluate(Run& run, const Expression* e) {
    if (run.evaluation_depth >= kMaxEvaluationDepth) {
        report_error(run, 0, "Expression nested too deeply to evaluate");
        return std::nullopt;
    }
    EvaluationDepth depth(run);
    return evaluate_node(run, e);
}

namespace {

Text evaluate_node(Run& run, const Expression* e) {
    if (!e || (!e->left && !e->has_arguments && e->arguments.empty() && !takes_no_operand(e->op))) {
        report_error(run, 0, "Invalid expression");
        return std::nullopt;
    }
    // Messages raised while evaluating name the expression's own line.
    run.current_line = e->line;
    switch (e->op) {
        case Tok::PLUS:
            return eval_plus(run, *e);
        case Tok::MINUS:
            return eval_minus(run, *e);
        case Tok::STAR:
        case Tok::SLASH:
            return eval_multdiv(run, *e);
        case Tok::EQ:
        case Tok::NE:
        case Tok::LT:
        case Tok::LE:
        case Tok::GT:
        case Tok::GE:
            return eval_comparison(run, *e);
        case Tok::AND:
            return eval_and(run, *e);
        case Tok::OR:
            return eval_or(run, *e);
        case Tok::NOT:
            return eval_not(run, *e);
        case Tok::LBRACKET:
            return eval_line_function(run, *e);
        default:
            break;
    }
    const Builtin* builtin = builtin_of(e->op);
    if (!builtin) {
        report_error(run, 1, "Unknown operator");
        return std::nullopt;
    }
    switch (builtin->dispatch) {
        case Dispatch::Line:
            return eval_line_function(run, *e);
        case Dispatch::TextTest:
            return eval_text_test(run, *e);
        case Dispatch::Change:
            return eval_change(run, *e);
        case Dispatch::Round:
            return eval_round(run, *e);
        case Dispatch::Total:
            return eval_total(run, *e);
        case Dispatch::Execute:
            return eval_execute(run, *e);
        case Dispatch::OutputFile:
            return run.output_files.current_name;
        case Dispatch::Euro:
            return std::string(kEuroCommand);
        case Dispatch::FirstLast:
            return eval_first_last_line(run, *e);
        case Dispatch::Reformat:
            return eval_r_function(run, *e);
        case Dispatch::TextLibrary:
        case Dispatch::Number:
        case Dispatch::DateFunction:
        case Dispatch::List:
        case Dispatch::File:
        case Dispatch::Xml:
            break;
    }
    bool handled = true;
    return eval_function(run, *e, handled);
}

}  // namespace

int evaluate_truth(Run& run, const Expression* e) {
    Text t = evaluate(run, e);
    if (!t) return -1;
    return *t != "0" && !t->empty() ? 1 : 0;
}

long evaluate_integer(Run& run, const Expression* e) {
    Text t = evaluate(run, e);
    if (!t) return -1;
    return to_integer(run, *t);
}

}  // namespace morvel
