#pragma once
// The REPEAT of output and delivery programs: the same loop over different bodies.
#include <functional>

#include "language/tree.h"

namespace morvel {

struct Run;

/// Passes of a REPEAT that has no count (no BY, or a negative one); a body that never
/// fails and an ENDS that never holds would otherwise write pages without end.
inline constexpr long kUnboundedRepeatLimit = 10000;

/// Runs body over rep.body as REPEAT [BY n] [STARTS c] [ENDS c] [INCLUSIVE|EXCLUSIVE]
/// does, with repeat_count 1, 2, ... and restored afterwards. 0, or -1 when an
/// expression could not be evaluated or a pass returned -1.
int run_repeat(Run& run, const RepeatStatement& rep,
               const std::function<int(const StatementList&)>& body);

}  // namespace morvel
