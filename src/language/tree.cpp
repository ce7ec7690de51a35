#include "language/tree.h"

#include <utility>

#include "language/programs.h"

namespace morvel {

namespace {

// Moves the nested expressions of e into pending, leaving e without children.
void detach_children(Expression& e, std::vector<std::unique_ptr<Expression>>& pending) {
    if (e.left && e.left->expr) pending.push_back(std::move(e.left->expr));
    if (e.right && e.right->expr) pending.push_back(std::move(e.right->expr));
    for (auto& a : e.arguments)
        if (a) pending.push_back(std::move(a));
    e.arguments.clear();
}

}  // namespace

ArgumentList& ArgumentList::operator=(List list) {
    list_ = std::make_unique<List>(std::move(list));
    return *this;
}

ArgumentList::~ArgumentList() = default;

void ArgumentList::push_back(std::unique_ptr<Expression> e) {
    if (!list_) list_ = std::make_unique<List>();
    list_->push_back(std::move(e));
}

void ArgumentList::clear() {
    list_.reset();
}

const ArgumentList::List& ArgumentList::list() const {
    static const List kNone;
    return list_ ? *list_ : kNone;
}

// A chain like a + b + c + ... is a left-leaning tree as deep as it is long; releasing
// it through the unique_ptr chain would recurse once per operator.
Expression::~Expression() {
    std::vector<std::unique_ptr<Expression>> pending;
    detach_children(*this, pending);
    while (!pending.empty()) {
        std::unique_ptr<Expression> e = std::move(pending.back());
        pending.pop_back();
        detach_children(*e, pending);
    }
}

Palette default_palette() {
    Palette p{};
    p[1] = {246, 0, 0};
    p[2] = {0, 255, 0};
    p[3] = {255, 255, 0};
    p[4] = {0, 0, 255};
    p[5] = {255, 0, 255};
    p[6] = {0, 255, 255};
    p[7] = {255, 255, 255};
    return p;
}

}  // namespace morvel
