// The spool stream and its read window. The window has a fixed size and slides
// forward as the reading position advances, so a spool of any size is read in
// the same amount of memory.
#include <algorithm>
#include <cstring>
#include <new>

#include "core/messages.h"
#include "run.h"
#include "spool/spool_internal.h"

namespace morvel {
namespace spool_detail {

namespace {

// Reads behind the valid bytes until the window is full or the stream ends. A read
// error ends the data like the end of the stream, but is reported: a spool cut
// short must not pass for a complete one.
void read_more(Run& run) {
    SpoolReader& r = run.spool;
    SpoolWindow& w = r.window;
    while (!w.eof && w.count < w.data.size()) {
        std::size_t got = std::fread(w.data.data() + w.count, 1, w.data.size() - w.count, r.stream);
        w.count += got;
        if (w.count < w.data.size()) {
            if (std::ferror(r.stream) && !r.read_failed) {
                r.read_failed = true;
                report_error(run, 2, "Error reading spool file %s", r.name.c_str());
            }
            w.eof = true;
        }
    }
}

bool first_fill(Run& run) {
    SpoolWindow& w = run.spool.window;
    try {
        w.data.resize(kSpoolWindowSize);
    } catch (const std::bad_alloc&) {
        report_error(run, 0, "Unable to allocate memory for spool window");
        w.eof = true;
        w.filled = true;
        return false;
    }
    w.filled = true;
    read_more(run);
    return true;
}

// Drops the bytes before the reading position from the window and refills behind, so
// each byte is moved at most once. A pinned position is never dropped, so a look-ahead
// can always go back; false when nothing could go.
bool slide(Run& run) {
    SpoolWindow& w = run.spool.window;
    std::size_t drop = w.pos;
    if (w.pin >= 0) drop = std::min(drop, static_cast<std::size_t>(w.pin - w.base));
    if (drop == 0) return false;
    std::memmove(w.data.data(), w.data.data() + drop, w.count - drop);
    w.count -= drop;
    w.pos -= drop;
    w.base += static_cast<long>(drop);
    read_more(run);
    return true;
}

}  // namespace

std::size_t window_limit(const SpoolWindow& w) {
    std::size_t limit = w.count;
    if (w.end >= 0) {
        long in_window = w.end - w.base;
        if (in_window < 0) return 0;
        limit = std::min(limit, static_cast<std::size_t>(in_window));
    }
    return limit;
}

bool require_open(Run& run) {
    if (run.spool.stream) return true;
    report_error(run, 0, "Trying to get information from the spool file before its opened");
    return false;
}

std::size_t window_available(Run& run) {
    SpoolWindow& w = run.spool.window;
    if (!w.filled && !first_fill(run)) return 0;
    while (!w.eof && w.pos >= kSpoolWindowSlideAt) {
        if (!slide(run)) break;
    }
    std::size_t limit = window_limit(w);
    // Hand out bytes only up to the slide point, so that the window slides exactly
    // when the position reaches it.
    if (!w.eof && w.pos < kSpoolWindowSlideAt) limit = std::min(limit, kSpoolWindowSlideAt);
    return limit > w.pos ? limit - w.pos : 0;
}

int window_peek(const SpoolWindow& w, std::size_t k) {
    std::size_t at = w.pos + k;
    if (at >= window_limit(w)) return -1;
    return w.data[at];
}

bool window_at_end(Run& run) {
    SpoolWindow& w = run.spool.window;
    if (window_available(run) > 0) return false;
    if (w.end >= 0 && w.base + static_cast<long>(w.pos) >= w.end) return true;
    return w.eof && w.pos >= w.count;
}

void window_return(SpoolWindow& w) {
    if (w.pin >= 0) w.pos = static_cast<std::size_t>(w.pin - w.base);
    w.pin = -1;
}

}  // namespace spool_detail

using namespace spool_detail;

bool open_spool(Run& run, std::string_view spool_name) {
    SpoolReader& r = run.spool;
    if (r.stream) return true;
    r.name.assign(spool_name);
    if (spool_name == "-") {
        r.stream = run.in;
    } else {
        r.owned.reset(std::fopen(r.name.c_str(), "rb"));
        r.stream = r.owned.get();
    }
    if (!r.stream) return false;
    r.window = SpoolWindow{};
    r.read_failed = false;
    r.utf8_mode = run.options.utf8_mode > 0 ? 1 : 0;
    return true;
}

bool spool_is_open(const Run& run) {
    return run.spool.stream != nullptr;
}

void close_spool(Run& run) {
    SpoolReader& r = run.spool;
    r.owned.reset();
    r.stream = nullptr;
    r.window = SpoolWindow{};
    r.page = SpoolPage{};
}

long spool_offset(const Run& run) {
    const SpoolWindow& w = run.spool.window;
    return w.base + static_cast<long>(w.pos);
}

long read_raw(Run& run, char* buffer, long length) {
    if (!buffer || length <= 0) return -1;
    if (!require_open(run)) return -1;
    SpoolWindow& w = run.spool.window;
    long done = 0;
    while (done < length) {
        std::size_t n = window_available(run);
        if (n == 0) break;
        n = std::min(n, static_cast<std::size_t>(length - done));
        std::memcpy(buffer + done, w.data.data() + w.pos, n);
        window_consume(w, n);
        done += static_cast<long>(n);
    }
    return done;
}

}  // namespace morvel
