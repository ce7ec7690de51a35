#pragma once
// What the input and extract programs keep between statements and calls (a member
// of Run).

namespace morvel {

struct ExtractProgram;

/// The running extract program and the document it belongs to.
struct ExtractState {
    ExtractProgram* current = nullptr;  ///< program of the latest extract call
    int page_length = 0;                ///< lines of the page that call cut (0 for XML, 1 by bytes)
    int base_line = 0;             ///< base of the statement list running: FIRST_LINE, LAST_LINE
    int next_field_line = 1;       ///< absolute line after the last FIELD, for a y of -10000
    bool inside_document = false;  ///< calls inside DOCUMENT pass no page on
    long pages_read = 0;           ///< pages read by extract calls so far in the run
    bool spool_ended = false;      ///< the latest extract call found the end of the spool
};

}  // namespace morvel
