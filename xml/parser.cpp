// The forgiving in-place parser: one pass over one zero-terminated buffer,
// names and values cut out by writing zeros, never reading past the final zero.
#include "xml/brackets.hpp"
#include "xml/large_blocks.hpp"
#include "xml/pug.hpp"
#include "xml/records.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <locale.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#define QUARN_PUG_SSE2 1
#else
#define QUARN_PUG_SSE2 0
#endif

#if defined(__GNUC__)
#define QUARN_PUG_COLD __attribute__((noinline))
#define QUARN_PUG_HOT inline __attribute__((always_inline))
#else
#define QUARN_PUG_COLD
#define QUARN_PUG_HOT inline
#endif

namespace pug {

namespace {

// Letters and digits by the platform's wide classification, and "_:-.".
// ASCII goes through a table; only characters above it ask the platform, in a
// UTF-8 locale so that letters beyond ASCII count whatever the program's locale.
// (On Windows the wide classification does not depend on the locale.)
struct name_table {
    bool ascii[128] = {};
#ifndef _WIN32
    locale_t wide = nullptr;
#endif

    name_table()
    {
        for (int c = 0; c < 128; ++c)
            ascii[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                       c == ':' || c == '-' || c == '.';
#ifndef _WIN32
        wide = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
#endif
    }
    ~name_table()
    {
#ifndef _WIN32
        if (wide)
            freelocale(wide);
#endif
    }
    name_table(const name_table&) = delete;
    name_table& operator=(const name_table&) = delete;
};

const name_table& names()
{
    static const name_table table;
    return table;
}

bool is_space(char16_t c)
{
    return c >= 1 && c <= 32;
}

// Units after the final zero of a buffer read from a stream that scans may
// read (never use).
constexpr std::size_t kPadding = 8;

class scanner {
public:
    scanner(node_record* document, std::int32_t growth, std::uint32_t options, bool padded)
        : owner_(document),
          top_(document),
          current_(document),
          growth_(growth > 0 ? growth : 1),
          options_(options),
          table_(names()),
          padded_(padded)
    {
    }

    char16_t* run(char16_t* text);

private:
    enum class state { markup, content, dispatch, end, stop };

    struct subset_frame {
        node_record* outer_top;
        node_record* doctype;
        char16_t* resume;  // after the subset's "]"
    };

    bool name_char(char16_t c) const
    {
        if (c < 128)
            return table_.ascii[c];
#ifndef _WIN32
        if (table_.wide)
            return iswalnum_l(static_cast<wint_t>(c), table_.wide) != 0;
#endif
        return std::iswalnum(static_cast<wint_t>(c)) != 0;
    }
    bool has(std::uint32_t option) const
    {
        return (options_ & option) != 0;
    }

    char16_t* skip_space(char16_t* p) const
    {
        while (is_space(*p))
            ++p;
        return p;
    }
    char16_t* skip_name(char16_t* p) const
    {
        while (name_char(*p))
            ++p;
        return p;
    }
    // Position of the first c at or after p, or of the first zero.
    char16_t* find(char16_t* p, char16_t c) const
    {
#if QUARN_PUG_SSE2
        if (padded_)
            return find_wide(p, c, nullptr);
#endif
        while (*p && *p != c)
            ++p;
        return p;
    }
    // find, and whether white space (1-32) comes before the position found.
    char16_t* find(char16_t* p, char16_t c, bool& blank) const
    {
#if QUARN_PUG_SSE2
        if (padded_)
            return find_wide(p, c, &blank);
#endif
        bool seen = false;
        for (; *p && *p != c; ++p)
            seen |= is_space(*p);
        blank = seen;
        return p;
    }
#if QUARN_PUG_SSE2
    // Eight units at a time. The buffer holds at least seven more units
    // after its final zero, so a load never passes its end.
    static char16_t* find_wide(char16_t* p, char16_t c, bool* blank)
    {
        const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
        const __m128i zero = _mm_setzero_si128();
        const __m128i above_space = _mm_set1_epi16(33);
        bool seen = false;
        for (;; p += 8) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const unsigned stop = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(units, wanted), _mm_cmpeq_epi16(units, zero))));
            if (blank) {
                // Units at or above 0x8000 compare as negative and count as
                // white space here; a false "blank" only costs a trim that
                // finds nothing to do.
                unsigned spaces = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi16(units, above_space)));
                if (stop != 0)
                    spaces &= (1u << __builtin_ctz(stop)) - 1;
                seen |= spaces != 0;
            }
            if (stop != 0) {
                if (blank)
                    *blank = seen;
                return p + __builtin_ctz(stop) / 2;
            }
        }
    }
