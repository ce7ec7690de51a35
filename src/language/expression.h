#pragma once
// Expressions of the program tree. The grammar builds a few canonical shapes that
// the evaluator relies on:
//   a value used as an expression        (+ a)            left only
//   a op b                               (op a b)         left and right
//   - a, NOT a                           (- a), (NOT a)   left only
//   name[r]                              ([ name r)
//   name[r, c], name[r, c, s]            (CSV_VALUE [ ([ name r) c s ])
//   reformat(a1, ...)                    (FUNCTION [ "reformat" a1 ... ])
//   one- and two-argument functions      (op a), (op a b)
//   three or more arguments, DATE(...)   (op [ a b c ... ])
//   CHANGE(name, a, b, c [, d])          (CHANGE name [ a b c d ])
//   INSERT_LINE(name, a [, b])           (INSERT_LINE name [ a b ])
//   SORT_VALUES(a, b, n1, n2 ...)        (SORT_VALUES [ a b (+ n1) (+ n2) ... ])
//   OUTPUT_FILE, EURO, DATE              (op)             nothing
// Operands that are plain values are stored as values, not as (+ value) nodes;
// argument-list entries are always expressions.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "language/node_arena.h"
#include "language/tokens.h"
#include "values/value.h"

namespace morvel {

struct Expression;

/// A value held once for all the operands that read the same variable, field or
/// literal, freed with the last of them. It cannot be changed once made.
class SharedValue {
  public:
    SharedValue() = default;
    explicit SharedValue(Value v) : node_(new Node{std::move(v), 1}) {}
    SharedValue(const SharedValue& other) noexcept : node_(other.node_) {
        if (node_) ++node_->owners;
    }
    SharedValue(SharedValue&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
    SharedValue& operator=(SharedValue other) noexcept {
        std::swap(node_, other.node_);
        return *this;
    }
    ~SharedValue() {
        if (node_ && --node_->owners == 0) delete node_;
    }

    /// The value, or nullptr for none.
    const Value* get() const { return node_ ? &node_->value : nullptr; }

  private:
    struct Node {
        Value value;
        long owners;
    };
    Node* node_ = nullptr;
};

/// What an operand without a value reads: an empty literal.
inline const Value kNoValue{};

/// One side of an expression: a value or a nested expression.
struct Operand {
    SharedValue shared;                ///< used when `expr` is empty; none reads as ""
    std::unique_ptr<Expression> expr;  ///< nested expression, or none
    int line = 0;                      ///< definition line where it was built

    /// The value (an empty literal when none was given).
    const Value& value() const {
        const Value* v = shared.get();
        return v ? *v : kNoValue;
    }
    /// Gives the operand a value of its own.
    void set_value(Value v) { shared = SharedValue(std::move(v)); }
};

/// The optional left or right operand of an expression, held in the expression itself.
class OperandSlot {
  public:
    OperandSlot() = default;
    OperandSlot(OperandSlot&&) = default;
    explicit operator bool() const { return present_; }
    Operand* get() { return present_ ? &operand_ : nullptr; }
    const Operand* get() const { return present_ ? &operand_ : nullptr; }
    Operand* operator->() { return &operand_; }
    const Operand* operator->() const { return &operand_; }
    Operand& operator*() { return operand_; }
    const Operand& operator*() const { return operand_; }
    /// Fills the slot with o.
    Operand& emplace(Operand o) {
        operand_ = std::move(o);
        present_ = true;
        return operand_;
    }
    /// Fills the slot from an operand built apart (none empties it).
    OperandSlot& operator=(std::unique_ptr<Operand> o) {
        if (o)
            emplace(std::move(*o));
        else
            *this = OperandSlot();
        return *this;
    }
    OperandSlot& operator=(OperandSlot&&) = default;

  private:
    [[no_unique_address]] Operand operand_;
    bool present_ = false;
};

/// An expression's argument list in written order, allocated only when one is written.
class ArgumentList {
  public:
    using List = std::vector<std::unique_ptr<Expression>>;

    ArgumentList() = default;
    ArgumentList(ArgumentList&&) noexcept = default;
    ArgumentList& operator=(ArgumentList&&) noexcept = default;
    ArgumentList& operator=(List list);
    ~ArgumentList();

    std::size_t size() const { return list_ ? list_->size() : 0; }
    bool empty() const { return size() == 0; }
    std::unique_ptr<Expression>& operator[](std::size_t i) { return (*list_)[i]; }
    const std::unique_ptr<Expression>& operator[](std::size_t i) const { return (*list_)[i]; }
    std::unique_ptr<Expression>* begin() { return list_ ? list_->data() : nullptr; }
    std::unique_ptr<Expression>* end() { return list_ ? list_->data() + list_->size() : nullptr; }
    const std::unique_ptr<Expression>* begin() const { return list_ ? list_->data() : nullptr; }
    const std::unique_ptr<Expression>* end() const {
        return list_ ? list_->data() + list_->size() : nullptr;
    }
    void push_back(std::unique_ptr<Expression> e);
    /// Drops the list (releasing its entries).
    void clear();
    /// The entries as a vector (an empty one when none).
    const List& list() const;

  private:
    std::unique_ptr<List> list_;
};

/// An operator (a token code) over a left and right operand and/or an argument list.
/// Compile pass 2 makes its expressions in the run's NodeArena.
struct Expression : ArenaNode {
    Tok op = Tok::PLUS;
    bool has_arguments = false;  ///< an argument list was written
    int line = 0;
    OperandSlot left;
    OperandSlot right;
    ArgumentList arguments;  ///< written order; empty = none

    Expression() = default;
    Expression(Tok op_, int line_) : op(op_), line(line_) {}
    Expression(Expression&&) = default;
    Expression& operator=(Expression&&) = default;
    /// Releases nested expressions without recursion, so a chain of thousands of
    /// operators cannot exhaust the stack.
    ~Expression();
    /// Deleting frees the memory only of an expression made on the heap.
    static void operator delete(Expression* e, std::destroying_delete_t) { destroy(e); }
};

}  // namespace morvel
