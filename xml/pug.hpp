// pug: a small XML document tree with a forgiving in-place parser and an
// indenting serializer that escapes nothing. All text is UTF-16 (char16_t),
// every string zero-terminated. Nothing here throws: failures are empty
// handles or false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pug {

enum node_kind : std::int32_t {
    kind_empty = 0,     // no node: what an empty handle refers to
    kind_document = 1,  // root of every tree, its own parent
    kind_element = 2,
    kind_text = 3,         // value = character data
    kind_cdata = 4,        // value = section content
    kind_comment = 5,      // value = comment content
    kind_instruction = 6,  // processing instruction; pseudo-attributes are attributes
    kind_include = 7,      // INCLUDE conditional section, value = its content
    kind_doctype = 8,      // attributes: name and external ids; subset as value or children
    kind_entity_decl = 9,  // also any declaration with an unknown keyword
    kind_attlist_decl = 10,
    kind_element_decl = 11,
    kind_notation_decl = 12,
};

// Parse options (bits of a 32-bit set).
enum parse_option : std::uint32_t {
    opt_instructions = 0x0002,  // processing instructions become nodes
    opt_doctype = 0x0004,       // DOCTYPE and INCLUDE sections become nodes
    opt_comments = 0x0008,      // comments become nodes
    opt_cdata = 0x0010,         // CDATA sections become nodes
    opt_trim_text = 0x0040,
    opt_trim_attributes = 0x0080,
    opt_trim_cdata = 0x0100,  // CDATA and INCLUDE values
    opt_trim_declarations = 0x0200,
    opt_trim_subset = 0x0400,  // a DOCTYPE subset kept as one value
    opt_trim_comments = 0x0800,
    opt_collapse = 0x1000,      // every trim also folds inner white-space runs to one space
    opt_parse_subset = 0x2000,  // DOCTYPE subset declarations become children of the doctype
    opt_subset_only = 0x4000,   // the parse ends right after a DOCTYPE subset
    opt_all = 0xFFFF,
};

// Storage of one attribute. An `in_buffer` flag set means the string is not
// owned (it points into the parse buffer, or there is none) and is never freed
// with the record; cleared means the record owns a heap copy.
struct attribute_record {
    char16_t* name;
    bool name_in_buffer;
    char16_t* value;
    bool value_in_buffer;
};

// Storage of one node. The document record is its own parent.
struct node_record {
    node_record* parent;
    char16_t* name;
    bool name_in_buffer;
    node_kind kind;
    std::uint32_t attribute_count;
    std::int32_t attribute_capacity;
    attribute_record** attributes;
    std::uint32_t child_count;
    std::int32_t child_capacity;
    node_record** children;
    char16_t* value;
    bool value_in_buffer;
};

// Wide-text streams: the caller converts bytes <-> UTF-16.
class text_sink {
public:
    virtual ~text_sink();
    virtual void write(std::u16string_view text) = 0;
    virtual void flush() {}
};

class text_source {
public:
    virtual ~text_source();
    // Reads up to max characters into buf; returns how many; 0 means end of
    // stream (or a read error).
    virtual std::size_t read(char16_t* buf, std::size_t max) = 0;
    // How many characters are left to read, when the source knows; 0 when
    // it does not. Only a hint for sizing the buffer: reading still ends
    // where read() says.
    virtual std::size_t size_hint() const { return 0; }
};

// Collects everything written into one string.
class string_sink : public text_sink {
public:
    void write(std::u16string_view text) override { text_.append(text); }
    const std::u16string& text() const { return text_; }
    void clear() { text_.clear(); }

private:
    std::u16string text_;
};

// Delivers a string; the viewed text must outlive the source.
class string_source : public text_source {
public:
    explicit string_source(std::u16string_view text) : text_(text) {}
    std::size_t read(char16_t* buf, std::size_t max) override;
    std::size_t size_hint() const override { return text_.size(); }

private:
    std::u16string_view text_;
};

// Handle on one attribute record, or on none. Owns nothing.
class xml_attribute {
public:
    xml_attribute() = default;
    explicit xml_attribute(attribute_record* record) : record_(record) {}
    xml_attribute(const xml_attribute&) = default;
    xml_attribute& operator=(const xml_attribute&) = default;
    virtual ~xml_attribute() = default;

    bool empty() const { return record_ == nullptr; }
    // Owned copy of the value; empty when there is no attribute or no value.
    std::u16string value_text() const;
    // Raw value, or nullptr.
    const char16_t* value() const { return record_ ? record_->value : nullptr; }
    // Name, or nullptr.
    const char16_t* name() const { return record_ ? record_->name : nullptr; }
    attribute_record* record() const { return record_; }

private:
    attribute_record* record_ = nullptr;
};

// Handle on one node record. Never null: an empty handle behaves as a record of
// kind kind_empty without name, value, attributes or children whose parent is
// itself. Owns nothing; valid while its tree exists.
class xml_node {
public:
    xml_node() = default;
    explicit xml_node(node_record* record) : record_(record) {}
    xml_node(const xml_node&) = default;
    xml_node& operator=(const xml_node&) = default;
    virtual ~xml_node() = default;

    node_kind kind() const { return record_ ? record_->kind : kind_empty; }
    bool empty() const { return kind() == kind_empty; }
    const char16_t* name() const { return record_ ? record_->name : nullptr; }
    const char16_t* value() const { return record_ ? record_->value : nullptr; }
    xml_node parent() const;
    std::uint32_t attribute_count() const { return record_ ? record_->attribute_count : 0; }
    xml_attribute attribute(std::uint32_t i) const;
    std::uint32_t child_count() const { return record_ ? record_->child_count : 0; }
    xml_node child(std::uint32_t i) const;
    node_record* record() const { return record_; }
    bool operator==(const xml_node& other) const { return record_ == other.record_; }

