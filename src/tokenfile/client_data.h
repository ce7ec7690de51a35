#pragma once
// The client data file of -a: the compiled definition flattened into numbered records
// of 32-bit little-endian words for an external editing tool. Morvel never reads it.
//
// Choices the editing tool has to know beyond the tags and the framing:
// - An operand record's kind word is its value's kind (0, 5, 9), or 1 for a nested
//   expression; exactly one of its value and expression references is set.
// - The variables table holds every declared variable, field and font, then the
//   internal variables. Its type word is the identifier kind (5, 9, 11, 12), followed by
//   four value references and two words:
//     variable: current, previous and initial value, 0; line index, exhausted flag.
//     field: column, line, length, label or XML path; field kind (0 position, 1 colon,
//            2 XML), flags (1 keep trailing blanks, 2 persistent).
//     HP font: proportional, typeface, size, weight; underline flag, colour.
//     Epson font: all zero.
// - Extract field definitions (tags 9, 42, 54) carry the field's number only.
// - A text statement's font word is the HP or Epson font's number.
// - The character table is the colour palette: red, green and blue of each entry.
// - A quick reference record is an internal variable's number and its quick number.

namespace morvel {

struct Run;

/// Writes the program tree and its identifiers to run.options.client_data_file.
/// 0, or -1 after a report (what was written stays on disk).
int write_client_data_file(Run& run);

}  // namespace morvel
