// XML spools: XML_DOCUMENTS hands the spool to Expat as a stream of events. Elements
// are held as a tree while they are open; when an element closes whose path matches a
// document entry, the entry's extract program runs with the tree in reach of the XML
// functions, and then the element's subtree is released.
#include <expat.h>

#include <new>
#include <string>
#include <vector>

#include "core/messages.h"
#include "language/programs.h"
#include "run.h"
#include "spool/input_program.h"
#include "spool/xml_tree.h"
#include "values/value.h"

namespace morvel {

namespace {

// Spool bytes handed to the parser at a time; a shorter block is the last one.
constexpr long kXmlBlockSize = 512;

struct XmlParse {
    Run& run;
    const XmlDocumentsStatement& documents;
    XML_Parser parser = nullptr;
    bool failed = false;  ///< a document failed; the parse was stopped
    /// Components of each entry's path when it is a literal, else 0: most end tags are
    /// at another depth than an entry, and this tells without reading the path.
    std::vector<long> literal_components{};
    char counted_with = '.';  ///< the delimiter they were counted with
};

// A handler must not let an exception run through the C parser: an allocation that
// fails stops the parse and fails the run instead.
void out_of_memory(XmlParse& p) {
    p.run.MEMORY_ERROR = 1;
    p.failed = true;
    XML_StopParser(p.parser, XML_FALSE);
}

void XMLCALL on_start(void* data, const XML_Char* name, const XML_Char** atts) {
    auto& p = *static_cast<XmlParse*>(data);
    if (p.failed) return;
    try {
        XmlState& x = p.run.xml;
        std::unique_ptr<XmlNode> node = x.pool.take();
        node->name = name;
        for (const XML_Char** a = atts; a && a[0]; a += 2)
            node->attributes.push_back({a[0], a[1] ? a[1] : ""});
        XmlNode* raw = node.get();
        if (x.current) {
            node->parent = x.current;
            x.current->occurrence = 0;
            x.current->children.push_back(std::move(node));
        } else {
            x.root = std::move(node);
        }
        x.current = raw;
        ++x.depth;
    } catch (const std::bad_alloc&) {
        out_of_memory(p);
    }
}

void XMLCALL on_text(void* data, const XML_Char* s, int len) {
    auto& p = *static_cast<XmlParse*>(data);
    if (p.failed || !p.run.xml.current || len <= 0) return;
    try {
        p.run.xml.current->text.append(s, static_cast<std::size_t>(len));
    } catch (const std::bad_alloc&) {
        out_of_memory(p);
    }
}

// The first entry whose path matches the closing element, or none. A literal path is
// read where it stands; a variable's is read as every operand is.
const XmlDocumentEntry* matching_entry(XmlParse& p) {
    const XmlState& x = p.run.xml;
    for (std::size_t i = 0; i < p.documents.entries.size(); ++i) {
        const XmlDocumentEntry& entry = p.documents.entries[i];
        if (entry.path.kind == ValueKind::Literal) {
            const std::string& literal = entry.path.literal;
            if (x.delimiter != p.counted_with) {
                if (xml_entry_matches(literal, *x.current, x.depth, x.delimiter)) return &entry;
            } else if (p.literal_components[i] == x.depth &&
                       xml_entry_matches_counted(literal, *x.current, x.depth, x.delimiter)) {
                return &entry;
            }
            continue;
        }
        Text path = operand_text(p.run, entry.path);
        if (path && xml_entry_matches(*path, *x.current, x.depth, x.delimiter)) return &entry;
    }
    return nullptr;
}

void XMLCALL on_end(void* data, const XML_Char*) {
    auto& p = *static_cast<XmlParse*>(data);
    XmlState& x = p.run.xml;
    if (p.failed || !x.current) return;
    try {
        const XmlDocumentEntry* entry = matching_entry(p);
        if (entry && entry->program && call_extract_program(p.run, entry->program) == -1) {
            p.failed = true;
            XML_StopParser(p.parser, XML_FALSE);
        }
        XmlNode* closed = x.current;
        x.current = closed->parent;
        --x.depth;
        // A processed document is done with; dropping it keeps a spool of many
        // documents from being held whole. The closing element is its parent's last child.
        if (entry && !x.current) {
            x.pool.give(std::move(x.root));
        } else if (entry && !x.current->children.empty() &&
                   x.current->children.back().get() == closed) {
            x.pool.give(std::move(x.current->children.back()));
            x.current->children.pop_back();
            // The indentation between processed documents is all their parent would
            // keep of them: dropping it too keeps memory flat over millions of documents.
            std::string& between = x.current->text;
            if (between.find_first_not_of(" \t\r\n") == std::string::npos) between.clear();
        }
    } catch (const std::bad_alloc&) {
        out_of_memory(p);
    }
}

void release_tree(XmlState& x) {
    x.root.reset();
    x.pool.clear();
    x.current = nullptr;
    x.depth = 0;
}

}  // namespace

int parse_xml_spool(Run& run, const XmlDocumentsStatement& documents) {
    if (!spool_is_open(run) || documents.entries.empty()) return 3;
    XmlParse p{run, documents};
    p.counted_with = run.xml.delimiter;
    try {
        for (const XmlDocumentEntry& entry : documents.entries) {
            long components = 0;
            if (entry.path.kind == ValueKind::Literal)
                components = xml_path_components(entry.path.literal, run.xml.delimiter);
            p.literal_components.push_back(components);
        }
    } catch (const std::bad_alloc&) {
        run.MEMORY_ERROR = 1;
        return 1;
    }
    p.parser = XML_ParserCreate(nullptr);
    if (!p.parser) {
        report_error(run, 2, "Unable to create XML parser");
        return 1;
    }
    XML_SetUserData(p.parser, &p);
    XML_SetElementHandler(p.parser, on_start, on_end);
    XML_SetCharacterDataHandler(p.parser, on_text);
    release_tree(run.xml);
    // Whatever the start-up test said, the spool is now read as XML: an extract program
    // run for a document must not cut pages from the bytes the parser is reading.
    bool was_xml = run.options.xml_spool;
    run.options.xml_spool = true;

    int result = 0;
    std::vector<char> block(kXmlBlockSize);
    for (;;) {
        long n = read_raw(run, block.data(), kXmlBlockSize);
        if (n < 0) {
            result = 1;
            break;
        }
        bool last = n < kXmlBlockSize;
        if (XML_Parse(p.parser, block.data(), static_cast<int>(n), last) == XML_STATUS_ERROR) {
            if (p.failed) {
                result = 2;
            } else {
                report_error(run, 0, "XML error %s at line %d\n",
                             XML_ErrorString(XML_GetErrorCode(p.parser)),
                             static_cast<int>(XML_GetCurrentLineNumber(p.parser)));
                result = 1;
            }
            break;
        }
        if (last) break;
    }
    XML_ParserFree(p.parser);
    run.options.xml_spool = was_xml;
    // What no entry claimed is of no further use once the spool is read.
    release_tree(run.xml);
    return result;
}

}  // namespace morvel
