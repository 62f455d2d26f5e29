#include "player/text/CssText.h"

namespace kelmora::player {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

class CssReader {
public:
    explicit CssReader(std::string_view text) : s_(text) {}

    std::optional<std::vector<CssRule>> read() {
        std::vector<CssRule> rules;
        size_t properties = 0;
        for (;;) {
            skipSpace();
            if (atEnd()) return rules;
            CssRule rule;
            if (!readSelectors(rule.selectors) || !readBlock(rule.properties)) return std::nullopt;
            properties += rule.properties.size();
            if (rules.size() >= kMaxCssRules || properties > kMaxCssProperties) return std::nullopt;
            rules.push_back(std::move(rule));
        }
    }

private:
    bool atEnd() const { return i_ >= s_.size(); }
    void skipSpace() {
        while (!atEnd() && isSpace(s_[i_])) ++i_;
    }

    // "a, b {": names end at a space, a comma or the brace; anything else after one fails.
    bool readSelectors(std::vector<std::string>& out) {
        for (;;) {
            skipSpace();
            const size_t start = i_;
            while (!atEnd() && !isSpace(s_[i_]) && s_[i_] != ',' && s_[i_] != '{') ++i_;
            if (i_ == start) return false;
            if (out.size() < kMaxCssRules) out.emplace_back(s_.substr(start, i_ - start));
            skipSpace();
            if (atEnd()) return false;
            const char c = s_[i_++];
            if (c == '{') return true;
            if (c != ',') return false;
        }
    }

    // Pairs up to the closing brace, or to the end of the text when the block is left open
    // between pairs.
    bool readBlock(std::vector<std::pair<std::string, std::string>>& out) {
        for (;;) {
            skipSpace();
            if (atEnd()) return true;
            if (s_[i_] == '}') {
                ++i_;
                return true;
            }
            // The name runs to the colon; spaces may only trail it.
            const size_t start = i_;
            while (!atEnd() && s_[i_] != ':' && !isSpace(s_[i_])) ++i_;
            while (!atEnd() && isSpace(s_[i_])) ++i_;
            if (atEnd() || s_[i_] != ':') return false;
            const std::string_view name = s_.substr(start, i_ - start);
            ++i_;
            skipSpace();
            const size_t valueStart = i_;
            while (!atEnd() && s_[i_] != ';' && s_[i_] != '}') ++i_;
            if (atEnd()) return false;
            const std::string_view value = s_.substr(valueStart, i_ - valueStart);
            if (!name.empty() && out.size() < kMaxCssProperties) out.emplace_back(cssPropertyName(name), value);
            if (s_[i_++] == '}') return true;
        }
    }

    std::string_view s_;
    size_t i_ = 0;
};

}  // namespace

std::string cssPropertyName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '-') {
            out.push_back(name[i]);
        } else if (i + 1 < name.size()) {
            const char next = name[++i];
            out.push_back(next >= 'a' && next <= 'z' ? char(next - 'a' + 'A') : next);
        }
    }
    return out;
}

std::optional<std::vector<CssRule>> parseCssText(std::string_view text) { return CssReader(text).read(); }

}  // namespace kelmora::player
