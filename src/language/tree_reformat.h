#pragma once
// Payload records of reformat statements. Coordinates written with the units C and R
// arrive converted to dots (or columns and lines) as literal values.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "language/font.h"
#include "language/tree_payloads.h"
#include "values/value.h"

namespace morvel {

/// FIELD, MESSAGE, DATE, PAGE and INCLUDE: text placed at x, y.
struct TextStatement {
    Value x;
    Value y;
    bool inverse = false;
    HpFont* hp_font = nullptr;         ///< the font slot: an HP font,
    EpsonFont* epson_font = nullptr;   ///< or an Epson font, or neither
    Value text;                        ///< FIELD: the field or variable to read line by line
    std::unique_ptr<Expression> expr;  ///< MESSAGE, DATE, PAGE, INCLUDE: the text, format or file
    std::optional<Value> line_step;    ///< distance between the lines of a multi-line text
    std::optional<FontOverride> font_override;  ///< options, only after a line step
};

/// WATERMARK = x, y, [font], text, shading, angle {, option}.
struct WatermarkStatement {
    Value x;
    Value y;
    HpFont* hp_font = nullptr;
    EpsonFont* epson_font = nullptr;
    std::unique_ptr<Expression> text;
    Value shading;
    Value angle;
    std::optional<FontOverride> font_override;
};

/// BOX, LINE (stored as BOX with shading 100 and its colour as the fill colour) and RBOX.
struct BoxStatement {
    Value x1, y1, x2, y2;
    Value thickness;
    Value shading;
    int border_colour = 0;
    int fill_colour = 0;
    /// RBOX corner radii: top left, top right, bottom left, bottom right.
    std::array<int, 4> radii{35, 35, 35, 35};
};

/// An image printed as raster graphics: a FORM statement (macro number -1) or a
/// macro form of SETTINGS (its macro number: 1-99 as written, 110 up when automatic).
struct FormDefinition {
    Value x;
    Value y;
    Value resolution;
    Value name;
    Value flags;
    int macro_number = -1;
    int orientation = 0;  ///< the program's orientation when the form was compiled
};

/// FORM statement.
struct FormStatement {
    FormDefinition form;
};

/// Barcode symbologies by type word.
enum class BarcodeType : int {
    Bar128A = 0,
    Bar128B = 1,
    Bar128C = 2,
    Code39 = 3,
    Ean8 = 4,
    Ean13 = 5,
    UpcE = 6,
    I25 = 7,
    Pdf417 = 8,
    Aus4State = 9,
};

/// BARCODE = type, x, y, height, [thickness], [ratio], [checksum_pos], [restrict],
/// [trim], data.
struct BarcodeStatement {
    BarcodeType type = BarcodeType::Bar128A;
    Value x;
    Value y;
    Value height;
    std::optional<Value> thickness;
    std::optional<Value> ratio;
    std::optional<Value> checksum_pos;
    std::optional<Value> restrict_value;  ///< "restrict": evaluated, no effect
    std::optional<Value> trim;
    std::unique_ptr<Expression> data;
};

/// One XML_HAS_ATTRIBUTE name, value pair of XML_TAG or XML_BLOCK.
struct XmlAttribute {
    std::string name;
    std::unique_ptr<Expression> value;
};

/// X_SHIFT, Y_SHIFT and XML_BLOCK: an expression (the shift, or the element name),
/// optional attributes (used by XML_BLOCK) and a body.
struct BlockStatement {
    std::unique_ptr<Expression> expr;
    std::vector<XmlAttribute> attributes;
    StatementList body;
};

/// XML_TAG name, value [attributes].
struct XmlTagStatement {
    std::unique_ptr<Expression> name;
    std::unique_ptr<Expression> value;
    std::vector<XmlAttribute> attributes;
};

/// ARCH_FIELD name, value.
struct ArchFieldStatement {
    std::unique_ptr<Expression> name;
    std::unique_ptr<Expression> value;
};

}  // namespace morvel