    // Editing. add_child works on the document and on elements only; set_name
    // on elements and instructions; set_value on text, CDATA and comments.
    xml_node add_child(node_kind kind);
    bool set_name(const char16_t* text);
    bool set_value(const char16_t* text);
    xml_attribute add_attribute(const char16_t* name, const char16_t* text);
    xml_attribute add_attribute(const char16_t* name, std::int32_t number);   // decimal, signed
    xml_attribute add_attribute(const char16_t* name, std::uint32_t number);  // decimal, unsigned

    // Lookups. Names are patterns (see match_pattern). Searches run depth
    // first in document order, a node before its children, this node excluded;
    // none of them recurses, so any depth is fine.
    xml_attribute find_attribute(const char16_t* name) const;
    // find_attribute, or else a new attribute with an empty value.
    xml_attribute get_attribute(const char16_t* name);
    xml_node find_first_by_name(const char16_t* name) const;
    xml_node find_first_by_kind(node_kind kind) const;
    void collect_by_name(const char16_t* name, std::vector<xml_node>& list) const;
    void collect_children_by_name(const char16_t* name, std::vector<xml_node>& list) const;

    // Writes this node (or, for the document, each of its children) as
    // TAB-indented lines ended by LF. Nothing is escaped.
    void write_tree(text_sink& stream) const;

private:
    node_record* record_ = nullptr;
};

// Owns one document: the tree of records and the parse buffer its parsed
// names and values point into.
//
// Parsing is forgiving and in place; it never reports a syntax error and never
// reads past the zero that ends the buffer. Input that is not XML is read so:
// - A NUL character in the stream ends the text: the parse stops there exactly
//   as at the end of the stream, and what follows it is ignored.
// - A construct cut off by the end of the text (comment, CDATA, INCLUDE, quoted
//   value, text) keeps its partial content; an unclosed element stays open.
// - An attribute without "=" or with an unquoted value has no value; the
//   unquoted characters are read as the next attribute names.
// - An instruction without its closing "?>" ends with its tag.
// - An end tag inside a parsed DOCTYPE subset never leaves the doctype node.
class xml_parser {
public:
    xml_parser() = default;
    xml_parser(const xml_parser&) = delete;
    xml_parser& operator=(const xml_parser&) = delete;
    virtual ~xml_parser();

    // Releases the present tree and buffer and starts an empty document.
    void new_document();
    xml_node root() const { return xml_node(root_); }

    // Reads the whole stream and parses it with opt_all. False without a
    // stream or when the stream yields no character (then there is no tree).
    bool parse_stream(text_source* stream);
    // The same with another option set.
    bool parse_stream(text_source* stream, std::uint32_t options);

    // Reads the whole stream into a new buffer (released with this object).
    // True when at least one character was read.
    bool read_stream_text(text_source* stream);

    std::int32_t growth_increment() const { return growth_increment_; }
    void set_growth_increment(std::int32_t step) { growth_increment_ = step > 0 ? step : 1; }
    bool owns_tree() const { return owns_tree_; }
    void set_owns_tree(bool owns) { owns_tree_ = owns; }
    const char16_t* buffer() const { return buffer_; }
    std::size_t buffer_size() const { return buffer_size_; }
    // Where the last parse stopped, inside the buffer.
    const char16_t* end() const { return end_; }
    std::uint32_t options() const { return options_; }

private:
    void release();
    void release_buffer();

    node_record* root_ = nullptr;
    std::int32_t growth_increment_ = 4;
    bool owns_tree_ = true;
    char16_t* buffer_ = nullptr;
    char16_t* end_ = nullptr;
    std::uint32_t options_ = opt_all;
    std::size_t buffer_size_ = 0;
    std::size_t buffer_bytes_ = 0;  // the size of the buffer's block
};

// Indentation carried from level to level: depth copies of one character.
class indent_stack {
public:
    explicit indent_stack(char16_t indent = u'\t');
    indent_stack(const indent_stack&) = delete;
    indent_stack& operator=(const indent_stack&) = delete;
    virtual ~indent_stack();

    void push();  // one level deeper
    void pop();   // one level back; nothing at depth 0
    std::u16string_view text() const { return {text_ ? text_ : u"", static_cast<std::size_t>(depth_)}; }
    std::int32_t depth() const { return depth_; }

private:
    char16_t indent_;
    char16_t* text_ = nullptr;
    std::int32_t depth_ = 0;
    std::size_t capacity_ = 0;
};

// Whole-name match, case-sensitive: "*" any run, "?" any one character,
// "[set]" / "[!set]" with ranges "a-z"; everything else matches itself.
// An absent name never matches.
bool match_pattern(const char16_t* name, const char16_t* pattern);

// Stores text in a name or value slot: overwrites the old string in place when
// it is non-empty and at least as long, otherwise stores an owned copy and
// clears the flag. False when slot, flag or text is missing or memory fails.
bool assign_text(char16_t** slot, bool* in_buffer, const char16_t* text);

// Releases a whole tree (records, owned strings, arrays) without recursion.
void free_tree(node_record* document);

// Trims white space (codes 1-32) from both ends of a zero-terminated value in
// place; returns the new start.
char16_t* trim_text(char16_t* value);
// Trims and folds each inner white-space run to one space, in place.
char16_t* collapse_text(char16_t* value);

// Parses a zero-terminated buffer in place into document (whose parent must be
// itself). Returns where the parse stopped. The buffer must outlive the tree.
char16_t* parse_buffer(char16_t* buffer, node_record* document, std::int32_t growth, std::uint32_t options);

// Makes a document record (kind_document, its own parent, room for one child).
node_record* make_document();

}  // namespace pug
