#pragma once
// Ending a page: text pages are written out as lines, printer pages get a form feed.

namespace morvel {

struct Run;

/// Ejects the running program's page; explicit for EJECT_PAGE, not at the end of a run.
/// Advances the output's page counter. 0, or -1 after a reported failure.
int eject_page(Run& run, bool explicit_eject);

}  // namespace morvel