#endif
    // Position of the first occurrence of a three-character mark, or of the final zero.
    static char16_t* find3(char16_t* p, char16_t a, char16_t b, char16_t c)
    {
        for (; *p; ++p)
            if (p[0] == a && p[1] == b && p[2] == c)
                return p;
        return p;
    }
    // Compares keyword with the text at p; returns the first position that
    // differs, or nullptr when the whole keyword matched.
    static char16_t* mismatch(char16_t* p, const char16_t* keyword)
    {
        for (; *keyword; ++p, ++keyword)
            if (*p != *keyword)
                return p;
        return nullptr;
    }

    char16_t* trimmed(char16_t* value, std::uint32_t option) const
    {
        if (!has(option))
            return value;
        return has(opt_collapse) ? collapse_text(value) : trim_text(value);
    }

    // Every node passes through here: inline, with its room known where it is called.
    QUARN_PUG_HOT node_record* add_node(node_kind kind, std::int32_t attribute_room, std::int32_t child_room);
    void close()
    {
        current_ = current_ == top_ ? current_ : current_->parent;
    }
    // An instruction holds no children: one whose "?>" is missing still ends
    // with its tag.
    void leave_instruction()
    {
        if (current_->kind == kind_instruction)
            close();
    }

    state content();
    state text(char16_t* start, char16_t* p);
    state dispatch();
    // The rare constructs stay out of line, so that dispatch, which every
    // tag passes through, stays small.
    QUARN_PUG_COLD state instruction();
    QUARN_PUG_COLD state comment();
    QUARN_PUG_COLD state section(node_kind kind, std::uint32_t enable, std::size_t keyword_length);
    QUARN_PUG_COLD state doctype();
    void add_doctype_item(node_record* record, char16_t* name, char16_t* value);
    char16_t doctype_items(node_record* record, char16_t*& p);
    state internal_subset(node_record* record, char16_t* open);
    QUARN_PUG_COLD state declaration();
    state end_tag();
    state start_tag(bool instruction);
    state attributes(char16_t* p);
    state after_subset(node_record* doctype, char16_t* resume);

    char16_t* s_ = nullptr;
    node_record* owner_;  // the document whose pool the new records come from
    node_record* top_;
    node_record* current_;
    std::int32_t growth_;
    std::uint32_t options_;
    const name_table& table_;
    const bool padded_;  // the text is followed by at least kPadding readable units
    std::vector<subset_frame> subsets_;
    detail::bracket_matcher brackets_;
};

QUARN_PUG_HOT node_record* scanner::add_node(node_kind kind, std::int32_t attribute_room, std::int32_t child_room)
{
    node_record* node = detail::new_parsed_node(owner_, kind, attribute_room, child_room);
    if (!node)
        return nullptr;
    if (!detail::append_parsed_child(current_, node, owner_, growth_)) {
        detail::release_node(node);
        return nullptr;
    }
    return node;
}

char16_t* scanner::run(char16_t* text)
{
    s_ = text;
    state next = state::markup;
    for (;;) {
        switch (next) {
        case state::markup:
            s_ = find(s_, u'<');
            if (*s_) {
                ++s_;
                next = dispatch();
            } else {
                next = state::end;
            }
            break;
        case state::content:
            next = content();
            break;
        case state::dispatch:
            next = dispatch();
            break;
        case state::end:
            // The end of an internal subset resumes the DOCTYPE around it.
            if (*s_ == 0 && !subsets_.empty()) {
                const subset_frame frame = subsets_.back();
                subsets_.pop_back();
                top_ = frame.outer_top;
                current_ = frame.doctype;
                next = after_subset(frame.doctype, frame.resume);
                break;
            }
            return s_;
        case state::stop:
            return s_;
        }
    }
}

