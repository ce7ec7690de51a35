#pragma once
// The client data file of -a: the compiled definition flattened into numbered records
// of 32-bit little-endian words for an external editing tool. Morvel never reads it.

namespace morvel {

struct Run;

/// Writes the program tree and its identifiers to run.options.client_data_file.
/// 0, or -1 after a report (what was written stays on disk).
int write_client_data_file(Run& run);

}  // namespace morvel
