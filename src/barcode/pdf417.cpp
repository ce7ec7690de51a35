#include "barcode/pdf417.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "barcode/pdf417_compaction.h"
#include "barcode/pdf417_ecc.h"
#include "barcode/pdf417_raster.h"
#include "core/messages.h"
#include "core/printer_out.h"
#include "values/identifiers.h"

namespace morvel {
namespace {

constexpr int kAutomaticRows = 999;
constexpr int kMinRows = 3;
constexpr int kMaxRows = 90;
constexpr int kMaxColumns = 32;  // 30 data columns and the two row indicators
constexpr int kMaxLevel = 8;
// A symbol holds at most 928 codewords besides its row indicators; beyond that its
// length descriptor would not be a codeword.
constexpr long long kMaxSymbolCodewords = 928;
constexpr int kPadCodeword = 900;

struct Fit {
    int rows;
    int padding;
};

// Chooses the row count and the padding for n codewords (length descriptor included)
// and k error-correction codewords, or reports why they do not fit.
std::optional<Fit> fit_symbol(Run& run, int n, int k, int rows, int columns) {
    if (n + k >= 930) {
        report_error(run, 0, "PDF417 Error: size of barcode too large");
        report_error(run, 0, "Number of codewords              = %d", n);
        report_error(run, 0, "Number of error correction codes = %d", k);
        report_error(run, 0, "Total exceeds 929");
        return std::nullopt;
    }
    if (columns > kMaxColumns) {
        report_error(run, 0, "PDF417 columns over %d not currently supported", kMaxColumns);
        return std::nullopt;
    }
    const int data_columns = columns - 2;
    if (rows == kAutomaticRows) {
        if (data_columns <= 0) {
            report_error(run, 0, "PDF417 Must have more than two columns");
            return std::nullopt;
        }
        rows = (n + k + data_columns - 1) / data_columns;
        if (rows > kMaxRows) {
            report_error(run, 0, "PDF417 data will not fit in less than 90 rows");
            report_error(run, 0, "must reduce input data or us more columns");
            return std::nullopt;
        }
    } else {
        const long long area = static_cast<long long>(rows) * data_columns;
        if (rows < 1 || data_columns < 1 || area < n + k) {
            report_error(run, 0,
                         "PDF417 Message length plus Error Code Length exceed rows * ( cols -2)");
            report_error(run, 0, "Message length = %d  Error Code Length = %d Total = %d", n, k,
                         n + k);
            report_error(run, 0, "Rows = %d Columns -2 = %d  Message area = %lld", rows,
                         data_columns, area);
            report_error(run, 0, "Use larger row or column size");
            return std::nullopt;
        }
        if (rows > kMaxRows) {
            report_error(run, 0, "PDF417 rows over %d not currently supported", kMaxRows);
            return std::nullopt;
        }
    }
    // Readers need at least three rows to find the row count, the columns and the level.
    rows = std::max(rows, kMinRows);
    if (static_cast<long long>(rows) * data_columns > kMaxSymbolCodewords) {
        report_error(run, 0, "PDF417 Error: %d rows of %d data columns exceed 928 codewords", rows,
                     data_columns);
        report_error(run, 0, "Use fewer rows, fewer columns or less data");
        return std::nullopt;
    }
    return Fit{rows, rows * data_columns - n - k};
}

}  // namespace

int encode_pdf417(Run& run, PclOut& out, std::string_view data, int x, int y, int rows, int columns,
                  int level, int resolution) {
    const std::vector<pdf417::Segment> segments = pdf417::segment(data);
    set_watched_integer(run, Internal::LastX, x);
    set_watched_integer(run, Internal::LastY, y);
    out.printf("\033*p%dx%dY", x, y);

    if (level > kMaxLevel) {
        // A symbol without error correction is unreadable, so the strongest level stands in.
        report_error(run, 0, "PDF417 Error correction levels over 8 not currently supported");
        level = kMaxLevel;
    }
    level = std::max(level, 0);
    const int k = 2 << level;

    pdf417::Symbol symbol;
    symbol.level = level;
    symbol.codewords.push_back(0);  // the length descriptor, known once padded
    pdf417::compact(segments, symbol.codewords);
    const int n = static_cast<int>(symbol.codewords.size());
    const std::optional<Fit> fit = fit_symbol(run, n, k, rows, columns);
    if (!fit) return -1;

    symbol.rows = fit->rows;
    symbol.data_columns = columns - 2;
    symbol.codewords.insert(symbol.codewords.end(), static_cast<std::size_t>(fit->padding),
                            kPadCodeword);
    symbol.codewords[0] = static_cast<int>(symbol.codewords.size());
    const std::vector<int> ec = pdf417::error_correction(symbol.codewords, level);
    symbol.codewords.insert(symbol.codewords.end(), ec.begin(), ec.end());
    pdf417::write_raster(out, symbol, resolution);
    return 0;
}

}  // namespace morvel
