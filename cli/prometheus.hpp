#pragma once
// The Prometheus text exposition format (version 0.0.4) for status: metric
// families with HELP and TYPE lines, samples with escaped label values.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarn::cli {

// A label value as the format wants it inside double quotes: backslash,
// double quote and line feed escaped; bytes that are not UTF-8 become U+FFFD.
std::string EscapeLabelValue(std::string_view value);

// Collects samples family by family, in the order the families are begun.
class PrometheusText {
public:
    // "# HELP name help" and "# TYPE name gauge"; every sample that follows
    // until the next family belongs to this one.
    void Family(std::string_view name, std::string_view help);
    void Sample(std::string_view name, const std::vector<std::pair<std::string, std::string>>& labels, double value);
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace quarn::cli