// Text between markup: s_ is right after the markup that preceded it.
scanner::state scanner::content()
{
    char16_t* start = s_;
    char16_t* p = skip_space(s_);
    if (!*p) {
        s_ = p;
        return state::end;
    }
    if (*p == u'<') {
        s_ = p + 1;
        return dispatch();
    }
    return text(start, p);
}

scanner::state scanner::text(char16_t* start, char16_t* p)
{
    p = find(p, u'<');
    const bool at_end = *p == 0;
    *p = 0;
    if (node_record* node = add_node(kind_text, 0, 0))
        node->value = trimmed(start, opt_trim_text);
    if (at_end) {
        s_ = p;
        return state::end;
    }
    ++p;
    if (*p == u'/') {
        p = find(p, u'>');
        close();
        if (!*p) {
            s_ = p;
            return state::end;
        }
        s_ = p + 1;
        return state::content;
    }
    s_ = p;
    return state::dispatch;
}

// s_ is right after a "<".
scanner::state scanner::dispatch()
{
    char16_t* p = s_;
    const char16_t c = *p;
    if (c == u'?')
        return instruction();
    if (c == u'!') {
        const char16_t d = p[1];
        if (d == u'-')
            return comment();
        if (d == u'[') {
            if (p[2] == u'I')
                return section(kind_include, opt_doctype, 10);
            return section(kind_cdata, opt_cdata, 8);
        }
        if (d == u'D')
            return doctype();
        if (name_char(d))
            return declaration();
        s_ = p + 1;
        return state::markup;
    }
    if (c == u'/')
        return end_tag();
    if (name_char(c))
        return start_tag(false);
    return state::markup;
}

scanner::state scanner::instruction()
{
    char16_t* name = s_ + 1;
    if (!has(opt_instructions) || !name_char(*name)) {
        s_ = find(s_, u'>');
        return state::markup;
    }
    // The first "?" after the name ends the instruction; as "/" it closes it
    // like an empty element. One whose "?>" is missing ends with its tag, so
    // the search stops at the next "<": a "?" further on belongs to the text
    // after the instruction and stays as it is.
    char16_t* mark = skip_name(name);
    while (*mark && *mark != u'?' && *mark != u'<')
        ++mark;
    if (*mark == u'?')
        *mark = u'/';
    node_record* node = add_node(kind_instruction, 1, 0);
    if (!node) {
        s_ = mark;
        return state::markup;
    }
    current_ = node;
    s_ = name;
    return start_tag(true);
}

scanner::state scanner::comment()
{
    char16_t* p = s_ + 2;  // after "!-"
    if (*p != u'-' || !has(opt_comments)) {
        p = find3(p, u'-', u'-', u'>');
        s_ = *p ? p + 3 : p;
        return *p ? state::content : state::end;
    }
    char16_t* value = p + 1;
    p = find3(value, u'-', u'-', u'>');
    const bool closed = *p != 0;
    *p = 0;
    if (node_record* node = add_node(kind_comment, 0, 0))
        node->value = trimmed(value, opt_trim_comments);
    s_ = closed ? p + 3 : p;
    return closed ? state::content : state::end;
}

// "<![CDATA[" and "<![INCLUDE[": content up to the next "]]>", taken unchanged.
scanner::state scanner::section(node_kind kind, std::uint32_t enable, std::size_t keyword_length)
{
    const char16_t* keyword = kind == kind_include ? u"![INCLUDE[" : u"![CDATA[";
    if (char16_t* failed = mismatch(s_, keyword)) {
        s_ = failed;
        return state::markup;
    }
    char16_t* value = s_ + keyword_length;
    char16_t* p = find3(value, u']', u']', u'>');
    const bool closed = *p != 0;
    if (has(enable)) {
        *p = 0;
        if (node_record* node = add_node(kind, 0, 0))
            node->value = trimmed(value, opt_trim_cdata);
    }
    s_ = closed ? p + 3 : p;
    return closed ? state::content : state::end;
}

scanner::state scanner::end_tag()
{
    char16_t* p = find(s_, u'>');
    close();
    s_ = *p ? p + 1 : p;
    return state::markup;
}

