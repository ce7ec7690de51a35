#pragma once
// The record of an extract field: where its text is cut from the page, and the
// text itself, which every later program reads as a value.
#include <string>

#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

/// How a field finds its text.
enum class FieldKind {
    Position,  ///< FIELD = x, y, length, name: cut at a column and line
    Colon,     ///< COLON_FIELD = label, name: the rest of the line after "label:"
    Xml,       ///< XML_FIELD = path, name: a value of the XML spool
};

/// Where a field stands between extractions.
enum class FieldState {
    Initialise,  ///< the next extraction starts a new text
    Collecting,  ///< the next extraction appends a line
    Cleared,     ///< emptied by RESET or the end of a document
};

/// The object of a field identifier (kind 9). The FIELD, COLON_FIELD or XML_FIELD
/// statement that declares the field fills in its position and settings.
struct FieldRecord : IdObject {
    std::string name;
    FieldKind kind = FieldKind::Position;
    Value x;                  ///< column (Position)
    Value y;                  ///< line, relative to the record's base line (Position)
    Value length;             ///< characters to cut (Position)
    Value label;              ///< text before the colon (Colon)
    Value xml_path;           ///< path of the value (Xml)
    bool expanded = false;    ///< keep trailing blanks; always set for Xml
    bool persistent = false;  ///< keep collecting across pages until cleared
    LineCell cell;            ///< current and previous text, line-wise reading
    FieldState state = FieldState::Initialise;
};

}  // namespace morvel
