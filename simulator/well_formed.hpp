#pragma once
// A strict XML well-formedness check for uploads. The editor's reader
// forgives much (a missing end tag, a cut-off file); a controller that is
// handed such a file would run half a program, so an upload is first held to
// the rules of XML 1.0: one root element, every tag closed in order, quoted
// and unique attributes, well-formed references, comments, CDATA sections
// and instructions, and only characters that XML allows.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quarn::sim {

struct XmlFault {
    std::size_t line = 1;    // counted from 1
    std::size_t column = 1;  // in UTF-16 units, counted from 1
    std::string reason;      // e.g. "an end tag that does not match the open element"
    bool otherRoot = false;  // well-formed as far as read, but the root has another name
};

// Checks decoded text (line ends as LF or CR LF). A document type
// declaration is allowed only without an internal subset: the controller
// expands no entities. Returns the first fault, or nothing when the text is
// a well-formed document whose root element is named root.
std::optional<XmlFault> CheckWellFormed(std::u16string_view text, std::u16string_view root);

}  // namespace quarn::sim