// s_ is on the first character of a start tag's (or instruction's) name.
scanner::state scanner::start_tag(bool instruction)
{
    if (!instruction) {
        node_record* node = add_node(kind_element, 1, 1);
        if (!node) {
            s_ = find(s_, u'\0');
            return state::end;
        }
        current_ = node;
    }
    char16_t* p = skip_name(s_);
    current_->name = s_;
    const char16_t after = *p;
    *p = 0;
    if (after == 0) {
        s_ = p;
        return state::end;
    }
    if (after == u'/') {
        p = find(p + 1, u'>');
        close();
        s_ = *p ? p + 1 : p;
        return state::markup;
    }
    if (is_space(after))
        return attributes(skip_space(p + 1));
    leave_instruction();
    s_ = p + 1;
    return state::content;
}

// Attributes of the current element or instruction, from p. A character that
// was overwritten by a name's terminating zero is carried in c.
scanner::state scanner::attributes(char16_t* p)
{
    char16_t c = *p;
    while (name_char(c)) {
        attribute_record* attribute = detail::append_parsed_attribute(current_, owner_, growth_);
        if (!attribute) {
            s_ = find(p, u'\0');
            return state::end;
        }
        attribute->name = p;
        p = skip_name(p);
        c = *p;
        *p = 0;
        if (is_space(c)) {
            p = skip_space(p + 1);
            c = *p;
        }
        if (c != u'=')
            continue;  // no value: c is the next character, already at p or overwritten
        p = skip_space(p + 1);
        c = *p;
        if (c != u'"' && c != u'\'')
            continue;  // unquoted values are not read; c starts the next item
        char16_t* value = p + 1;
        bool blank = false;
        p = find(value, c, blank);
        const bool closed = *p != 0;
        *p = 0;
        // A value without white space is its own trimmed and collapsed form.
        attribute->value = blank ? trimmed(value, opt_trim_attributes) : value;
        if (!closed) {
            s_ = p;
            return state::end;
        }
        ++p;
        c = *p;
        if (c == u'>') {
            leave_instruction();
            s_ = p + 1;
            return state::content;
        }
        if (c == u'/') {
            close();
            p = skip_space(p + 1);
            if (*p == u'>')
                ++p;
            s_ = p;
            return state::content;
        }
        if (is_space(c)) {
            p = skip_space(p);
            c = *p;
        }
    }
    // Not a name character: the tag ends here. c may stand for a character
    // that a name's terminating zero replaced; p is its position.
    if (c != u'/' || p[1] != u'>')
        leave_instruction();
    if (c == u'>') {
        s_ = p + 1;
        return state::content;
    }
    if (c == u'/' && p[1] == u'>') {
        close();
        s_ = p + 2;
        return state::markup;
    }
    if (c == 0) {
        s_ = p;
        return state::end;
    }
    s_ = p + 1;
    return c == u'<' ? state::dispatch : state::markup;
}

// "<!DOCTYPE": its name and external identifiers, then the internal subset
// when a "[" follows.
scanner::state scanner::doctype()
{
    if (char16_t* failed = mismatch(s_, u"!DOCTYPE")) {
        s_ = failed;
        return state::markup;
    }
    node_record* record = nullptr;
    if (has(opt_doctype)) {
        record = add_node(kind_doctype, 1, 0);
        if (record)
            current_ = record;
    }
    char16_t* p = skip_space(s_ + 8);
    const char16_t c = doctype_items(record, p);
    if (c == 0) {
        s_ = p;
        return state::end;
    }
    if (c != u'[') {
        if (record)
            close();
        s_ = p + 1;
        return c == u'<' ? state::dispatch : state::markup;
    }
    return internal_subset(record, p);
}

void scanner::add_doctype_item(node_record* record, char16_t* name, char16_t* value)
{
    if (!record)
        return;
    if (attribute_record* attribute = detail::append_parsed_attribute(record, owner_, growth_)) {
        attribute->name = name;
        attribute->value = value;
    }
}

