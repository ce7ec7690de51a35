// The print model's logical operations: how a mark's source and texture (the current
// pattern) combine with what is already on the page. On a page of black and white each
// operation comes down, for a source dot of ink or of paper, to marking it black or
// white, leaving the page as it is, or inverting it.
#include "core/strfmt.h"
#include "render/interpreter.h"

namespace morvel::render {

RopAction rop_action(int rop, bool source_ink, bool texture_ink) {
    // A logical operation's bit (texture * 4 + source * 2 + destination) is its result
    // for those inputs, 1 being white.
    const int base = (texture_ink ? 0 : 4) + (source_ink ? 0 : 2);
    const bool on_black = (rop >> base) & 1, on_white = (rop >> (base + 1)) & 1;
    if (on_black == on_white) return on_black ? RopAction::White : RopAction::Ink;
    return on_white ? RopAction::Keep : RopAction::Invert;
}

RopAction Interpreter::rop_for(bool source_ink) {
    const RopAction a = rop_action(rop_, source_ink, pattern_ != 1);
    if (a == RopAction::Invert)
        problems_.report(offset_now_, strfmt("rop %d", rop_),
                         strfmt("logical operation %d inverts the page beneath: drawn as an "
                                "exclusive or",
                                rop_));
    return a;
}

bool Interpreter::rop_source(cairo_t* cr) {
    switch (rop_for(true)) {
        case RopAction::Ink:
            return false;
        case RopAction::White:
            cairo_set_source_rgb(cr, 1, 1, 1);
            return true;
        case RopAction::Keep:
            cairo_set_source_rgba(cr, 0, 0, 0, 0);
            return true;
        case RopAction::Invert:
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
            return true;
    }
    return false;
}

std::uint32_t Interpreter::rop_pixel(bool source_ink, std::uint32_t ink) {
    // Raster draws over the page as an image: a dot left as it is stays transparent.
    const bool transparent = source_ink ? false : source_transparent_;
    if (transparent) return 0;
    switch (rop_for(source_ink)) {
        case RopAction::Ink:
            return ink;
        case RopAction::White:
            return 0xFFFFFFFFu;
        case RopAction::Keep:
        case RopAction::Invert:
            return 0;
    }
    return 0;
}

}  // namespace morvel::render
