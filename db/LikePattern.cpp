#include "db/LikePattern.h"

#include "base/Text.h"

#include <QChar>
#include <string>
#include <vector>

namespace velmora::db {

namespace {

// Decodes UTF-8 into code points, case-folded. A byte that does not begin a whole, well-formed
// sequence stands for itself as a code point of its own (U+DC80 to U+DCFF, which no decoded text
// holds), so that it matches only the same byte, wherever it stands in the text or the pattern.
std::u32string foldedCodePoints(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        char32_t cp = byte;
        char32_t lowest = 0; // the smallest code point a sequence of this length may carry
        if (byte >= 0xC2 && byte <= 0xDF)
            length = 2, cp = byte & 0x1Fu, lowest = 0x80;
        else if (byte >= 0xE0 && byte <= 0xEF)
            length = 3, cp = byte & 0x0Fu, lowest = 0x800;
        else if (byte >= 0xF0 && byte <= 0xF4)
            length = 4, cp = byte & 0x07u, lowest = 0x10000;
        bool valid = byte < 0x80 || (length > 1 && i + length <= text.size());
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0u) == 0x80u;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        valid = valid && cp >= lowest && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (!valid) {
            cp = 0xDC00 + byte;
            length = 1;
        }
        out.push_back(valid ? static_cast<char32_t>(QChar::toCaseFolded(cp)) : cp);
        i += length;
    }
    return out;
}

struct Token {
    enum Kind { Literal, AnyOne, Digit, Set, Star, Nothing };
    Token(Kind k, char32_t c = 0)
        : kind(k)
        , ch(c) {}
    Kind kind;
    char32_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool accepts(char32_t c) const {
        switch (kind) {
        case Literal:
            return c == ch;
        case AnyOne:
            return true;
        case Digit:
            return c >= U'0' && c <= U'9';
        case Set: {
            bool inside = false;
            for (auto [low, high] : ranges)
                inside = inside || (c >= low && c <= high);
            return inside != negated;
        }
        default:
            return false;
        }
    }
};

std::vector<Token> compile(const std::u32string& pattern) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char32_t c = pattern[i];
        if (c == U'*') {
            if (tokens.empty() || tokens.back().kind != Token::Star)
                tokens.push_back(Token(Token::Star));
        } else if (c == U'?') {
            tokens.push_back(Token(Token::AnyOne));
        } else if (c == U'#') {
            tokens.push_back(Token(Token::Digit));
        } else if (c == U'[') {
            // The list runs to the next ']' after at least one member (so "[]]" is a list of ']').
            std::size_t close = pattern.find(U']', i + 1);
            if (close == std::u32string::npos) {
                tokens.push_back(Token(Token::Literal, c));
                continue;
            }
            if (close == i + 1) {
                tokens.push_back(Token(Token::Nothing));
                i = close;
                continue;
            }
            Token set(Token::Set);
            std::size_t j = i + 1;
            if (pattern[j] == U'!' && j + 1 < close) {
                set.negated = true;
                ++j;
            }
            for (; j < close; ++j) {
                if (j + 2 < close && pattern[j + 1] == U'-')
                    set.ranges.emplace_back(pattern[j], pattern[j + 2]), j += 2;
                else
                    set.ranges.emplace_back(pattern[j], pattern[j]);
            }
            tokens.push_back(std::move(set));
            i = close;
        } else {
            tokens.push_back(Token(Token::Literal, c));
        }
    }
    return tokens;
}

bool matchTokens(const std::vector<Token>& tokens, const std::u32string& text) {
    // Classic wildcard matching with one backtrack point at the last star.
    std::size_t t = 0, s = 0;
    std::size_t starToken = std::u32string::npos, starText = 0;
    while (s < text.size()) {
        if (t < tokens.size() && tokens[t].kind == Token::Nothing) {
            ++t;
        } else if (t < tokens.size() && tokens[t].kind == Token::Star) {
            starToken = t++;
            starText = s;
        } else if (t < tokens.size() && tokens[t].accepts(text[s])) {
            ++t;
            ++s;
        } else if (starToken != std::u32string::npos) {
            t = starToken + 1;
            s = ++starText;
        } else {
            return false;
        }
    }
    while (t < tokens.size() && (tokens[t].kind == Token::Star || tokens[t].kind == Token::Nothing))
        ++t;
    return t == tokens.size();
}

// A byte that is not UTF-8 stands for itself as one of these (see foldedCodePoints).
bool standsForAByte(char32_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}

// One character as a regular expression takes it literally, inside a bracket list or outside: every
// ASCII character that is not a letter or digit behind a backslash (which makes any of them literal
// in both places), the others as they are.
void appendLiteral(std::string& out, char32_t c) {
    const bool plain =
        c >= 0x80 || (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
    if (!plain)
        out += '\\';
    appendUtf8(out, c);
}

} // namespace

std::optional<std::string> likeRegex(std::string_view pattern) {
    std::string regex = "^";
    for (const Token& token : compile(foldedCodePoints(pattern))) {
        switch (token.kind) {
        case Token::Star:
            regex += ".*";
            break;
        case Token::AnyOne:
            regex += '.';
            break;
        case Token::Digit:
            regex += "[0-9]";
            break;
        case Token::Nothing:
            break;
        case Token::Literal:
            if (standsForAByte(token.ch))
                return std::nullopt;
            appendLiteral(regex, token.ch);
            break;
        case Token::Set: {
            std::string members;
            for (auto [low, high] : token.ranges) {
                // An empty range takes nothing, and no text on the server holds a byte that is not
                // UTF-8.
                if (low > high || standsForAByte(low) || standsForAByte(high))
                    continue;
                appendLiteral(members, low);
                if (high != low) {
                    members += '-';
                    appendLiteral(members, high);
                }
            }
            if (members.empty() && !token.negated)
                return std::nullopt;
            if (members.empty())
                regex += '.'; // not one of no characters: any one
            else
                regex += (token.negated ? "[^" : "[") + members + "]";
            break;
        }
        }
    }
    return regex + "$";
}

struct LikePattern::Compiled {
    std::vector<Token> tokens;
};

LikePattern::LikePattern(std::string_view pattern)
    : compiled_(std::make_unique<Compiled>(Compiled{compile(foldedCodePoints(pattern))})) {}

LikePattern::~LikePattern() = default;

bool LikePattern::matches(std::string_view text) const {
    return matchTokens(compiled_->tokens, foldedCodePoints(text));
}

bool likeMatches(std::string_view text, std::string_view pattern) {
    return LikePattern(pattern).matches(text);
}

} // namespace velmora::db