// The document type name, then words and quoted literals, from p. Each item
// is cut by a zero. Returns the character that follows the last item (which
// that zero may have replaced) with p on its position; 0 at the end of the
// text.
char16_t scanner::doctype_items(node_record* record, char16_t*& p)
{
    char16_t* name_end = skip_name(p);
    char16_t c = *name_end;
    if (name_end == p) {
        add_doctype_item(record, detail::empty_text(), detail::empty_text());
    } else {
        add_doctype_item(record, p, p);
        *name_end = 0;
    }
    p = name_end;
    for (;;) {
        if (is_space(c)) {
            p = skip_space(p + 1);
            c = *p;
        }
        if (c == u'"' || c == u'\'') {
            char16_t* value = p + 1;
            char16_t* close_mark = find(value, c);
            add_doctype_item(record, nullptr, value);
            if (!*close_mark) {
                p = close_mark;
                return 0;
            }
            *close_mark = 0;
            p = close_mark + 1;
            c = *p;
        } else if (name_char(c)) {
            char16_t* word_end = skip_name(p);
            add_doctype_item(record, p, p);
            c = *word_end;
            *word_end = 0;
            p = word_end;
        } else {
            return c;
        }
    }
}

// open is where the "[" of an internal subset stood (a zero that cut the
// item before it may have replaced it); the subset runs to the matching "]".
scanner::state scanner::internal_subset(node_record* record, char16_t* open)
{
    char16_t* subset = open + 1;
    char16_t* close_mark = brackets_.match(subset);
    char16_t* resume = *close_mark ? close_mark + 1 : close_mark;
    if (record) {
        *close_mark = 0;
        record->value = subset;
        if (has(opt_parse_subset)) {
            // Parsed as a document of its own, rooted at the doctype record;
            // run() resumes here when the subset's zero is reached.
            subsets_.push_back({top_, record, resume});
            top_ = record;
            current_ = record;
            s_ = subset;
            return state::markup;
        }
    }
    return after_subset(record, resume);
}

scanner::state scanner::after_subset(node_record* record, char16_t* resume)
{
    if (has(opt_subset_only)) {
        subsets_.clear();
        s_ = resume;
        return state::stop;
    }
    if (record) {
        if (!has(opt_parse_subset))
            record->value = trimmed(record->value, opt_trim_subset);
        current_ = record;
        close();
    }
    char16_t* p = find(resume, u'>');
    s_ = *p ? p + 1 : p;
    return state::markup;
}

// "<!" and a keyword: ENTITY, ATTLIST, ELEMENT, NOTATION (others count as ENTITY).
scanner::state scanner::declaration()
{
    char16_t* keyword = s_ + 1;
    char16_t* p = skip_name(keyword);
    char16_t c = *p;
    *p = 0;
    const std::u16string_view word(keyword);
    const node_kind kind = word == u"ATTLIST"    ? kind_attlist_decl
                           : word == u"ELEMENT"  ? kind_element_decl
                           : word == u"NOTATION" ? kind_notation_decl
                                                 : kind_entity_decl;
    node_record* node = add_node(kind, 0, 0);
    if (c == 0) {
        s_ = p;
        return state::end;
    }
    if (is_space(c)) {
        p = skip_space(p + 1);
        char16_t* name = p;
        if (*p == u'%') {
            char16_t* after = skip_space(p + 1);
            // "% name": the percent sign moves next to the name it belongs to.
            if (after != p + 1) {
                after[-1] = u'%';
                name = after - 1;
            }
            p = after;
        }
        p = skip_name(p);
        c = *p;
        if (p != name) {
            *p = 0;
            if (node)
                node->name = name;
        } else if (node) {
            node->name = detail::empty_text();
        }
        if (is_space(c)) {
            p = skip_space(p + 1);
            c = *p;
        }
    }
    if (c == 0) {
        s_ = p;
        return state::end;
    }
    if (c == u'>') {
        s_ = p + 1;
        return state::markup;
    }
    // The value runs to the closing ">"; in an entity declaration a ">" inside
    // a quoted literal does not close it. c may stand for an overwritten character.
    char16_t* value = *p ? p : p + 1;
    char16_t quote = 0;
    char16_t* q = p;
    if (kind == kind_entity_decl && (c == u'"' || c == u'\''))
        quote = c;
    if (!*q)
        ++q;
    else if (quote)
        ++q;
    for (; *q; ++q) {
        if (quote) {
            if (*q == quote)
                quote = 0;
        } else if (*q == u'>') {
            break;
        } else if (kind == kind_entity_decl && (*q == u'"' || *q == u'\'')) {
            quote = *q;
        }
    }
    const bool closed = *q != 0;
    *q = 0;
    if (node)
        node->value = trimmed(value, opt_trim_declarations);
    s_ = closed ? q + 1 : q;
    return closed ? state::markup : state::end;
}

}  // namespace

