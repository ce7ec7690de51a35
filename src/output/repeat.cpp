#include "output/repeat.h"

#include "run.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

namespace {

// repeat_count as it was before the loop, put back however the loop ends.
class RepeatCountGuard {
  public:
    explicit RepeatCountGuard(Run& run) {
        record_ = internal_variable(run, Internal::RepeatCount);
        if (record_) saved_ = record_->cell;
    }
    ~RepeatCountGuard() {
        if (record_) record_->cell = saved_;
    }
    RepeatCountGuard(const RepeatCountGuard&) = delete;
    RepeatCountGuard& operator=(const RepeatCountGuard&) = delete;

  private:
    VariableRecord* record_ = nullptr;
    LineCell saved_;
};

}  // namespace

int run_repeat(Run& run, const RepeatStatement& rep,
               const std::function<int(const StatementList&)>& body) {
    if (rep.starts) {
        int starts = evaluate_truth(run, rep.starts.get());
        if (starts < 0) return -1;
        if (starts == 0) return 0;
    }
    long count = -1;
    if (rep.by) {
        // A failed BY must not read as -1, which would mean "no count".
        Text by = evaluate(run, rep.by.get());
        if (!by) return -1;
        count = to_integer(run, by);
        if (count == 0) return 0;
    }
    int ends = 0;
    if (rep.ends) {
        ends = evaluate_truth(run, rep.ends.get());
        if (ends < 0) return -1;
    }
    if (!rep.inclusive && ends) return 0;

    RepeatCountGuard guard(run);
    long pass = 1;
    set_integer_variable(run, Internal::RepeatCount, pass);
    for (;;) {
        if (body(rep.body) == -1) return -1;
        if (rep.ends) {
            ends = evaluate_truth(run, rep.ends.get());
            if (ends < 0) return -1;
        }
        ++pass;
        set_integer_variable(run, Internal::RepeatCount, pass);
        if (ends || count == 1) break;
        if (count > 0) --count;
        if (count < 0 && pass > kUnboundedRepeatLimit) break;
    }
    return 0;
}

}  // namespace morvel
