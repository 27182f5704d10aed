#include "cli/prometheus.hpp"

#include "base/utf8.hpp"

#include <cmath>
#include <cstdio>

namespace quarn::cli {

std::string EscapeLabelValue(std::string_view value)
{
    const std::string utf8 = EncodeUtf8(DecodeUtf8(value));
    std::string escaped;
    escaped.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '"':
            escaped += "\\\"";
            break;
        case '\n':
            escaped += "\\n";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

void PrometheusText::Family(std::string_view name, std::string_view help)
{
    // HELP text escapes backslash and line feed only.
    std::string helpText;
    for (const char c : help) {
        if (c == '\\')
            helpText += "\\\\";
        else if (c == '\n')
            helpText += "\\n";
        else
            helpText += c;
    }
    text_ += "# HELP " + std::string(name) + " " + helpText + "\n";
    text_ += "# TYPE " + std::string(name) + " gauge\n";
}

void PrometheusText::Sample(std::string_view name, const std::vector<std::pair<std::string, std::string>>& labels,
                            double value)
{
    text_ += name;
    if (!labels.empty()) {
        text_ += '{';
        for (std::size_t i = 0; i < labels.size(); ++i) {
            if (i > 0)
                text_ += ',';
            text_ += labels[i].first + "=\"" + EscapeLabelValue(labels[i].second) + "\"";
        }
        text_ += '}';
    }
    char number[40];
    if (std::isnan(value))
        std::snprintf(number, sizeof number, "NaN");
    else if (value == std::floor(value) && std::fabs(value) < 1e15)
        std::snprintf(number, sizeof number, "%.0f", value);
    else
        std::snprintf(number, sizeof number, "%.6g", value);
    text_ += ' ';
    text_ += number;
    text_ += '\n';
}

}  // namespace quarn::cli
