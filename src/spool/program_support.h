#pragma once
// Helpers the input and extract program executors share.
#include "values/identifiers.h"
#include "values/text.h"

namespace morvel {

struct Run;
struct Statement;

/// Points messages at a statement's source file and definition line.
void set_statement_position(Run& run, const Statement& st);

/// repeat_count for one loop: 1 at the start, advanced per iteration; restore() gives
/// the enclosing loop its value back. A loop that is abandoned without restore()
/// leaves its own count behind.
class RepeatCount {
  public:
    explicit RepeatCount(Run& run) : run_(run), saved_(variable_text(run, Internal::RepeatCount)) {
        set_integer_variable(run_, Internal::RepeatCount, count_);
    }
    long value() const { return count_; }
    void advance() { set_integer_variable(run_, Internal::RepeatCount, ++count_); }
    void restore() { set_text_variable(run_, Internal::RepeatCount, saved_); }

  private:
    Run& run_;
    Text saved_;
    long count_ = 1;
};

}  // namespace morvel