char16_t* trim_text(char16_t* value)
{
    if (!value)
        return value;
    while (is_space(*value))
        ++value;
    char16_t* cut = nullptr;
    for (char16_t* p = value; *p; ++p) {
        if (is_space(*p)) {
            if (!cut)
                cut = p;
        } else {
            cut = nullptr;
        }
    }
    if (cut)
        *cut = 0;
    return value;
}

char16_t* collapse_text(char16_t* value)
{
    if (!value)
        return value;
    while (is_space(*value))
        ++value;
    // Text that is already normal (single spaces between words) is only read.
    char16_t* p = value;
    for (;; ++p) {
        if (*p == 0)
            return value;
        if (is_space(*p) && (*p != u' ' || is_space(p[1]) || p[1] == 0))
            break;
    }
    char16_t* out = p;
    bool pending_space = false;
    for (; *p; ++p) {
        if (is_space(*p)) {
            pending_space = true;
            continue;
        }
        if (pending_space) {
            *out++ = u' ';
            pending_space = false;
        }
        *out++ = *p;
    }
    *out = 0;
    return value;
}

namespace {

char16_t* parse_in(char16_t* buffer, node_record* document, std::int32_t growth, std::uint32_t options, bool padded)
{
    if (!buffer || !document)
        return buffer;
    scanner scan(document, growth, options, padded);
    return scan.run(buffer);
}

}  // namespace

char16_t* parse_buffer(char16_t* buffer, node_record* document, std::int32_t growth, std::uint32_t options)
{
    return parse_in(buffer, document, growth, options, false);
}

xml_parser::~xml_parser()
{
    if (owns_tree_ && root_)
        free_tree(root_);
    detail::release_block(buffer_, buffer_bytes_);
}

void xml_parser::release_buffer()
{
    detail::release_block(buffer_, buffer_bytes_);
    buffer_ = nullptr;
    buffer_bytes_ = 0;
    buffer_size_ = 0;
}

void xml_parser::release()
{
    free_tree(root_);
    root_ = nullptr;
    release_buffer();
    end_ = nullptr;
}

void xml_parser::new_document()
{
    release();
    root_ = make_document();
}

bool xml_parser::read_stream_text(text_source* stream)
{
    release_buffer();
    if (!stream)
        return false;
    constexpr std::size_t chunk = 4095;
    std::size_t capacity = 0;
    std::size_t count = 0;
    // A source that knows its size gets a buffer that holds it and the final
    // empty read at once, so a large text is not moved while it grows.
    const std::size_t hint = stream->size_hint();
    const std::size_t room = chunk + 1 + kPadding;  // a chunk, the final zero and the padding
    const std::size_t first = hint > 0 && hint < SIZE_MAX / sizeof(char16_t) / 2 ? hint + room : room;
    for (;;) {
        if (capacity - count < room) {
            std::size_t grown = capacity ? capacity * 2 : first;
            void* moved = detail::resize_block(buffer_, buffer_bytes_, grown * sizeof(char16_t));
            if (!moved)
                break;
            buffer_ = static_cast<char16_t*>(moved);
            buffer_bytes_ = grown * sizeof(char16_t);
            capacity = grown;
        }
        std::size_t got = stream->read(buffer_ + count, chunk);
        if (got == 0)
            break;
        count += got > chunk ? chunk : got;
    }
    // The final zero, and zeros after it for the scans that read several
    // units at a time (the loop always leaves more room than that).
    if (buffer_)
        std::fill(buffer_ + count, buffer_ + count + 1 + kPadding, u'\0');
    if (count == 0) {
        release_buffer();
        return false;
    }
    buffer_size_ = count;
    return true;
}

bool xml_parser::parse_stream(text_source* stream)
{
    return parse_stream(stream, opt_all);
}

bool xml_parser::parse_stream(text_source* stream, std::uint32_t options)
{
    if (!stream)
        return false;
    release();
    options_ = options;
    if (!read_stream_text(stream))
        return false;
    root_ = make_document();
    if (!root_)
        return false;
    end_ = parse_in(buffer_, root_, growth_increment_, options_, true);
    return true;
}

}  // namespace pug
