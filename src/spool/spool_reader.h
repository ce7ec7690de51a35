#pragma once
// The spool reader: reads the spool once, front to back, through a sliding window
// of fixed size, and cuts it into lines and pages on demand. It also decides
// whether the spool is XML, whether it is UTF-8, and which definition an
// "auto" run uses.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_handle.h"
#include "driver/settings.h"
#include "values/text.h"

namespace morvel {

struct Run;

/// Characters of text a spool line holds.
inline constexpr int kSpoolLineMax = 1023;
/// Width of a line buffer in columns (the last column is never text).
inline constexpr int kSpoolLineWidth = 1024;
/// Bytes of one cell of a UTF-8 page: one character, zero-padded.
inline constexpr int kSpoolCellBytes = 4;
/// Lines a page may be asked for; LINES_PER_PAGE stops at 300, auto forms may look further.
inline constexpr int kSpoolMaxPageLines = 900;
/// Size of the read window.
inline constexpr std::size_t kSpoolWindowSize = 1024000;
/// Reading position at which the window slides.
inline constexpr std::size_t kSpoolWindowSlideAt = 921600;

/// The current page: fixed-width line buffers from which fields are cut.
struct SpoolPage {
    int lines = 0;           ///< line buffers held; 0 when there is no page
    bool utf8 = false;       ///< buffers are 1024 cells of 4 bytes instead of 1024 bytes
    bool byte_page = false;  ///< one buffer of byte_count raw bytes (BYTES_PER_PAGE)
    std::size_t byte_count = 0;
    std::vector<char> buffer;  ///< the line buffers one after the other; reused across pages
    std::vector<int> length;   ///< characters of text in each line (UTF-8: where the text ends)
    /// Line pages: bytes at the start of each row that may differ from the padding (the
    /// rest of the row is padding), for the first `padded_rows` rows of a buffer laid out
    /// for `padded_utf8`. A new page rewrites only these, not whole rows.
    std::vector<std::size_t> used;
    std::size_t padded_rows = 0;
    bool padded_utf8 = false;
    long first_offset = -1;  ///< spool offset (from 0) of the page's first byte
    long last_offset = -1;   ///< spool offset of the last byte the page consumed
};

/// The read window over the spool stream.
struct SpoolWindow {
    std::vector<unsigned char> data;  ///< kSpoolWindowSize bytes once the first access filled it
    std::size_t count = 0;            ///< valid bytes in data
    std::size_t pos = 0;              ///< reading position in data
    long base = 0;                    ///< spool offset of data[0]
    bool filled = false;              ///< the first access has read
    bool eof = false;                 ///< the stream has nothing more
    long end = -1;                    ///< offset where a substitute character ended the data
    long pin = -1;                    ///< offset a look-ahead returns to; slides keep it inside
};

/// One line as read, before it is stored in a page.
struct SpoolLine {
    std::string text;                   ///< the characters' bytes, tabs expanded
    std::vector<unsigned char> widths;  ///< UTF-8 mode: bytes of each character
    std::string scratch;                ///< expansion space, reused
    std::vector<unsigned char> scratch_widths;
    int chars = 0;  ///< characters in text
};

/// Everything the reader keeps for a run (a member of Run).
struct SpoolReader {
    std::FILE* stream = nullptr;                   ///< the spool, or the console input for "-"
    std::unique_ptr<std::FILE, FileCloser> owned;  ///< stream when the reader opened a file
    std::string name;
    int utf8_mode = 0;         ///< 0 bytes, 1 UTF-8; set at open from -u, then by detect_utf8
    bool read_failed = false;  ///< a read error was reported once
    SpoolWindow window;
    SpoolPage page;
    SpoolLine line;
    Text variable;  ///< spool_line / spool_page text handed to the variable, reused
};

/// Opens the spool ("-" is the console input) unless it is open; false (errno kept) on failure.
bool open_spool(Run& run, std::string_view spool_name);
/// Whether the spool stream is open.
bool spool_is_open(const Run& run);
/// Closes the spool stream and releases the window and the page.
void close_spool(Run& run);
/// Spool offset (from 0) of the next byte the reader will consume.
long spool_offset(const Run& run);

/// Reads the next page of `lines` lines: lines, 0 at the end of the spool, -1 on failure.
int read_page(Run& run, int lines, int tab_width);
/// Reads the next `bytes` raw bytes as a one-line page: 0, or -1 at the end or on failure.
int read_byte_page(Run& run, long bytes);
/// Text of line y from column x, length characters (both from 1); NULL outside the page.
Text cut_text(const Run& run, int x, int y, int length);
/// As cut_text, without trailing blanks and tabs.
Text cut_trimmed_text(const Run& run, int x, int y, int length);
/// Appends cut_trimmed_text to out; false, appending nothing, where it is NULL.
bool append_trimmed_cut(const Run& run, int x, int y, int length, std::string& out);
/// 1 when no further line can be read, else 0; the reading position is kept.
int at_end_of_spool(Run& run);
/// LOOK_AHEAD of a field: its text y lines ahead of the reading position; NULL on bad values.
Text look_ahead_line(Run& run, std::string_view field_name, bool colon_field, int x, int y,
                     int length, bool expanded);
/// Copies up to length raw bytes; the count (fewer at the end), or -1.
long read_raw(Run& run, char* buffer, long length);

/// 1 when the spool is XML, 0 when not, -1 on failure; skips a byte-order mark.
int is_xml(Run& run, std::string_view spool_name);
/// Decides the reader's utf8_mode from the spool's first window (for a negative -u).
void detect_utf8(Run& run);
/// Whether the spool's first window is plainly UTF-8 (valid, with characters beyond
/// ASCII); reads nothing away and reports nothing.
bool spool_looks_utf8(Run& run);
/// The definition file of the first auto form that matches the spool's first lines.
std::optional<std::string> recognise_auto_form(Run& run, std::string_view spool_name,
                                               const std::vector<AutoForm>& forms);

}  // namespace morvel
